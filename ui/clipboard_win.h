// Copying texts to the system clipboard, and the hidden window that owns what the program placed
// there.
#pragma once

#include <windows.h>

#include <string_view>

#include "ui/frame.h"

namespace ui {

// Places the GBK text on the clipboard as CF_UNICODETEXT, with every character the user typed
// (escaped units included), and as CF_TEXT, byte for byte where the text is plain GBK and with
// '?' for each character GBK cannot hold. A paste is then right whatever the reader's locale.
// False when the clipboard could not be opened or the text not stored; the clipboard is then
// left empty or as it was.
bool CopyTextToClipboard(std::string_view gbk);

// The whole text of a window of this process (an edit box) on the clipboard, as
// CopyTextToClipboard places the same text read as GBK. The UTF-16 text goes on as it is and
// CF_TEXT is made only when a program asks for it, so a long text costs about what the edit
// control's own copy costs. An empty text leaves the clipboard as it was.
CopyOutcome CopyWindowTextToClipboard(HWND window);

// Puts CF_TEXT on the clipboard now if it is still owed: what the program placed must stay
// whole after it ends. Part of the exit path; a no-op when nothing is owed.
void RenderOwedClipboardText();

}  // namespace ui
