// Script-line builders (GBK texts). The rows are data; one routine joins any of them.
#include "compose/builders.h"

#include <string>

#include "compose/script_line.h"
#include "compose/script_session.h"
#include "ui/frame.h"

namespace compose {
namespace {

using namespace ui::ids;

constexpr LinePart kBypassParts[] = {Literal(kBypassLiteral), Input(编辑框1)};
constexpr LinePart kCommandParts[] = {Literal(kCommandLiteral), Input(编辑框2)};
constexpr LinePart kConsoleParts[] = {Literal(kConsoleLiteral), Input(编辑框3)};
constexpr LinePart kCostParts[] = {Literal(kCostLiteral), Input(编辑框4)};
constexpr LinePart kMessageParts[] = {Literal(kMessageLiteral), Input(编辑框5)};
constexpr LinePart kTitleParts[] = {Literal(kTitleLiteral), Input(编辑框6),
                                    Literal(kTitleSeparator), Input(编辑框7),
                                    Literal(kTitleTimings)};
constexpr LinePart kItemParts[] = {
    Literal(kItemLiteral), Input(编辑框8), Literal(kItemNameSeparator),
    Input(编辑框9),        Literal(" "),   Input(编辑框10),
    Literal(" "),          Input(编辑框11)};
constexpr LinePart kPermissionParts[] = {Literal(kPermissionLiteral), Input(编辑框12)};
constexpr LinePart kLevelParts[] = {Literal(kLevelLiteral), Input(编辑框13)};
constexpr LinePart kHealthParts[] = {Literal(kHealthLiteral), Input(编辑框14)};
constexpr LinePart kDelayParts[] = {Literal(kDelayLiteral), Input(编辑框17)};

constexpr ScriptLineRow kBypassRow{按钮6, 单选框1, kBypassParts};
constexpr ScriptLineRow kCommandRow{按钮7, 单选框2, kCommandParts};
constexpr ScriptLineRow kConsoleRow{按钮8, 单选框3, kConsoleParts};
constexpr ScriptLineRow kCostRow{按钮9, 单选框4, kCostParts};
constexpr ScriptLineRow kMessageRow{按钮10, 单选框5, kMessageParts};
constexpr ScriptLineRow kTitleRow{按钮11, 单选框6, kTitleParts};
constexpr ScriptLineRow kItemRow{按钮13, 单选框7, kItemParts};
constexpr ScriptLineRow kPermissionRow{按钮15, 0, kPermissionParts};
constexpr ScriptLineRow kLevelRow{按钮16, 0, kLevelParts};
constexpr ScriptLineRow kHealthRow{按钮17, 0, kHealthParts};
constexpr ScriptLineRow kDelayRow{按钮23, 0, kDelayParts};

// In page order: seven gated rows on page 2, four ungated rows on page 3.
constexpr ScriptLineRow kRows[] = {kBypassRow,  kCommandRow, kConsoleRow, kCostRow,
                                   kMessageRow, kTitleRow,   kItemRow,    kPermissionRow,
                                   kLevelRow,   kHealthRow,  kDelayRow};

}  // namespace

std::span<const ScriptLineRow> ScriptLineRows() {
  return kRows;
}

const ScriptLineRow* RowOfInput(ui::ControlId input) {
  for (const ScriptLineRow& row : kRows) {
    for (const LinePart& part : row.parts) {
      if (part.input != 0 && part.input == input) return &row;
    }
  }
  return nullptr;
}

std::string ComposeRowLine(const ScriptLineRow& row,
                           const std::function<std::string(ui::ControlId)>& textOf) {
  std::string line;
  for (const LinePart& part : row.parts) {
    if (part.input != 0) {
      line += textOf(part.input);
    } else {
      line += part.literal;
    }
  }
  return line;
}

std::string GateNote(std::string_view gateCaption) {
  return "请先选中“" + std::string(gateCaption) + "”，再生成脚本行";
}

void AppendScriptLine(const ScriptLineRow& row) {
  if (row.gate != 0 && !ui::ReadChecked(kMainWindow, row.gate)) {
    ui::Frame().ShowNote({kMainWindow, row.gate, ui::Kind::kRadioBox},
                         GateNote(ui::ReadText(kMainWindow, row.gate)));
    return;
  }
  const std::string line =
      ComposeRowLine(row, [](ui::ControlId input) { return ui::ReadText(kMainWindow, input); });
  // Only the new line goes into the box, straight after what the box holds, with no separator:
  // the box's own text is never read back and rewritten, so what the user typed there stays
  // exactly as it was. Caret and view end at the start, as after writing the whole text.
  ui::Frame().AppendToEditBox({kMainWindow, 编辑框16, ui::Kind::kEditBox}, line,
                              ui::AppendedView::kAtStart);
  // The open script collects the same line as a row of its own, whether or not it is shown.
  Session().AddBuiltLine(line);
}

void BuildBypassLine() {
  AppendScriptLine(kBypassRow);
}
void BuildCommandLine() {
  AppendScriptLine(kCommandRow);
}
void BuildConsoleLine() {
  AppendScriptLine(kConsoleRow);
}
void BuildCostLine() {
  AppendScriptLine(kCostRow);
}
void BuildMessageLine() {
  AppendScriptLine(kMessageRow);
}
void BuildTitleLine() {
  AppendScriptLine(kTitleRow);
}
void BuildItemLine() {
  AppendScriptLine(kItemRow);
}
void BuildPermissionLine() {
  AppendScriptLine(kPermissionRow);
}
void BuildLevelLine() {
  AppendScriptLine(kLevelRow);
}
void BuildHealthLine() {
  AppendScriptLine(kHealthRow);
}
void BuildDelayLine() {
  AppendScriptLine(kDelayRow);
}

void CopyOutputBox(ui::ControlId box, ui::ControlId button) {
  // The box's text goes to the clipboard as the control holds it, without a round trip through
  // GBK: a large box then costs what the edit control's own copy costs.
  std::string copied;
  switch (ui::Frame().CopyControlText({kMainWindow, box, ui::Kind::kEditBox}, &copied)) {
    case ui::CopyOutcome::kNothingToCopy:
      ui::Frame().ShowNote({kMainWindow, button, ui::Kind::kButton}, kNothingToCopyNote);
      break;
    case ui::CopyOutcome::kCopied:
      // A text too long to be a command comes back empty and stays out of the history.
      if (!copied.empty()) Session().NoteCopied(copied);
      break;
    case ui::CopyOutcome::kFailed:
      break;
  }
}

void CopyScriptLines() {
  CopyOutputBox(编辑框16, 按钮21);
}
void ClearScriptLines() {
  ui::WriteText(kMainWindow, 编辑框16, "");
}

}  // namespace compose
