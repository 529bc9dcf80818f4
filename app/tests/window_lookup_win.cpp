#include "app/tests/window_lookup_win.h"

#include "app/window_description.h"
#include "base/text_win.h"

namespace testing_support {

HWND FindComposerWindow(ui::WindowId window) {
  const ui::WindowDescription* description =
      ui::FindWindowDescription(app::WindowDescriptions(), window);
  if (description == nullptr) return nullptr;
  const std::wstring title = base::WideFromGbk(description->title);
  return FindWindowW(L"ComposerWindow", title.c_str());
}

HWND WaitForComposerWindow(ui::WindowId window, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  do {
    // Shown only once every control exists.
    HWND hwnd = FindComposerWindow(window);
    if (hwnd != nullptr && IsWindowVisible(hwnd)) return hwnd;
    Sleep(50);
  } while (GetTickCount64() < deadline);
  return nullptr;
}

namespace {
struct Search {
  ui::ControlId id;
  HWND found;
};
BOOL CALLBACK MatchId(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  if (static_cast<ui::ControlId>(GetDlgCtrlID(hwnd)) == search->id) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND FindControlById(HWND top, ui::ControlId id) {
  Search search{id, nullptr};
  EnumChildWindows(top, MatchId, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring TextOf(HWND hwnd) {
  // WM_GETTEXT itself: GetWindowText does not ask a control of another process.
  const auto length = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const auto copied =
      SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

}  // namespace testing_support
