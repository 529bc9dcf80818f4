// Script-line builders and the copy and clear actions of the script-line output box. Every builder
// reads its input boxes verbatim, joins them with fixed literals and adds the line at the end of
// the script-line output box; nothing is trimmed, checked or separated. A click that adds nothing
// (the row's gate not selected) or copies nothing (an empty box) says why in a note at the
// control the user must turn to. GBK texts.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "ui/ids.h"

namespace compose {

// One piece of a script line: a fixed literal, or the text of an input edit box.
struct LinePart {
  std::string_view literal;
  ui::ControlId input = 0;
};

constexpr LinePart Literal(std::string_view text) {
  return {text, 0};
}
constexpr LinePart Input(ui::ControlId editBox) {
  return {{}, editBox};
}

// One builder row: its button, its gate radio box (0: no gate) and the pieces of its line.
struct ScriptLineRow {
  ui::ControlId button;
  ui::ControlId gate;
  std::span<const LinePart> parts;
};

// The eleven rows, in page order: seven gated rows on page 2, four ungated rows on page 3.
std::span<const ScriptLineRow> ScriptLineRows();

// The row an input box belongs to, or nullptr.
const ScriptLineRow* RowOfInput(ui::ControlId input);

// The line the row builds when its inputs hold what textOf gives for each.
std::string ComposeRowLine(const ScriptLineRow& row,
                           const std::function<std::string(ui::ControlId)>& textOf);

// Appends the row's line to the script-line output box and as a row to the open script. With its
// gate not checked nothing is read or added, and a note at the gate names the box to select
// first.
void AppendScriptLine(const ScriptLineRow& row);

// The note at a gate that is not selected, naming it by its caption.
std::string GateNote(std::string_view gateCaption);

// The note at a copy button whose box is empty.
inline constexpr std::string_view kNothingToCopyNote = "没有可复制的内容，剪贴板未改变";

// Puts an output box's whole text on the clipboard and into the command history. An empty box
// leaves the clipboard as it was (what the user had there is not lost to an empty text) and says
// so in a note at button.
void CopyOutputBox(ui::ControlId box, ui::ControlId button);

// Click handlers of the builder buttons.
void BuildBypassLine();      // 按钮6
void BuildCommandLine();     // 按钮7
void BuildConsoleLine();     // 按钮8
void BuildCostLine();        // 按钮9
void BuildMessageLine();     // 按钮10
void BuildTitleLine();       // 按钮11
void BuildItemLine();        // 按钮13
void BuildPermissionLine();  // 按钮15
void BuildLevelLine();       // 按钮16
void BuildHealthLine();      // 按钮17
void BuildDelayLine();       // 按钮23

// Copy and clear of the script-line output box (按钮21, 按钮22).
void CopyScriptLines();
void ClearScriptLines();

}  // namespace compose
