// Script-line builders (GBK texts). The rows are data; one routine joins any of them.
#include "compose/builders.h"

#include <string>

#include "ui/frame.h"

namespace compose {
namespace {

using namespace ui::ids;

constexpr LinePart kBypassParts[] = {Literal("@bypass "), Input(编辑框1)};
constexpr LinePart kCommandParts[] = {Literal("@command "), Input(编辑框2)};
constexpr LinePart kConsoleParts[] = {Literal("@console "), Input(编辑框3)};
constexpr LinePart kCostParts[] = {Literal("$cost:"), Input(编辑框4)};
constexpr LinePart kMessageParts[] = {Literal("@msg:"), Input(编辑框5)};
constexpr LinePart kTitleParts[] = {Literal("@title:"), Input(编辑框6), Literal("##"),
                                    Input(编辑框7), Literal("##10##60##10")};
constexpr LinePart kItemParts[] = {Literal("$item:"), Input(编辑框8), Literal("#####"),
                                   Input(编辑框9),    Literal(" "),   Input(编辑框10),
                                   Literal(" "),      Input(编辑框11)};
constexpr LinePart kPermissionParts[] = {Literal("@perm:"), Input(编辑框12)};
constexpr LinePart kLevelParts[] = {Literal("@papi:%player_level%"), Input(编辑框13)};
constexpr LinePart kHealthParts[] = {Literal("@papi:%player_health%"), Input(编辑框14)};
constexpr LinePart kDelayParts[] = {Literal("@delay:"), Input(编辑框17)};

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

void AppendScriptLine(const ScriptLineRow& row) {
  if (row.gate != 0 && !ui::ReadChecked(kMainWindow, row.gate)) return;
  std::string line;
  for (const LinePart& part : row.parts) {
    if (part.input != 0) {
      line += ui::ReadText(kMainWindow, part.input);
    } else {
      line += part.literal;
    }
  }
  // Only the new line goes into the box, straight after what the box holds, with no separator:
  // the box's own text is never read back and rewritten, so what the user typed there stays
  // exactly as it was. Caret and view end at the start, as after writing the whole text.
  ui::Frame().AppendToEditBox({kMainWindow, 编辑框16, ui::Kind::kEditBox}, line,
                              ui::AppendedView::kAtStart);
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

void CopyScriptLines() {
  ui::Frame().CopyControlText({kMainWindow, 编辑框16, ui::Kind::kEditBox});
}
void ClearScriptLines() {
  ui::WriteText(kMainWindow, 编辑框16, "");
}

}  // namespace compose
