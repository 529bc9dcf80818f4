// The plain window the workbench is measured against: the system's own list box in a window of
// the composer's frame style, holding the same rows as the workbench's script, doing the same
// jobs for the same keys with the system's controls and no skin: Page Up and Down and the wheel
// scroll, Alt+Up and Alt+Down move the selected row, Enter and Enter again change it, Ctrl+Z
// takes the last change back. Built as composer.exe is.
//
//   plain_list ROWS
#include <windows.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

HWND g_list = nullptr;
bool g_editing = false;

// One change, enough to take it back: the rows it moved or the text it replaced.
struct Change {
  int from;
  int to;
  std::wstring text;  // empty for a move
};
std::vector<Change> g_undo;

const wchar_t* const kLines[] = {
    L"@console give %player% diamond 5",
    L"$cost:100 &c金币不足100，无法领取",
    L"@title:&6欢迎##&7回来##10##60##10",
    L"$item:57#####&b&l点券 100 &c你当前有%amount%个！",
    L"@papi:%player_level%>=30 &c你必须达到30级才能使用它！",
};

std::wstring TextAt(int row) {
  const auto length = static_cast<int>(SendMessageW(g_list, LB_GETTEXTLEN, row, 0));
  std::wstring text(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
  SendMessageW(g_list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(std::max(length, 0)));
  return text;
}

void PutAt(int row, const std::wstring& text) {
  SendMessageW(g_list, LB_DELETESTRING, row, 0);
  SendMessageW(g_list, LB_INSERTSTRING, row, reinterpret_cast<LPARAM>(text.c_str()));
}

void Move(int from, int to) {
  const std::wstring text = TextAt(from);
  SendMessageW(g_list, LB_DELETESTRING, from, 0);
  SendMessageW(g_list, LB_INSERTSTRING, to, reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageW(g_list, LB_SETCURSEL, to, 0);
}

bool OnKey(const MSG& msg) {
  const bool control = GetKeyState(VK_CONTROL) < 0;
  const bool alt = GetKeyState(VK_MENU) < 0;
  const auto row = static_cast<int>(SendMessageW(g_list, LB_GETCURSEL, 0, 0));
  const auto count = static_cast<int>(SendMessageW(g_list, LB_GETCOUNT, 0, 0));
  if (alt && (msg.wParam == VK_UP || msg.wParam == VK_DOWN)) {
    const int to = row + (msg.wParam == VK_UP ? -1 : 1);
    if (row >= 0 && to >= 0 && to < count) {
      Move(row, to);
      g_undo.push_back({row, to, {}});
    }
    return true;
  }
  if (control && msg.wParam == 'Z' && !g_undo.empty()) {
    const Change change = g_undo.back();
    g_undo.pop_back();
    if (change.text.empty()) {
      Move(change.to, change.from);
    } else {
      PutAt(change.from, change.text);
      SendMessageW(g_list, LB_SETCURSEL, change.from, 0);
    }
    return true;
  }
  if (msg.wParam == VK_RETURN && row >= 0) {
    if (g_editing) {
      const std::wstring before = TextAt(row);
      PutAt(row, before + L"x");
      SendMessageW(g_list, LB_SETCURSEL, row, 0);
      g_undo.push_back({row, row, before});
    }
    g_editing = !g_editing;
    return true;
  }
  return false;
}

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
  const int rows = std::max(_wtoi(arguments), 1);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = PlainProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = L"PlainListWindow";
  RegisterClassExW(&windowClass);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  HWND hwnd = CreateWindowExW(0, L"PlainListWindow", L"Plain list", style, 100, 100, 966, 664,
                              nullptr, nullptr, instance, nullptr);
  g_list = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                           WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
                           16, 82, 584, 236, hwnd, nullptr, instance, nullptr);
  if (hwnd == nullptr || g_list == nullptr) return 1;
  SendMessageW(g_list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  SendMessageW(g_list, WM_SETREDRAW, FALSE, 0);
  for (int i = 0; i < rows; ++i) {
    SendMessageW(g_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kLines[i % 5]));
  }
  SendMessageW(g_list, WM_SETREDRAW, TRUE, 0);
  SendMessageW(g_list, LB_SETCURSEL, rows - 1, 0);
  ShowWindow(hwnd, SW_SHOW);
  SetFocus(g_list);
  UpdateWindow(hwnd);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if ((msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && OnKey(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
