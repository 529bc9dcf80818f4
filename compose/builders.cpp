// Script-line builders (GBK texts). The rows are data; one routine joins any of them.
#include "compose/builders.h"

#include <string>

#include "app/frame.h"

namespace compose {
namespace {

using namespace app::ids;

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

constexpr ScriptLineRow kRows[] = {
    {按钮6, 单选框1, kBypassParts},   {按钮7, 单选框2, kCommandParts},
    {按钮8, 单选框3, kConsoleParts},  {按钮9, 单选框4, kCostParts},
    {按钮10, 单选框5, kMessageParts}, {按钮11, 单选框6, kTitleParts},
    {按钮13, 单选框7, kItemParts},    {按钮15, 0, kPermissionParts},
    {按钮16, 0, kLevelParts},         {按钮17, 0, kHealthParts},
    {按钮23, 0, kDelayParts},
};

}  // namespace

std::span<const ScriptLineRow> ScriptLineRows() {
  return kRows;
}

void AppendScriptLine(const ScriptLineRow& row) {
  if (row.gate != 0 && !app::ReadChecked(kMainWindow, row.gate)) return;
  std::string line;
  for (const LinePart& part : row.parts) {
    if (part.input != 0) {
      line += app::ReadText(kMainWindow, part.input);
    } else {
      line += part.literal;
    }
  }
  // Only the new line goes into the box, straight after what the box holds, with no separator:
  // the box's own text is never read back and rewritten, so what the user typed there stays
  // exactly as it was. Caret and view end at the start, as after writing the whole text.
  app::Frame().AppendToEditBox({kMainWindow, 编辑框16, app::Kind::kEditBox}, line,
                               app::AppendedView::kAtStart);
}

void BuildBypassLine() {
  AppendScriptLine(kRows[0]);
}
void BuildCommandLine() {
  AppendScriptLine(kRows[1]);
}
void BuildConsoleLine() {
  AppendScriptLine(kRows[2]);
}
void BuildCostLine() {
  AppendScriptLine(kRows[3]);
}
void BuildMessageLine() {
  AppendScriptLine(kRows[4]);
}
void BuildTitleLine() {
  AppendScriptLine(kRows[5]);
}
void BuildItemLine() {
  AppendScriptLine(kRows[6]);
}
void BuildPermissionLine() {
  AppendScriptLine(kRows[7]);
}
void BuildLevelLine() {
  AppendScriptLine(kRows[8]);
}
void BuildHealthLine() {
  AppendScriptLine(kRows[9]);
}
void BuildDelayLine() {
  AppendScriptLine(kRows[10]);
}

void CopyScriptLines() {
  app::Frame().CopyToClipboard(app::ReadText(kMainWindow, 编辑框16));
}
void ClearScriptLines() {
  app::WriteText(kMainWindow, 编辑框16, "");
}

}  // namespace compose
