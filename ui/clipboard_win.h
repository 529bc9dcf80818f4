// Copying a text to the system clipboard.
#pragma once

#include <windows.h>

#include <string_view>

namespace ui {

// Places the GBK text on the clipboard as CF_UNICODETEXT, with every character the user typed
// (escaped units included), and as CF_TEXT, byte for byte where the text is plain GBK and with
// '?' for each character GBK cannot hold. A paste is then right whatever the reader's locale.
// False when the clipboard could not be opened or the text not stored; the clipboard is then
// left empty or as it was.
bool CopyTextToClipboard(HWND owner, std::string_view gbk);

}  // namespace ui
