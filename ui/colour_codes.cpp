// Reading chat codes the way the game does: it replaces a sign and a code character by the style
// and leaves every other sign as written; a colour code starts a fresh style, so formats written
// before it are lost.
#include "ui/colour_codes.h"

#include <utility>

#include "base/gbk.h"

namespace ui {
namespace {

constexpr std::uint32_t kColours[kChatColourCount] = {
    0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA, 0xFFAA00, 0xAAAAAA,
    0x555555, 0x5555FF, 0x55FF55, 0x55FFFF, 0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF,
};

using base::CharLength;

constexpr std::size_t kHexDigits = 6;  // &#RRGGBB, &x&R&R&G&G&B&B

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

int ColourIndex(char code) {
  if (code >= '0' && code <= '9') return code - '0';
  if (code >= 'a' && code <= 'f') return code - 'a' + 10;
  return -1;
}

int HexDigit(char c) {
  const char lower = Lower(c);
  if (c >= '0' && c <= '9') return c - '0';
  if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
  return -1;
}

// The section sign "§" in GBK, the sign the game itself and servers write.
constexpr std::string_view kSectionSign = "\xA1\xEC";

// The colour of a hex code at offset (its sign, of signLength bytes, at offset) as 0xRRGGBB and
// its length, or a length of 0 when none starts there: a cut or misspelt one is read as the codes
// it starts with. The spelled form repeats the same sign before every digit.
std::pair<std::uint32_t, std::size_t> HexCodeAt(std::string_view text, std::size_t offset,
                                                std::size_t signLength) {
  const std::string_view rest = text.substr(offset);
  const std::string_view sign = rest.substr(0, signLength);
  const std::size_t shortLength = signLength + 1 + kHexDigits;
  const std::size_t spelledLength = signLength + 1 + kHexDigits * (signLength + 1);
  std::uint32_t rgb = 0;
  if (rest.size() >= shortLength && rest[signLength] == '#') {
    for (std::size_t i = signLength + 1; i < shortLength; ++i) {
      const int digit = HexDigit(rest[i]);
      if (digit < 0) return {0, 0};
      rgb = rgb << 4 | static_cast<std::uint32_t>(digit);
    }
    return {rgb, shortLength};
  }
  if (rest.size() >= spelledLength && Lower(rest[signLength]) == 'x') {
    for (std::size_t i = signLength + 1; i < spelledLength; i += signLength + 1) {
      const int digit = HexDigit(rest[i + signLength]);
      if (rest.substr(i, signLength) != sign || digit < 0) return {0, 0};
      rgb = rgb << 4 | static_cast<std::uint32_t>(digit);
    }
    return {rgb, spelledLength};
  }
  return {0, 0};
}

bool IsPlaceholderChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Length of a placeholder "%name%" at offset, or 0. A name starts with a letter and holds
// letters, digits and underscores, as PlaceholderAPI's identifiers do.
std::size_t PlaceholderLength(std::string_view text, std::size_t offset) {
  std::size_t end = offset + 1;
  if (end >= text.size() || Lower(text[end]) < 'a' || Lower(text[end]) > 'z') return 0;
  while (end < text.size() && IsPlaceholderChar(text[end])) ++end;
  return end < text.size() && text[end] == '%' ? end + 1 - offset : 0;
}

class Reader {
 public:
  Reader(std::string_view text, CodeSigns signs) : text_(text), signs_(signs) {}

  ChatLine Read() {
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (const std::size_t sign = SignAt(at_)) {
        ReadCode(sign);
      } else if (const std::size_t length = c == '%' ? PlaceholderLength(text_, at_) : 0) {
        Emit(text_.substr(at_, length), RunKind::kPlaceholder);
        Advance(length);
      } else {
        Emit(text_.substr(at_, CharLength(text_, at_)), RunKind::kText);
        Advance(CharLength(text_, at_));
      }
    }
    return std::move(line_);
  }

 private:
  struct PendingFormat {
    std::size_t offset;
    std::size_t column;
    std::string code;
  };

  // The length of the code sign starting at offset, or 0 when none does.
  std::size_t SignAt(std::size_t offset) const {
    const auto wanted = [this](CodeSigns sign) {
      return (static_cast<unsigned>(signs_) & static_cast<unsigned>(sign)) != 0;
    };
    if (wanted(CodeSigns::kAmpersand) && text_[offset] == '&') return 1;
    if (wanted(CodeSigns::kSection) && text_.substr(offset, 2) == kSectionSign) return 2;
    return 0;
  }

  // A sign of signLength bytes at at_, and what follows it.
  void ReadCode(std::size_t signLength) {
    const std::size_t after = at_ + signLength;
    if (after >= text_.size() || SignAt(after) != 0) {
      Flag(CodeProblemKind::kLoneAmpersand, signLength);
      return;
    }
    const char next = text_[after];
    if (next == ' ' || next == '\t') {  // "A & B": plainly meant as written
      Emit(text_.substr(at_, signLength), RunKind::kText);
      Advance(signLength);
      return;
    }
    if (const auto [rgb, length] = HexCodeAt(text_, at_, signLength); length > 0) {
      const std::string written(text_.substr(at_, length));
      StartColour(written);
      line_.problems.push_back({CodeProblemKind::kHexColour, at_, column_, written, {}});
      style_.rgb = static_cast<std::int32_t>(rgb);
      Advance(length);
      return;
    }
    const char code = Lower(next);
    const std::string written(text_.substr(at_, signLength + 1));
    if (const int colour = ColourIndex(code); colour >= 0 || code == 'r') {
      StartColour(written);
      if (colour >= 0) style_.colour = colour;
      Advance(written.size());
      return;
    }
    bool* format = nullptr;
    switch (code) {
      case 'k':
        format = &style_.obfuscated;
        break;
      case 'l':
        format = &style_.bold;
        break;
      case 'm':
        format = &style_.strikethrough;
        break;
      case 'n':
        format = &style_.underline;
        break;
      case 'o':
        format = &style_.italic;
        break;
      default:
        break;
    }
    if (format != nullptr) {
      *format = true;
      pending_.push_back({at_, column_, written});
      Advance(written.size());
      return;
    }
    // Not a code: the game shows the sign and the character after it, whole.
    Flag(CodeProblemKind::kUnknownCode, signLength + CharLength(text_, after));
  }

  // A colour or reset code: the formats written since the last text are lost, and the style
  // starts afresh.
  void StartColour(const std::string& written) {
    for (const PendingFormat& format : pending_) {
      line_.problems.push_back({CodeProblemKind::kFormatBeforeColour, format.offset, format.column,
                                format.code, written});
    }
    pending_.clear();
    style_ = ChatStyle{};
  }

  void Flag(CodeProblemKind kind, std::size_t length) {
    const std::string_view written = text_.substr(at_, length);
    line_.problems.push_back({kind, at_, column_, std::string(written), {}});
    Emit(written, RunKind::kFlagged);
    Advance(length);
  }

  // Visible text: formats before it have had their effect.
  void Emit(std::string_view text, RunKind kind) {
    pending_.clear();
    if (kind == RunKind::kText && !line_.runs.empty() && line_.runs.back().kind == RunKind::kText &&
        line_.runs.back().style == style_) {
      line_.runs.back().text += text;
      return;
    }
    line_.runs.push_back({std::string(text), style_, kind});
  }

  // Moves past bytes that the caller has read, counting characters.
  void Advance(std::size_t bytes) {
    const std::size_t end = at_ + bytes;
    while (at_ < end) {
      at_ += CharLength(text_, at_);
      ++column_;
    }
  }

  std::string_view text_;
  CodeSigns signs_;
  std::size_t at_ = 0;
  std::size_t column_ = 1;
  ChatStyle style_;
  std::vector<PendingFormat> pending_;
  ChatLine line_;
};

}  // namespace

ChatLine ReadChatCodes(std::string_view text, CodeSigns signs) {
  return Reader(text, signs).Read();
}

std::uint32_t ChatColour(int index) {
  return index >= 0 && index < kChatColourCount ? kColours[index] : kColours[kDefaultChatColour];
}

// The game draws each glyph's shadow one pixel down and right in a quarter of its colour.
std::uint32_t ChatShadowColour(int index) {
  return StyleShadowColour(ChatStyle{.colour = index});
}

std::uint32_t StyleColour(const ChatStyle& style) {
  return style.rgb >= 0 ? static_cast<std::uint32_t>(style.rgb) & 0xFFFFFF
                        : ChatColour(style.colour);
}

std::uint32_t StyleShadowColour(const ChatStyle& style) {
  return (StyleColour(style) >> 2) & 0x3F3F3F;
}

std::string DescribeCodeProblem(const CodeProblem& problem) {
  const std::string where = "第" + std::to_string(problem.column) + "字处";
  switch (problem.kind) {
    case CodeProblemKind::kUnknownCode:
      return where + "的 " + problem.code + " 不是颜色或格式代码，游戏会原样显示";
    case CodeProblemKind::kLoneAmpersand:
      return where + "的 " + problem.code + " 后面没有代码，游戏会原样显示";
    case CodeProblemKind::kFormatBeforeColour:
      return where + "的 " + problem.code + " 写在 " + problem.clearedBy + " 之前，" +
             (!problem.clearedBy.empty() && Lower(problem.clearedBy.back()) == 'r'
                  ? "重置代码清除所有格式"
                  : "游戏遇到颜色代码会清除格式") +
             "，" + problem.code + " 不起作用（应写成 " + problem.clearedBy + problem.code + "）";
    case CodeProblemKind::kHexColour:
      return where + "的 " + problem.code + " 是十六进制颜色，需要 1.16 或更高版本的服务器";
  }
  return {};
}

}  // namespace ui
