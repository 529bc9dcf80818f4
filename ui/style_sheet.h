// The style sheet the hypertext kinds (balloon tip, simple hypertext box) hold: a small CSS text
// of element rules. It is kept as text and parsed, so what a rule says is what the renderer
// uses. GBK bytes (face names such as 宋体 are double-byte).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/geometry.h"

namespace ui {

using base::Rgb;

// The program's style sheet: 17 rules, one per line, each line ending in CR LF.
std::string_view StyleSheetText();

struct StyleDeclaration {
  std::string property;  // lower case, no blanks
  std::string value;     // blanks around it removed
  bool operator==(const StyleDeclaration&) const = default;
};

struct StyleRule {
  std::string selector;  // "body", "a:link", ".comment"
  std::vector<StyleDeclaration> declarations;
};

// What a run of text is drawn with.
struct TextStyle {
  std::vector<std::string> families;  // in order of preference, quotes removed
  double points = 9;
  Rgb color = 0x000000;
  bool bold = false;
  bool underline = false;
  std::optional<Rgb> background;
  bool operator==(const TextStyle&) const = default;
};

class StyleSheet {
 public:
  // Rules are "selector {property: value; ...}". A rule without a closing brace runs to the end;
  // declarations without a colon and empty selectors are skipped. Later rules for the same
  // selector add to earlier ones.
  static StyleSheet Parse(std::string_view text);
  // The program's own sheet, parsed once.
  static const StyleSheet& Program();

  const std::vector<StyleRule>& Rules() const { return rules_; }
  // The last value the sheet gives property for selector.
  std::optional<std::string> Value(std::string_view selector, std::string_view property) const;
  // inherited as changed by the selector's rule: sizes in pt, or in % of the inherited size;
  // colours by name or #rgb/#rrggbb; font-weight bold/normal; text-decoration underline/none.
  // Values it cannot read leave the inherited ones.
  TextStyle Apply(std::string_view selector, const TextStyle& inherited) const;
  // Text outside any element: the body rule over a 9-point black default.
  TextStyle Body() const { return Apply("body", TextStyle{}); }

 private:
  std::vector<StyleRule> rules_;
};

// A colour value: a name of the basic HTML palette, #rgb or #rrggbb.
[[nodiscard]] std::optional<Rgb> ParseCssColor(std::string_view value);

// Character height in pixels of a size in points on a screen of dpi dots per inch, rounded.
int PointsToPixels(double points, int dpi);

}  // namespace ui
