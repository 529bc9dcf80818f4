// Hypertext parsing (GBK). '<', '>', '&', CR and LF are all below 0x40, so none of them can be
// the trail byte of a double-byte character and a byte scan finds them safely.
#include "ui/hypertext.h"

#include <algorithm>
#include <cctype>

#include "base/gbk.h"

namespace ui {

namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// The value of color in a font tag's attributes: "color = #D98719", quoted or not.
bool ParseColor(std::string_view attributes, Rgb& color) {
  const std::string lower = Lower(attributes);
  size_t at = lower.find("color");
  if (at == std::string::npos) return false;
  at = lower.find('=', at);
  if (at == std::string::npos) return false;
  ++at;
  while (at < lower.size() && (lower[at] == ' ' || lower[at] == '"' || lower[at] == '\'')) ++at;
  if (at < lower.size() && lower[at] == '#') ++at;
  Rgb value = 0;
  int digits = 0;
  for (; at < lower.size() && digits < 6 && std::isxdigit(static_cast<unsigned char>(lower[at]));
       ++at, ++digits) {
    const char c = lower[at];
    value = value * 16 + static_cast<Rgb>(c <= '9' ? c - '0' : c - 'a' + 10);
  }
  if (digits != 6) return false;
  color = value;
  return true;
}

struct Entity {
  std::string_view name;
  char value;
};
constexpr Entity kEntities[] = {
    {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&nbsp;", ' '}};

class Parser {
 public:
  explicit Parser(Rgb defaultColor) : defaultColor_(defaultColor) { lines_.emplace_back(); }

  void Text(std::string_view text) {
    if (text.empty()) return;
    const Rgb color = colors_.empty() ? defaultColor_ : colors_.back();
    HypertextLine& line = lines_.back();
    if (!line.empty() && line.back().bold == (bold_ > 0) && line.back().color == color) {
      line.back().text += text;
    } else {
      line.push_back({std::string(text), bold_ > 0, color});
    }
  }

  void Tag(std::string_view inside) {
    const std::string lower = Lower(inside);
    size_t nameEnd = 0;
    while (nameEnd < lower.size() && lower[nameEnd] != ' ' && lower[nameEnd] != '/') ++nameEnd;
    if (nameEnd == 0 && !lower.empty() && lower[0] == '/') {
      nameEnd = 1;
      while (nameEnd < lower.size() && lower[nameEnd] != ' ') ++nameEnd;
    }
    const std::string name = lower.substr(0, nameEnd);
    if (name == "b" || name == "strong") {
      ++bold_;
    } else if (name == "/b" || name == "/strong") {
      if (bold_ > 0) --bold_;
    } else if (name == "font") {
      Rgb color = colors_.empty() ? defaultColor_ : colors_.back();
      ParseColor(inside.substr(nameEnd), color);
      colors_.push_back(color);
    } else if (name == "/font") {
      if (!colors_.empty()) colors_.pop_back();
    } else if (name == "br" || name == "br/" || name == "p" || name == "/p") {
      LineBreak();
    }
    // Any other element is dropped without a trace.
  }

  void LineBreak() { lines_.emplace_back(); }

  std::vector<HypertextLine> Take() { return std::move(lines_); }

 private:
  Rgb defaultColor_;
  int bold_ = 0;
  std::vector<Rgb> colors_;
  std::vector<HypertextLine> lines_;
};

}  // namespace

std::vector<HypertextLine> ParseHypertext(std::string_view text, Rgb defaultColor) {
  Parser parser(defaultColor);
  std::string pending;
  auto flush = [&] {
    parser.Text(pending);
    pending.clear();
  };
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (const size_t length = base::CharLength(text, i); length > 1) {  // kept whole
      pending.append(text.substr(i, length));
      i += length;
    } else if (c == '<') {
      // A tag starts with a letter or '/': "<10" in "%player_health%<10" is text.
      const char next = i + 1 < text.size() ? text[i + 1] : '\0';
      const bool tagStart = std::isalpha(static_cast<unsigned char>(next)) || next == '/';
      const size_t close = tagStart ? text.find('>', i + 1) : std::string_view::npos;
      if (close == std::string_view::npos) {  // not a tag: shown as it is
        pending.push_back('<');
        ++i;
        continue;
      }
      flush();
      parser.Tag(text.substr(i + 1, close - i - 1));
      i = close + 1;
    } else if (c == '\r' || c == '\n') {
      flush();
      parser.LineBreak();
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
    } else if (c == '&') {
      bool matched = false;
      for (const Entity& entity : kEntities) {
        if (text.substr(i, entity.name.size()) == entity.name) {
          pending.push_back(entity.value);
          i += entity.name.size();
          matched = true;
          break;
        }
      }
      if (!matched) {
        pending.push_back('&');
        ++i;
      }
    } else {
      pending.push_back(static_cast<char>(c));
      ++i;
    }
  }
  flush();
  return parser.Take();
}

std::string PlainText(const std::vector<HypertextLine>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += "\r\n";
    for (const HypertextRun& run : lines[i]) text += run.text;
  }
  return text;
}

std::vector<PlacedLine> LayoutHypertext(const std::vector<HypertextLine>& lines,
                                        HypertextMeasure& measure, int maxWidth, int maxHeight) {
  std::vector<PlacedLine> placed;
  const HypertextMetrics body = measure.Metrics(false);
  int nextTop = 0;
  auto startLine = [&]() -> bool {
    if (!placed.empty()) nextTop = placed.back().top + placed.back().height;
    if (nextTop >= maxHeight) return false;
    placed.push_back({{}, nextTop, body.height, body.ascent});
    return true;
  };
  for (const HypertextLine& line : lines) {
    if (!startLine()) return placed;
    int x = 0;
    for (const HypertextRun& run : line) {
      const HypertextMetrics metrics = measure.Metrics(run.bold);
      const std::string_view text = run.text;
      size_t start = 0;
      while (start < text.size()) {
        // One token: a double-byte character, a space, or a stretch of other single bytes.
        size_t end = start + base::CharLength(text, start);
        if (end == start + 1 && text[start] != ' ') {
          while (end < text.size() && text[end] != ' ' && base::CharLength(text, end) == 1) {
            ++end;
          }
        }
        const std::string_view token = text.substr(start, end - start);
        const int width = measure.Width(token, run.bold);
        if (x > 0 && x + width > maxWidth) {
          if (!startLine()) return placed;
          x = 0;
          if (token == " ") {  // a space does not start a wrapped line
            start = end;
            continue;
          }
        }
        PlacedLine& current = placed.back();
        current.height = std::max(current.height, metrics.height);
        current.ascent = std::max(current.ascent, metrics.ascent);
        if (!current.runs.empty() && current.runs.back().bold == run.bold &&
            current.runs.back().color == run.color) {
          current.runs.back().text += token;
          current.runs.back().width += width;
        } else {
          current.runs.push_back({std::string(token), run.bold, run.color, x, width});
        }
        x += width;
        start = end;
      }
    }
  }
  return placed;
}

}  // namespace ui
