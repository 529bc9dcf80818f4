// The catalogue's looks, each derived from a short palette: a name that says what it looks like,
// surfaces, an accent, the title bar's two colours and a few shape choices. The title bars are
// what tells the skins apart at a glance, so no two of them share a colour (the tests keep them
// apart by a clear margin). Light and dark looks derive their remaining colours differently, so
// every control stays readable on its surface.
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
  const char* name;  // GBK
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
  // name (GBK)  dark   window    panel     accent    caption from/to       texture             radius filled horizontal
  {"青花瓷",      false, 0xE6ECF3, 0xF4F7FB, 0x2F6FD0, 0xB3C7EF, 0xCADDFF, Texture::kPlain,    3,  false, false},
  {"石墨灰",      true,  0x24272B, 0x2C3036, 0x4CA3FF, 0x34373A, 0x4B4E50, Texture::kPlain,    4,  true,  false},
  {"鼠尾草绿",    false, 0xE3EBE1, 0xF1F6EF, 0x4E8F5A, 0x718468, 0x8A9E81, Texture::kDots,     5,  true,  false},
  {"绯红夜色",    true,  0x221D20, 0x2B2428, 0xE0474C, 0x6D0010, 0x892224, Texture::kPlain,    3,  false, true},
  {"砂岩米黄",    false, 0xEDE4D6, 0xF7F1E6, 0xB8702C, 0xD1B894, 0xE8CEA9, Texture::kLines,    4,  true,  false},
  {"深海蓝",      true,  0x13222F, 0x1A2D3C, 0x2EC4D6, 0x003E75, 0x005A95, Texture::kDots,     5,  true,  false},
  {"湛蓝玻璃",    false, 0xE4EBF4, 0xF3F6FA, 0x1F6FE0, 0x1D4E9E, 0x3C8BEA, Texture::kPlain,    5,  true,  false},
  {"薰衣草紫",    false, 0xEAE6F2, 0xF6F3FA, 0x7B5CC4, 0xCEAAD7, 0xE5BFEE, Texture::kPlain,    6,  true,  false},
  {"午夜紫",      true,  0x1E1B2B, 0x262236, 0xA77BFF, 0x46225F, 0x5F3878, Texture::kPlain,    6,  true,  true},
  {"薄荷绿",      false, 0xE2F0EC, 0xF1F8F6, 0x1E9E8C, 0xA5DEC0, 0xBBF5D6, Texture::kPlain,    8,  false, false},
  {"余烬橙",      true,  0x261F1B, 0x2F2622, 0xFF8A3D, 0x8D3316, 0xB05131, Texture::kLines,    3,  false, false},
  {"石板灰",      false, 0xE1E5EA, 0xEEF1F4, 0x4A5D78, 0x626C74, 0x7B858D, Texture::kPlain,    2,  false, false},
  {"密林绿",      true,  0x1B241E, 0x223027, 0x5CC27A, 0x153F16, 0x2D572C, Texture::kDiagonal, 4,  true,  false},
  {"蔷薇粉",      false, 0xF2E6EA, 0xFAF3F5, 0xC94F7C, 0xB85276, 0xD56C90, Texture::kPlain,    7,  true,  true},
  {"紫铜棕",      true,  0x2A221E, 0x332925, 0xD9904A, 0x824C24, 0xA4693F, Texture::kPlain,    2,  false, false},
  {"晴空蓝",      false, 0xE3F0FA, 0xF2F8FD, 0x1C8FD8, 0x51AED4, 0x70C9F1, Texture::kPlain,    6,  false, true},
  {"碳黑",        true,  0x1A1B1D, 0x222326, 0x00B4D8, 0x0F1112, 0x1C1E1F, Texture::kGrid,     2,  true,  false},
  {"柠檬黄",      false, 0xF1EEDD, 0xF9F7EC, 0xB08A00, 0xE0D468, 0xF2E578, Texture::kDots,     4,  true,  false},
  {"梅子紫",      true,  0x271D26, 0x302430, 0xD45AA7, 0x630B3E, 0x7E2955, Texture::kPlain,    5,  true,  false},
  {"极地白",      false, 0xEEF3F7, 0xFAFCFD, 0x3D8BFD, 0xE5ECEF, 0xF0F8FB, Texture::kGrid,     4,  false, false},
  {"钢蓝",        false, 0xDCE4EC, 0xEBF0F5, 0x3C6E91, 0x17647B, 0x397D95, Texture::kDiagonal, 3,  true,  false},
  {"橄榄绿",      false, 0xE8E9DC, 0xF4F5EC, 0x74852A, 0x5E722C, 0x788B44, Texture::kPlain,    3,  true,  true},
  {"深渊青",      true,  0x101C1E, 0x162628, 0x1FB5A3, 0x00413D, 0x005955, Texture::kPlain,    6,  false, false},
  {"珊瑚红",      false, 0xF5E7E2, 0xFCF4F1, 0xE0603F, 0xC05C45, 0xDE765D, Texture::kPlain,    6,  true,  false},
  {"靛蓝夜色",    true,  0x1B1E30, 0x22263B, 0x6C7BFF, 0x00215C, 0x143170, Texture::kDots,     5,  true,  false},
  {"可可棕",      false, 0xEDE4DD, 0xF7F1EC, 0x8B5A3C, 0x593825, 0x734F3B, Texture::kLines,    3,  true,  false},
  {"翡翠绿",      false, 0xE1F0E8, 0xF0F8F3, 0x12946B, 0x0B7A49, 0x329561, Texture::kPlain,    5,  false, true},
  {"黑曜金",      true,  0x161616, 0x1F1F1F, 0xE3B341, 0x8B7226, 0xA78B3E, Texture::kPlain,    3,  true,  false},
  {"冰霜青",      false, 0xE0F1F4, 0xF0F9FA, 0x0E97AD, 0x82CDD3, 0x99E4E9, Texture::kDots,     7,  true,  false},
  {"波尔多红",    false, 0xEFE3E6, 0xF8F1F3, 0x8E2C48, 0x7F2C40, 0x9A4557, Texture::kPlain,    4,  true,  false},
  {"暴风蓝灰",    true,  0x1F252D, 0x27303A, 0x7FA7D9, 0x434766, 0x5B5E7F, Texture::kLines,    4,  false, false},
  {"蜜桃橙",      false, 0xF7EAE1, 0xFDF6F1, 0xE37B45, 0xE9A782, 0xFFBD97, Texture::kPlain,    8,  true,  true},
  {"暮色青",      true,  0x182426, 0x1F2F31, 0x3CC8C8, 0x007060, 0x008A78, Texture::kPlain,    5,  true,  true},
  {"经典银",      false, 0xDADDE2, 0xE9EBEE, 0x3F6CB5, 0x999EA3, 0xB4B9BE, Texture::kGrid,     2,  false, false},
};
// clang-format on

}  // namespace

std::vector<Look> CatalogueLooks() {
  std::vector<Look> looks;
  for (const Palette& palette : kPalettes) looks.push_back(Build(palette));
  return looks;
}

}  // namespace skin::engine
