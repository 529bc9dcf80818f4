// Clipboard: CF_UNICODETEXT, CF_TEXT in GBK and the locale that says how to read CF_TEXT.
// CF_UNICODETEXT is placed at once; CF_TEXT is promised (delayed rendering) and made by the
// owner window when a program asks for it, or when the program ends while it is still owed.
#include "ui/clipboard_win.h"

#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "base/gbk.h"
#include "base/runtime.h"
#include "base/text_win.h"
#include "base/win32_win.h"

namespace ui {
namespace {

constexpr wchar_t kOwnerClass[] = L"ComposerClipboardOwner";

HWND g_owner = nullptr;
// What CF_TEXT will be made of while it is owed: its bytes ready, or the UTF-16 text to convert.
// Empty (monostate) once it is on the clipboard or the clipboard holds someone else's content.
using OwedText = std::variant<std::monostate, std::string, std::wstring>;
OwedText g_owedText;

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

// Places the owed CF_TEXT; the clipboard is open (by us, or by the program that asked).
void PlaceOwedText() {
  std::string converted;
  const std::string* bytes = std::get_if<std::string>(&g_owedText);
  if (const auto* wide = std::get_if<std::wstring>(&g_owedText)) {
    converted = base::PlainGbkFromWide(*wide);
    bytes = &converted;
  }
  if (bytes != nullptr) Place(CF_TEXT, AllocateClipboardBlock(bytes->data(), bytes->size(), 1));
  g_owedText = std::monostate();
}

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_RENDERFORMAT:
      if (wParam == CF_TEXT) PlaceOwedText();
      return 0;
    case WM_RENDERALLFORMATS:
      RenderOwedClipboardText();
      return 0;
    case WM_DESTROYCLIPBOARD:  // the content was replaced: nothing is owed any more
      g_owedText = std::monostate();
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

void RenderAtExit(int /*position*/) {
  RenderOwedClipboardText();
}

// The hidden window that owns the clipboard's content, made when something is first copied.
HWND OwnerWindow() {
  if (g_owner == nullptr) {
    base::RegisterWindowClass({.name = kOwnerClass, .procedure = OwnerProc, .arrowCursor = false});
    g_owner = CreateWindowExW(0, kOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              base::ProgramInstance(), nullptr);
    if (g_owner != nullptr) base::RegisterExitRoutine(&RenderAtExit);
  }
  return g_owner;
}

// A block of UTF-16 units with their terminating zero, for CF_UNICODETEXT.
HGLOBAL UnicodeBlock(std::wstring_view text) {
  return AllocateClipboardBlock(text.data(), text.size() * sizeof(wchar_t), sizeof(wchar_t));
}

// Places CF_UNICODETEXT (the block, filled before the clipboard is opened so that it is held
// only while placing), promises CF_TEXT made of owed, and adds the locale.
bool PlaceText(HGLOBAL unicode, OwedText owed) {
  if (unicode == nullptr) return false;
  HWND owner = OwnerWindow();
  if (!OpenClipboard(owner)) {
    GlobalFree(unicode);
    return false;
  }
  EmptyClipboard();  // also tells the owner (perhaps ours) that its content has gone
  const bool placed = Place(CF_UNICODETEXT, unicode);
  if (placed) {
    g_owedText = std::move(owed);
    // A promise answers nothing useful (no handle), so it is not checked. Without an owner
    // window to keep it, CF_TEXT is made now.
    if (owner != nullptr) {
      SetClipboardData(CF_TEXT, nullptr);
    } else {
      PlaceOwedText();
    }
    const LCID chinese =
        MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), SORT_DEFAULT);
    Place(CF_LOCALE, AllocateClipboardBlock(&chinese, sizeof chinese, 0));
  }
  CloseClipboard();
  return placed;
}

}  // namespace

bool CopyTextToClipboard(std::string_view gbk) {
  return PlaceText(UnicodeBlock(base::WideFromGbk(gbk)), base::PlainGbk(gbk));
}

CopyOutcome CopyWindowTextToClipboard(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return CopyOutcome::kNothingToCopy;
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  if (copied <= 0) return CopyOutcome::kNothingToCopy;
  text.resize(static_cast<size_t>(copied));
  HGLOBAL unicode = UnicodeBlock(text);
  return PlaceText(unicode, std::move(text)) ? CopyOutcome::kCopied : CopyOutcome::kFailed;
}

void RenderOwedClipboardText() {
  if (g_owner == nullptr || std::holds_alternative<std::monostate>(g_owedText)) return;
  if (!OpenClipboard(g_owner)) return;
  if (GetClipboardOwner() == g_owner) PlaceOwedText();
  CloseClipboard();
}

}  // namespace ui
