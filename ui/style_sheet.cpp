// Parsing of the hypertext style sheet (GBK). Braces, colons, semicolons, quotes and commas are
// all below 0x40 and so never the trail byte of a double-byte character: a byte scan is safe.
#include "ui/style_sheet.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace ui {

namespace {

constexpr std::string_view kStyleSheet =
    "body {font-size: 9pt; color:black; font-family:\"宋体\",Verdana}\r\n"
    "p  {font-size: 9pt; color:black; font-family:\"宋体\",Verdana}\r\n"
    "h1 {font-size: 14pt; color:black; font-family:\"宋体\",Verdana; font-weight:bold}\r\n"
    "h2 {font-size: 13pt; color:#ff9900; font-family:\"宋体\",Verdana; font-weight:bold}\r\n"
    "h3 {font-size: 12pt; color:#ff9900; font-family:\"宋体\",Arial; font-weight:bold}\r\n"
    "h4 {font-size: 10pt; color:black; font-family:\"宋体\",Verdana; font-weight:bold}\r\n"
    "h5 {font-size: 9pt; color:#ff9900; font-family:\"宋体\",Verdana; font-weight:bold}\r\n"
    "h6 {font-size: 65%; color:#626262; font-family:\"宋体\",Verdana; font-weight:normal}\r\n"
    "pre {font-size: 9pt; font-family:\"宋体\",\"Courier\"; background-color:#fbedbb}\r\n"
    "code {color:#990000; font-family:\"宋体\",Arial}\r\n"
    "a:link {text-decoration:none; color:blue}\r\n"
    "a:hover {text-decoration:underline; color:blue}\r\n"
    "sub {font-size:65%; vertical-align:bottom}\r\n"
    "sup {font-size:65%; vertical-align:top}\r\n"
    "big {font-size:125%}\r\n"
    "small {font-size:75%}\r\n"
    ".comment {color:green}\r\n";

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Strip(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::vector<StyleDeclaration> ParseDeclarations(std::string_view body) {
  std::vector<StyleDeclaration> declarations;
  size_t start = 0;
  while (start <= body.size()) {
    size_t end = body.find(';', start);
    if (end == std::string_view::npos) end = body.size();
    const std::string_view declaration = body.substr(start, end - start);
    const size_t colon = declaration.find(':');
    if (colon != std::string_view::npos) {
      const std::string_view property = Strip(declaration.substr(0, colon));
      if (!property.empty()) {
        declarations.push_back(
            {LowerAscii(property), std::string(Strip(declaration.substr(colon + 1)))});
      }
    }
    start = end + 1;
  }
  return declarations;
}

// "\"宋体\",Verdana" -> {宋体, Verdana}
std::vector<std::string> ParseFamilies(std::string_view value) {
  std::vector<std::string> families;
  size_t start = 0;
  while (start <= value.size()) {
    size_t end = value.find(',', start);
    if (end == std::string_view::npos) end = value.size();
    std::string_view family = Strip(value.substr(start, end - start));
    if (family.size() >= 2 && (family.front() == '"' || family.front() == '\'') &&
        family.back() == family.front()) {
      family = family.substr(1, family.size() - 2);
    }
    if (!family.empty()) families.emplace_back(family);
    start = end + 1;
  }
  return families;
}

// "9pt" -> 9; "65%" -> 65% of inherited. Anything else: nothing.
std::optional<double> ParseSize(std::string_view value, double inherited) {
  const std::string text(value);
  char* end = nullptr;
  const double number = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || !(number > 0) || !std::isfinite(number)) return std::nullopt;
  const std::string unit = LowerAscii(Strip(std::string_view(end)));
  if (unit == "pt") return number;
  if (unit == "%") return inherited * number / 100;
  return std::nullopt;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

struct NamedColor {
  std::string_view name;
  Rgb rgb;
};
constexpr NamedColor kNamedColors[] = {
    {"black", 0x000000},  {"silver", 0xC0C0C0}, {"gray", 0x808080},   {"white", 0xFFFFFF},
    {"maroon", 0x800000}, {"red", 0xFF0000},    {"purple", 0x800080}, {"fuchsia", 0xFF00FF},
    {"green", 0x008000},  {"lime", 0x00FF00},   {"olive", 0x808000},  {"yellow", 0xFFFF00},
    {"navy", 0x000080},   {"blue", 0x0000FF},   {"teal", 0x008080},   {"aqua", 0x00FFFF},
};

}  // namespace

std::string_view StyleSheetText() {
  return kStyleSheet;
}

std::optional<Rgb> ParseCssColor(std::string_view value) {
  value = Strip(value);
  if (!value.empty() && value.front() == '#') {
    const std::string_view digits = value.substr(1);
    if (digits.size() != 3 && digits.size() != 6) return std::nullopt;
    Rgb rgb = 0;
    for (char c : digits) {
      const int digit = HexDigit(c);
      if (digit < 0) return std::nullopt;
      rgb = rgb * 16 + static_cast<Rgb>(digit);
      if (digits.size() == 3) rgb = rgb * 16 + static_cast<Rgb>(digit);  // #f90 is #ff9900
    }
    return rgb;
  }
  const std::string name = LowerAscii(value);
  for (const NamedColor& color : kNamedColors) {
    if (color.name == name) return color.rgb;
  }
  return std::nullopt;
}

int PointsToPixels(double points, int dpi) {
  return static_cast<int>(std::lround(points * dpi / 72.0));
}

StyleSheet StyleSheet::Parse(std::string_view text) {
  StyleSheet sheet;
  size_t at = 0;
  while (at < text.size()) {
    const size_t open = text.find('{', at);
    if (open == std::string_view::npos) break;
    size_t close = text.find('}', open + 1);
    if (close == std::string_view::npos) close = text.size();
    const std::string_view selector = Strip(text.substr(at, open - at));
    if (!selector.empty()) {
      sheet.rules_.push_back(
          {LowerAscii(selector), ParseDeclarations(text.substr(open + 1, close - open - 1))});
    }
    at = close + 1;
  }
  return sheet;
}

const StyleSheet& StyleSheet::Program() {
  static const StyleSheet sheet = Parse(kStyleSheet);
  return sheet;
}

std::optional<std::string> StyleSheet::Value(std::string_view selector,
                                             std::string_view property) const {
  const std::string wantedSelector = LowerAscii(selector);
  const std::string wantedProperty = LowerAscii(property);
  std::optional<std::string> value;
  for (const StyleRule& rule : rules_) {
    if (rule.selector != wantedSelector) continue;
    for (const StyleDeclaration& declaration : rule.declarations) {
      if (declaration.property == wantedProperty) value = declaration.value;
    }
  }
  return value;
}

TextStyle StyleSheet::Apply(std::string_view selector, const TextStyle& inherited) const {
  TextStyle style = inherited;
  if (auto size = Value(selector, "font-size")) {
    if (auto points = ParseSize(*size, inherited.points)) style.points = *points;
  }
  if (auto color = Value(selector, "color")) {
    if (auto rgb = ParseCssColor(*color)) style.color = *rgb;
  }
  if (auto families = Value(selector, "font-family")) {
    std::vector<std::string> parsed = ParseFamilies(*families);
    if (!parsed.empty()) style.families = std::move(parsed);
  }
  if (auto weight = Value(selector, "font-weight")) {
    const std::string lower = LowerAscii(*weight);
    if (lower == "bold" || lower == "bolder") style.bold = true;
    if (lower == "normal") style.bold = false;
  }
  if (auto decoration = Value(selector, "text-decoration")) {
    const std::string lower = LowerAscii(*decoration);
    if (lower == "underline") style.underline = true;
    if (lower == "none") style.underline = false;
  }
  if (auto background = Value(selector, "background-color")) {
    if (auto rgb = ParseCssColor(*background)) style.background = *rgb;
  }
  return style;
}

}  // namespace ui
