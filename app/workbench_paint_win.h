// How the workbench's lists draw their rows, in the list's font and the skin's colours: a
// script row on two lines (its number, its directive in words and what the checker says; then
// the line, its chat texts on a dark strip in their colours with the chat's shadows, as the
// colour preview shows them) and a command on one line (marked when the chat cannot take it).
// Only the start of a long line is drawn: no row is wider than a few hundred characters.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string_view>

#include "compose/script_line.h"
#include "ui/row_list_win.h"

namespace app::win {

struct ScriptRowText {
  std::size_t number;  // shown 1-based
  const compose::ScriptLine& row;
  std::string_view notes;  // GBK, one line; empty: none
  bool problem;            // the notes name a problem, not only information
};
void PaintScriptRow(HDC dc, const RECT& rect, const ui::widgets::RowLook& look,
                    const ScriptRowText& text);

// number 0: none.
void PaintCommandRow(HDC dc, const RECT& rect, const ui::widgets::RowLook& look, std::size_t number,
                     std::string_view command, bool tooLongForChat);

}  // namespace app::win
