// Reading script lines back into their fields (GBK texts). Every split keeps the separator it
// found out of the fields and the form puts it back, so ComposeScriptLine(ParseScriptLine(t)) is
// t for every text t.
#include "compose/script_line.h"

#include "base/gbk.h"

namespace compose {
namespace {

constexpr FieldSpec kCommandFields[] = {{FieldKind::kCommand, "命令", true}};
constexpr FieldSpec kCostFields[] = {{FieldKind::kAmount, "金额", true},
                                     {FieldKind::kChatText, "金钱不足提示", false}};
constexpr FieldSpec kMessageFields[] = {{FieldKind::kChatText, "信息", true}};
constexpr FieldSpec kTitleFields[] = {{FieldKind::kChatText, "主标题", true},
                                      {FieldKind::kChatText, "副标题", false},
                                      {FieldKind::kTicks, "淡入时间", false},
                                      {FieldKind::kTicks, "停留时间", false},
                                      {FieldKind::kTicks, "淡出时间", false}};
constexpr FieldSpec kItemFields[] = {{FieldKind::kItemCode, "物品ID", true},
                                     {FieldKind::kChatText, "物品名字", false},
                                     {FieldKind::kItemCount, "物品数量", true},
                                     {FieldKind::kChatText, "物品数量不足提示", false}};
constexpr FieldSpec kShortItemFields[] = {{FieldKind::kItemCode, "物品ID", true},
                                          {FieldKind::kItemCount, "物品数量", true},
                                          {FieldKind::kChatText, "物品数量不足提示", false}};
constexpr FieldSpec kPermissionFields[] = {{FieldKind::kNode, "权限节点", true},
                                           {FieldKind::kChatText, "没有权限提示", false}};
constexpr FieldSpec kLevelFields[] = {{FieldKind::kOperator, "比较符号", true},
                                      {FieldKind::kLevel, "等级", true},
                                      {FieldKind::kChatText, "等级不符提示", false}};
constexpr FieldSpec kHealthFields[] = {{FieldKind::kOperator, "比较符号", true},
                                       {FieldKind::kHealth, "血量", true},
                                       {FieldKind::kChatText, "血量不符提示", false}};
constexpr FieldSpec kDelayFields[] = {{FieldKind::kTicks, "延迟刻数", true}};
constexpr FieldSpec kRawFields[] = {{FieldKind::kLine, "脚本行", false}};

constexpr std::string_view kSpace[] = {" "};
constexpr std::string_view kSpaces[] = {" ", " "};
constexpr std::string_view kTitleSeparators[] = {kTitleSeparator, kTitleSeparator, kTitleSeparator,
                                                 kTitleSeparator};
constexpr std::string_view kItemSeparators[] = {kItemNameSeparator, " ", " "};
constexpr std::string_view kLevelSeparators[] = {"", " "};

constexpr DirectiveForm kForms[] = {
    {Directive::kBypass, kBypassLiteral, kCommandFields, {}},
    {Directive::kCommand, kCommandLiteral, kCommandFields, {}},
    {Directive::kConsole, kConsoleLiteral, kCommandFields, {}},
    {Directive::kCost, kCostLiteral, kCostFields, kSpace},
    {Directive::kMessage, kMessageLiteral, kMessageFields, {}},
    {Directive::kTitle, kTitleLiteral, kTitleFields, kTitleSeparators},
    {Directive::kItem, kItemLiteral, kItemFields, kItemSeparators},
    {Directive::kItemWithoutName, kItemLiteral, kShortItemFields, kSpaces},
    {Directive::kPermission, kPermissionLiteral, kPermissionFields, kSpace},
    {Directive::kLevel, kLevelLiteral, kLevelFields, kLevelSeparators},
    {Directive::kHealth, kHealthLiteral, kHealthFields, kLevelSeparators},
    {Directive::kDelay, kDelayLiteral, kDelayFields, {}},
};
constexpr DirectiveForm kRawForm{Directive::kRaw, {}, kRawFields, {}};

// Where a line of glued lines can start: every directive of the plugin, "@papi:" with any
// placeholder included.
constexpr std::string_view kLineStarts[] = {
    kBypassLiteral, kCommandLiteral, kConsoleLiteral,    kCostLiteral, kMessageLiteral,
    kTitleLiteral,  kItemLiteral,    kPermissionLiteral, "@papi:",     kDelayLiteral};

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Cuts off and returns the text before the first separator, leaving the rest after it in text.
// Without separator: the whole text, and nothing is left.
std::string CutBefore(std::string_view& text, std::string_view separator, bool& found) {
  const std::size_t at = text.find(separator);
  found = at != std::string_view::npos;
  std::string piece(text.substr(0, at));
  text = found ? text.substr(at + separator.size()) : std::string_view{};
  return piece;
}

// Splits argument into up to count fields at each separator in turn; the last takes the rest.
std::vector<std::string> SplitFields(std::string_view argument,
                                     std::span<const std::string_view> separators) {
  std::vector<std::string> fields;
  for (std::string_view separator : separators) {
    bool found = false;
    fields.push_back(CutBefore(argument, separator, found));
    if (!found) return fields;
  }
  fields.emplace_back(argument);
  return fields;
}

std::vector<std::string> SplitTitle(std::string_view argument) {
  std::vector<std::string_view> pieces;
  for (std::size_t start = 0;;) {
    const std::size_t at = argument.find(kTitleSeparator, start);
    pieces.push_back(argument.substr(start, at - start));
    if (at == std::string_view::npos) break;
    start = at + kTitleSeparator.size();
  }
  const std::size_t timings = pieces.size() >= 5 ? 3 : 0;
  std::vector<std::string> fields{std::string(pieces.front())};
  if (pieces.size() >= 2) {
    // The subtitle runs from the second piece to the first timing, "##" inside it kept.
    const std::string_view first = pieces[1];
    const std::string_view last = pieces[pieces.size() - 1 - timings];
    fields.emplace_back(first.data(),
                        static_cast<std::size_t>(last.data() + last.size() - first.data()));
  }
  for (std::size_t i = pieces.size() - timings; i < pieces.size(); ++i) {
    fields.emplace_back(pieces[i]);
  }
  return fields;
}

std::vector<std::string> SplitCondition(std::string_view argument) {
  std::size_t signs = 0;
  while (signs < argument.size() &&
         std::string_view("<>=!").find(argument[signs]) != std::string_view::npos) {
    ++signs;
  }
  std::vector<std::string> fields{std::string(argument.substr(0, signs))};
  bool found = false;
  std::string_view rest = argument.substr(signs);
  fields.push_back(CutBefore(rest, " ", found));
  if (found) fields.emplace_back(rest);
  return fields;
}

}  // namespace

std::span<const DirectiveForm> DirectiveForms() {
  return kForms;
}

const DirectiveForm& FormOf(Directive directive) {
  for (const DirectiveForm& form : kForms) {
    if (form.directive == directive) return form;
  }
  return kRawForm;
}

ScriptLine ParseScriptLine(std::string_view text) {
  for (const DirectiveForm& form : kForms) {
    if (!StartsWith(text, form.literal)) continue;
    const std::string_view argument = text.substr(form.literal.size());
    switch (form.directive) {
      case Directive::kTitle:
        return {form.directive, SplitTitle(argument)};
      case Directive::kItem:
      case Directive::kItemWithoutName:
        if (argument.find(kItemNameSeparator) != std::string_view::npos) {
          return {Directive::kItem, SplitFields(argument, kItemSeparators)};
        }
        return {Directive::kItemWithoutName, SplitFields(argument, kSpaces)};
      case Directive::kLevel:
      case Directive::kHealth:
        return {form.directive, SplitCondition(argument)};
      default:
        return {form.directive, SplitFields(argument, form.separators)};
    }
  }
  return {Directive::kRaw, {std::string(text)}};
}

std::string ComposeScriptLine(const ScriptLine& line) {
  const DirectiveForm& form = FormOf(line.directive);
  std::string text(form.literal);
  for (std::size_t i = 0; i < line.fields.size() && i < form.fields.size(); ++i) {
    if (i > 0) text += form.separators[i - 1];
    text += line.fields[i];
  }
  return text;
}

std::size_t FieldOffset(const ScriptLine& line, std::size_t index) {
  const DirectiveForm& form = FormOf(line.directive);
  std::size_t offset = form.literal.size();
  for (std::size_t i = 0; i < index && i < line.fields.size(); ++i) {
    offset += line.fields[i].size() + (i < form.separators.size() ? form.separators[i].size() : 0);
  }
  return offset;
}

std::vector<LineSpan> SplitScriptLines(std::string_view text) {
  std::vector<LineSpan> lines;
  std::size_t start = 0;
  const auto end = [&](std::size_t at, std::size_t skip) {
    if (at > start) lines.push_back({start, at - start});
    start = at + skip;
  };
  for (std::size_t at = 0; at < text.size(); at += base::CharLength(text, at)) {
    if (text[at] == '\r' || text[at] == '\n') {
      end(at, 1);
      continue;
    }
    if (at == start || (text[at] != '@' && text[at] != '$')) continue;
    for (std::string_view literal : kLineStarts) {
      if (StartsWith(text.substr(at), literal)) {
        end(at, 0);
        break;
      }
    }
  }
  end(text.size(), 0);
  return lines;
}

}  // namespace compose
