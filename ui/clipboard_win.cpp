// Clipboard: CF_TEXT in GBK, CF_UNICODETEXT and the locale that says how to read CF_TEXT.
#include "ui/clipboard_win.h"

#include <cstring>
#include <string>

#include "base/gbk.h"
#include "base/text_win.h"

namespace ui {

using base::WideFromGbk;
namespace {

// Movable, zero-filled memory holding bytes plus a terminating zero of terminatorSize bytes.
HGLOBAL AllocateClipboardBlock(const void* bytes, size_t size, size_t terminatorSize) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size + terminatorSize);
  if (block == nullptr) return nullptr;
  void* target = GlobalLock(block);
  if (target == nullptr) {
    GlobalFree(block);
    return nullptr;
  }
  if (size > 0) std::memcpy(target, bytes, size);
  GlobalUnlock(block);
  return block;
}

bool Place(UINT format, HGLOBAL block) {
  if (block == nullptr) return false;
  if (SetClipboardData(format, block) == nullptr) {
    GlobalFree(block);  // still ours when the clipboard refused it
    return false;
  }
  return true;
}

}  // namespace

bool CopyTextToClipboard(HWND owner, std::string_view gbk) {
  // Both forms are made before the clipboard is opened, so it is held only while copying.
  const std::string plain = base::PlainGbk(gbk);
  const std::wstring wide = WideFromGbk(gbk);
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  bool placed = Place(CF_TEXT, AllocateClipboardBlock(plain.data(), plain.size(), 1));
  if (placed) {
    Place(CF_UNICODETEXT,
          AllocateClipboardBlock(wide.data(), wide.size() * sizeof(wchar_t), sizeof(wchar_t)));
    const LCID chinese =
        MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), SORT_DEFAULT);
    Place(CF_LOCALE, AllocateClipboardBlock(&chinese, sizeof chinese, 0));
  }
  CloseClipboard();
  return placed;
}

}  // namespace ui
