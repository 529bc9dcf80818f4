// The catalogue's looks, each derived from a short palette: surfaces, an accent, the title bar's
// two colours and a few shape choices. Light and dark looks derive their remaining colours
// differently, so every control stays readable on its surface.
#include "skin/engine/looks.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace skin::engine {
namespace {

using Rgb = std::uint32_t;

Rgb Blend(Rgb from, Rgb to, double amount) {
  Rgb out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const double a = (from >> shift) & 0xFF;
    const double b = (to >> shift) & 0xFF;
    out |= static_cast<Rgb>(a + (b - a) * amount + 0.5) << shift;
  }
  return out;
}

double Brightness(Rgb rgb) {
  return (0.299 * ((rgb >> 16) & 0xFF) + 0.587 * ((rgb >> 8) & 0xFF) + 0.114 * (rgb & 0xFF)) / 255;
}

double Linear(Rgb channel) {
  const double v = static_cast<double>(channel) / 255;
  return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double ContrastRatio(Rgb a, Rgb b) {
  auto luminance = [](Rgb rgb) {
    return 0.2126 * Linear((rgb >> 16) & 0xFF) + 0.7152 * Linear((rgb >> 8) & 0xFF) +
           0.0722 * Linear(rgb & 0xFF);
  };
  const double la = luminance(a) + 0.05;
  const double lb = luminance(b) + 0.05;
  return la > lb ? la / lb : lb / la;
}

// Moves background towards away (black or white) until text reads on it with the ratio.
Rgb UntilReadable(Rgb background, Rgb text, double ratio, Rgb away) {
  for (int step = 0; step <= 20; ++step) {
    const Rgb candidate = Blend(background, away, step * 0.04);
    if (ContrastRatio(candidate, text) >= ratio) return candidate;
  }
  return away;
}

constexpr Rgb kWhite = 0xFFFFFF;
constexpr Rgb kBlack = 0x000000;

struct Palette {
  const char* name;
  bool dark;
  Rgb window;
  Rgb panel;
  Rgb accent;
  Rgb captionFrom;
  Rgb captionTo;
  Texture texture;
  std::uint8_t radius;
  bool groupFilled;
  bool captionHorizontal;
};

Look Build(const Palette& p) {
  Look look;
  std::strncpy(look.name, p.name, kMaxNameLength);
  look.dark = p.dark;
  look.windowColor = p.window;
  look.panelColor = p.panel;
  look.accentColor = p.accent;
  look.texture = p.texture;
  look.captionFrom = p.captionFrom;
  look.captionTo = p.captionTo;
  look.captionHorizontal = p.captionHorizontal ? 1 : 0;
  look.captionTextColor =
      Brightness(Blend(p.captionFrom, p.captionTo, 0.5)) > 0.62 ? 0x1B1F24 : 0xFFFFFF;
  // Title bars darken (or, under dark text, lighten) just enough for the title to read.
  const Rgb away = look.captionTextColor == 0xFFFFFF ? 0x000000 : 0xFFFFFF;
  look.captionFrom = UntilReadable(p.captionFrom, look.captionTextColor, 3.2, away);
  look.captionTo = UntilReadable(p.captionTo, look.captionTextColor, 3.2, away);
  look.frameColor = Blend(p.captionTo, kBlack, p.dark ? 0.5 : 0.35);
  look.buttonRadius = p.radius;
  look.groupRadius = static_cast<std::uint8_t>(p.radius + 2 > 12 ? 12 : p.radius + 2);
  look.groupFilled = p.groupFilled ? 1 : 0;
  if (!p.dark) {
    const Rgb text = Blend(0x1C1F24, p.accent, 0.12);
    look.textColor = text;
    look.textureColor = text;
    look.disabledTextColor = Blend(text, p.panel, 0.55);
    look.buttonFrom = Blend(kWhite, p.panel, 0.2);
    look.buttonTo = Blend(p.panel, text, 0.07);
    look.buttonHotFrom = Blend(look.buttonFrom, p.accent, 0.1);
    look.buttonHotTo = Blend(look.buttonTo, p.accent, 0.2);
    look.buttonPressedFrom = UntilReadable(Blend(look.buttonTo, p.accent, 0.38), text, 4.6, kWhite);
    look.buttonPressedTo = UntilReadable(Blend(look.buttonFrom, p.accent, 0.22), text, 4.6, kWhite);
    look.buttonBorderColor = Blend(p.panel, text, 0.36);
    look.buttonTextColor = text;
    look.fieldColor = Blend(kWhite, p.panel, 0.1);
    look.fieldTextColor = 0x121417;
    look.fieldBorderColor = Blend(p.panel, text, 0.3);
    look.groupBorderColor = Blend(p.panel, p.accent, 0.42);
    look.groupCaptionColor = Blend(p.accent, kBlack, 0.3);
    look.groupFillColor = Blend(p.panel, kWhite, 0.55);
    look.tabFrom = Blend(p.window, kWhite, 0.45);
    look.tabTo = Blend(p.window, text, 0.07);
    look.tabTextColor = Blend(text, p.window, 0.2);
    look.tabSelectedTextColor = Blend(p.accent, kBlack, 0.35);
    look.tabBorderColor = Blend(p.window, text, 0.28);
  } else {
    const Rgb text = Blend(0xE6E8EC, p.accent, 0.06);
    look.textColor = text;
    look.textureColor = kWhite;
    look.disabledTextColor = Blend(text, p.panel, 0.55);
    look.buttonFrom = Blend(p.panel, kWhite, 0.15);
    look.buttonTo = Blend(p.panel, kWhite, 0.06);
    look.buttonHotFrom = UntilReadable(Blend(look.buttonFrom, p.accent, 0.22), text, 4.6, kBlack);
    look.buttonHotTo = UntilReadable(Blend(look.buttonTo, p.accent, 0.16), text, 4.6, kBlack);
    look.buttonPressedFrom = UntilReadable(Blend(p.panel, p.accent, 0.42), text, 4.6, kBlack);
    look.buttonPressedTo = UntilReadable(Blend(p.panel, p.accent, 0.28), text, 4.6, kBlack);
    look.buttonBorderColor = Blend(p.panel, kWhite, 0.26);
    look.buttonTextColor = text;
    look.fieldColor = Blend(p.panel, kBlack, 0.32);
    look.fieldTextColor = 0xEEF0F3;
    look.fieldBorderColor = Blend(p.panel, kWhite, 0.24);
    look.groupBorderColor = Blend(p.panel, p.accent, 0.5);
    look.groupCaptionColor = Blend(p.accent, kWhite, 0.35);
    look.groupFillColor = Blend(p.panel, kWhite, 0.04);
    look.tabFrom = Blend(p.window, kWhite, 0.12);
    look.tabTo = Blend(p.window, kWhite, 0.05);
    look.tabTextColor = Blend(text, p.window, 0.25);
    look.tabSelectedTextColor = Blend(p.accent, kWhite, 0.45);
    look.tabBorderColor = Blend(p.window, kWhite, 0.2);
  }
  return look;
}

// clang-format off
constexpr Palette kPalettes[kCatalogueSize] = {
  // name                dark   window    panel     accent    caption from/to       texture             radius filled horizontal
  {"Porcelain Blue",     false, 0xE6ECF3, 0xF4F7FB, 0x2F6FD0, 0x2F5FAF, 0x4F86D8, Texture::kPlain,    3, false, false},
  {"Graphite",           true,  0x24272B, 0x2C3036, 0x4CA3FF, 0x1A1C1F, 0x2B2F34, Texture::kPlain,    4, true,  false},
  {"Sage",               false, 0xE3EBE1, 0xF1F6EF, 0x4E8F5A, 0x4A7F52, 0x6FA374, Texture::kDots,     5, true,  false},
  {"Crimson Night",      true,  0x221D20, 0x2B2428, 0xE0474C, 0x3A1519, 0x5C1E25, Texture::kPlain,    3, false, true},
  {"Sandstone",          false, 0xEDE4D6, 0xF7F1E6, 0xB8702C, 0x9C6B3E, 0xC08A55, Texture::kLines,    4, true,  false},
  {"Ocean Deep",         true,  0x13222F, 0x1A2D3C, 0x2EC4D6, 0x0C1A26, 0x173447, Texture::kDots,     5, true,  false},
  {"Azure Glass",        false, 0xE4EBF4, 0xF3F6FA, 0x1F6FE0, 0x1D4E9E, 0x3C8BEA, Texture::kPlain,    5, true,  false},
  {"Lavender",           false, 0xEAE6F2, 0xF6F3FA, 0x7B5CC4, 0x6A4FB0, 0x9478D6, Texture::kPlain,    6, true,  false},
  {"Midnight Violet",    true,  0x1E1B2B, 0x262236, 0xA77BFF, 0x17142A, 0x2E2450, Texture::kPlain,    6, true,  true},
  {"Mint",               false, 0xE2F0EC, 0xF1F8F6, 0x1E9E8C, 0x178271, 0x2FB8A3, Texture::kPlain,    8, false, false},
  {"Ember",              true,  0x261F1B, 0x2F2622, 0xFF8A3D, 0x2A1A12, 0x4A2A18, Texture::kLines,    3, false, false},
  {"Slate",              false, 0xE1E5EA, 0xEEF1F4, 0x4A5D78, 0x3E4C60, 0x5A6C84, Texture::kPlain,    2, false, false},
  {"Forest",             true,  0x1B241E, 0x223027, 0x5CC27A, 0x122018, 0x1F3A28, Texture::kDiagonal, 4, true,  false},
  {"Rose Quartz",        false, 0xF2E6EA, 0xFAF3F5, 0xC94F7C, 0xB0466E, 0xD67898, Texture::kPlain,    7, true,  true},
  {"Copper",             true,  0x2A221E, 0x332925, 0xD9904A, 0x3B2618, 0x5E3B22, Texture::kPlain,    2, false, false},
  {"Sky",                false, 0xE3F0FA, 0xF2F8FD, 0x1C8FD8, 0x1679C0, 0x4DB3F0, Texture::kPlain,    6, false, true},
  {"Carbon",             true,  0x1A1B1D, 0x222326, 0x00B4D8, 0x101113, 0x1E2023, Texture::kGrid,     2, true,  false},
  {"Lemon",              false, 0xF1EEDD, 0xF9F7EC, 0xB08A00, 0x8C7A2A, 0xB9A445, Texture::kDots,     4, true,  false},
  {"Plum",               true,  0x271D26, 0x302430, 0xD45AA7, 0x2A1328, 0x4C1F45, Texture::kPlain,    5, true,  false},
  {"Arctic",             false, 0xEEF3F7, 0xFAFCFD, 0x3D8BFD, 0xD8E4EF, 0xEEF3F8, Texture::kGrid,     4, false, false},
  {"Steel Blue",         false, 0xDCE4EC, 0xEBF0F5, 0x3C6E91, 0x2E5672, 0x4A7FA3, Texture::kDiagonal, 3, true,  false},
  {"Olive",              false, 0xE8E9DC, 0xF4F5EC, 0x74852A, 0x5F6D25, 0x8A9B43, Texture::kPlain,    3, true,  true},
  {"Abyss",              true,  0x101C1E, 0x162628, 0x1FB5A3, 0x0A1415, 0x12302E, Texture::kPlain,    6, false, false},
  {"Coral",              false, 0xF5E7E2, 0xFCF4F1, 0xE0603F, 0xC85436, 0xEE8466, Texture::kPlain,    6, true,  false},
  {"Indigo Night",       true,  0x1B1E30, 0x22263B, 0x6C7BFF, 0x14172A, 0x262C58, Texture::kDots,     5, true,  false},
  {"Cocoa",              false, 0xEDE4DD, 0xF7F1EC, 0x8B5A3C, 0x6E4730, 0x976A4E, Texture::kLines,    3, true,  false},
  {"Emerald",            false, 0xE1F0E8, 0xF0F8F3, 0x12946B, 0x0E7A58, 0x27AE82, Texture::kPlain,    5, false, true},
  {"Obsidian",           true,  0x161616, 0x1F1F1F, 0xE3B341, 0x0E0E0E, 0x262320, Texture::kPlain,    3, true,  false},
  {"Cyan Frost",         false, 0xE0F1F4, 0xF0F9FA, 0x0E97AD, 0x0C7D90, 0x27B2C6, Texture::kDots,     7, true,  false},
  {"Bordeaux",           false, 0xEFE3E6, 0xF8F1F3, 0x8E2C48, 0x6E1F36, 0x9E3F5C, Texture::kPlain,    4, true,  false},
  {"Storm",              true,  0x1F252D, 0x27303A, 0x7FA7D9, 0x151A20, 0x2B3744, Texture::kLines,    4, false, false},
  {"Peach",              false, 0xF7EAE1, 0xFDF6F1, 0xE37B45, 0xD0693A, 0xF09A68, Texture::kPlain,    8, true,  true},
  {"Teal Dusk",          true,  0x182426, 0x1F2F31, 0x3CC8C8, 0x0F1B1D, 0x1E3D40, Texture::kPlain,    5, true,  true},
  {"Classic Silver",     false, 0xDADDE2, 0xE9EBEE, 0x3F6CB5, 0x8A93A3, 0xB7BDC8, Texture::kGrid,     2, false, false},
};
// clang-format on

}  // namespace

std::vector<Look> CatalogueLooks() {
  std::vector<Look> looks;
  for (const Palette& palette : kPalettes) looks.push_back(Build(palette));
  return looks;
}

}  // namespace skin::engine
