// Copying a text to the system clipboard.
#pragma once

#include <windows.h>

#include <string_view>

namespace ui {

// Places the GBK text on the clipboard as CF_TEXT, byte for byte, and the same text as
// CF_UNICODETEXT (converted from code page 936) so that a paste is right whatever the reader's
// locale. False when the clipboard could not be opened or the text not stored; the clipboard is
// then left empty or as it was.
bool CopyTextToClipboard(HWND owner, std::string_view gbk);

}  // namespace ui
