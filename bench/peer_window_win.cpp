// The start-up peer: the composer's main window built the plain way. The same window and every
// control the composer creates for it at start-up, at the same places, with the same captions,
// items and fonts, read from the composer's own window description, but with the system's
// standard classes only (buttons, edits, combo boxes, statics, the tab control), the composer's
// manifest (common controls v6), no skin, no tips and no clock. Whatever the composer takes
// beyond this is its own doing.
//
//   peer_window            shows the window until it is closed
//   peer_window phases     prints its start-up phases (bench/phase_clock_win.h) once painted, exits
//   peer_window paints     prints how often each window was painted until settled, exits
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "app/window_description.h"
#include "base/text_win.h"
#include "phase_clock_win.h"  // beside this file
#include "ui/description.h"
#include "ui/ids.h"

namespace {

using ui::Element;
using ui::Kind;

bench::PhaseClock g_phases;

struct TabPages {
  std::vector<HWND> pages;
  POINT origin{0, 0};
};
std::unordered_map<HWND, TabPages> g_tabs;

// The described font, made once per face, height and weight, as any program would: the face
// name as given and the GB2312 character set, leaving the choice of a stand-in to GDI.
HFONT FontFor(const ui::FontSpec& wanted) {
  static std::map<std::tuple<std::string_view, int, bool>, HFONT> fonts;
  const auto key = std::make_tuple(wanted.face, wanted.height, wanted.bold);
  if (auto it = fonts.find(key); it != fonts.end()) return it->second;
  LOGFONTW font{};
  font.lfHeight = -(wanted.height != 0 ? wanted.height : 12);
  font.lfWeight = wanted.bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = GB2312_CHARSET;
  const std::wstring face = wanted.face.empty() ? L"宋体" : base::WideFromGbk(wanted.face);
  lstrcpynW(font.lfFaceName, face.c_str(), LF_FACESIZE);
  HFONT handle = CreateFontIndirectW(&font);
  fonts.emplace(key, handle);
  return handle;
}

LRESULT CALLBACK PeerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code == TCN_SELCHANGE) {
        if (auto tab = g_tabs.find(header->hwndFrom); tab != g_tabs.end()) {
          const auto current = SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0);
          for (size_t i = 0; i < tab->second.pages.size(); ++i) {
            ShowWindow(tab->second.pages[i],
                       static_cast<LRESULT>(i) == current ? SW_SHOW : SW_HIDE);
          }
        }
      }
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

HWND Create(const Element& element, HWND parent, POINT offset, const wchar_t* className,
            DWORD exStyle, DWORD style, const std::wstring& text, int height) {
  DWORD common = WS_CHILD | WS_CLIPSIBLINGS;
  if (element.visible) common |= WS_VISIBLE;
  if (element.disabled) common |= WS_DISABLED;
  if (element.tabStop) common |= WS_TABSTOP;
  return CreateWindowExW(exStyle, className, text.c_str(), common | style,
                         element.rect.left + offset.x, element.rect.top + offset.y,
                         element.rect.width, height, parent,
                         reinterpret_cast<HMENU>(static_cast<UINT_PTR>(element.id)),
                         GetModuleHandleW(nullptr), nullptr);
}

HWND CreateTab(const Element& element, HWND parent, POINT offset, TabPages& pages) {
  HWND tab =
      Create(element, parent, offset, WC_TABCONTROLW, 0, WS_CLIPCHILDREN, L"", element.rect.height);
  if (tab == nullptr) return nullptr;
  SendMessageW(tab, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(element.font)), FALSE);
  for (size_t i = 0; i < element.pages.size(); ++i) {
    std::wstring caption = base::WideFromGbk(element.pages[i].caption);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageW(tab, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  RECT display{0, 0, element.rect.width, element.rect.height};
  SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  pages.origin = {display.left, display.top};
  const int current = std::clamp(element.currentPage, 1, static_cast<int>(element.pages.size()));
  for (size_t i = 0; i < element.pages.size(); ++i) {
    // A plain static holds each page's controls; like a dialog it paints beneath its group boxes.
    HWND page = CreateWindowExW(
        WS_EX_CONTROLPARENT, L"STATIC", L"",
        WS_CHILD | WS_CLIPSIBLINGS | (static_cast<int>(i) + 1 == current ? WS_VISIBLE : 0),
        display.left, display.top, display.right - display.left, display.bottom - display.top, tab,
        nullptr, GetModuleHandleW(nullptr), nullptr);
    pages.pages.push_back(page);
  }
  SendMessageW(tab, TCM_SETCURSEL, current - 1, 0);
  return tab;
}

// Every element of the description that the composer makes a window for.
bool CreateControls(HWND top, const ui::WindowDescription& window) {
  // Where the children of each control go. A plain window puts the controls of a group box
  // beside it, on the group box's own parent: a system group box draws no background for them.
  struct Container {
    HWND parent;
    POINT offset;
  };
  std::unordered_map<ui::ControlId, Container> containers;
  std::vector<HWND> groups;
  std::unordered_map<ui::ControlId, HWND> tabs;
  std::unordered_map<HWND, bool> radioGroupStarted;
  for (const Element& element : window.elements) {
    if (element.kind == Kind::kTimer) continue;  // no clock
    HWND parent = top;
    POINT offset{0, 0};
    if (element.parent != 0) {
      if (auto tab = tabs.find(element.parent); tab != tabs.end()) {
        const TabPages& pages = g_tabs[tab->second];
        const int page = element.page - 1;
        if (page < 0 || page >= static_cast<int>(pages.pages.size())) return false;
        parent = pages.pages[static_cast<size_t>(page)];
        offset = {-pages.origin.x, -pages.origin.y};
      } else if (auto container = containers.find(element.parent); container != containers.end()) {
        parent = container->second.parent;
        offset = container->second.offset;
      } else {
        return false;
      }
    }
    const std::wstring caption = base::WideFromGbk(element.caption);
    const int height = element.rect.height;
    HWND hwnd = nullptr;
    switch (element.kind) {
      case Kind::kEditBox:
        hwnd = Create(element, parent, offset, L"EDIT", WS_EX_CLIENTEDGE, ES_LEFT | ES_AUTOHSCROLL,
                      caption, height);
        break;
      case Kind::kButton:
        hwnd = Create(element, parent, offset, L"BUTTON", 0,
                      BS_PUSHBUTTON | BS_MULTILINE | BS_CENTER | BS_VCENTER, caption, height);
        break;
      case Kind::kCheckBox:
        hwnd = Create(element, parent, offset, L"BUTTON", 0, BS_AUTOCHECKBOX, caption, height);
        break;
      case Kind::kRowList:
        hwnd = Create(element, parent, offset, L"LISTBOX", WS_EX_CLIENTEDGE,
                      LBS_NOINTEGRALHEIGHT | WS_VSCROLL, L"", height);
        break;
      case Kind::kRadioBox: {
        const bool first = !radioGroupStarted[parent];
        radioGroupStarted[parent] = true;
        hwnd = Create(element, parent, offset, L"BUTTON", 0,
                      BS_AUTORADIOBUTTON | (first ? WS_GROUP : 0), caption, height);
        break;
      }
      case Kind::kComboBox: {
        const int rows = std::clamp(static_cast<int>(element.items.size()), 1, 12);
        hwnd = Create(element, parent, offset, L"COMBOBOX", 0,
                      CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL, L"", height + rows * 18 + 4);
        if (hwnd == nullptr) break;
        for (std::string_view item : element.items) {
          SendMessageW(hwnd, CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(base::WideFromGbk(item).c_str()));
        }
        break;
      }
      case Kind::kGroupBox:
        hwnd = Create(element, parent, offset, L"BUTTON", 0, BS_GROUPBOX, caption, height);
        break;
      case Kind::kTransLabel:
      case Kind::kSimpleHtml:
        hwnd =
            Create(element, parent, offset, L"STATIC", 0, SS_LEFT | SS_NOPREFIX, caption, height);
        break;
      case Kind::kPicBox:
        hwnd = Create(element, parent, offset, L"STATIC", 0, SS_LEFT, L"", height);
        break;
      case Kind::kRichEdit:
        LoadLibraryW(L"Msftedit.dll");
        hwnd = Create(element, parent, offset, MSFTEDIT_CLASS, WS_EX_CLIENTEDGE,
                      ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL, caption, height);
        break;
      case Kind::kConsoleLog:
        hwnd = Create(element, parent, offset, L"LISTBOX", 0, WS_VSCROLL | WS_HSCROLL, L"", height);
        break;
      case Kind::kPageControl: {
        TabPages pages;
        hwnd = CreateTab(element, parent, offset, pages);
        if (hwnd != nullptr) {
          g_tabs[hwnd] = pages;
          tabs[element.id] = hwnd;
        }
        break;
      }
      case Kind::kBalloonTip: {
        // The composer's tip control is a hidden child that only holds registrations.
        Element hidden = element;
        hidden.visible = false;
        hwnd = Create(hidden, parent, offset, L"STATIC", 0, 0, L"", height);
        break;
      }
      case Kind::kTimer:
      case Kind::kWindow:
        return false;
    }
    if (hwnd == nullptr) return false;
    if (element.kind != Kind::kPageControl && element.kind != Kind::kRichEdit &&
        element.kind != Kind::kBalloonTip) {
      SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(element.font)), FALSE);
    }
    if (element.kind == Kind::kComboBox) {
      // The closed box as high as described, as the composer makes it.
      RECT outer;
      GetWindowRect(hwnd, &outer);
      const int closed = outer.bottom - outer.top;
      const int wanted =
          static_cast<int>(SendMessageW(hwnd, CB_GETITEMHEIGHT, -1, 0)) + (height - closed);
      if (closed != height && wanted > 0) SendMessageW(hwnd, CB_SETITEMHEIGHT, -1, wanted);
    }
    containers[element.id] =
        element.kind == Kind::kGroupBox
            ? Container{parent, {offset.x + element.rect.left, offset.y + element.rect.top}}
            : Container{hwnd, {0, 0}};
    if (element.kind == Kind::kGroupBox) groups.push_back(hwnd);
  }
  // Group boxes go beneath the controls they frame, as in a dialog.
  for (HWND group : groups) {
    SetWindowPos(group, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  g_phases.Mark("main");
  const bool phases = std::wcsstr(commandLine, L"phases") != nullptr;
  const bool paints = std::wcsstr(commandLine, L"paints") != nullptr;
  bench::PaintCounter counter;
  if (paints) counter.Install();

  INITCOMMONCONTROLSEX common{sizeof common, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&common);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = PeerProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = L"PeerWindow";
  RegisterClassExW(&windowClass);

  const ui::WindowDescription* description =
      ui::FindWindowDescription(app::WindowDescriptions(), ui::ids::kMainWindow);
  if (description == nullptr) return 1;
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const std::wstring title = base::WideFromGbk(description->title);
  HWND hwnd = CreateWindowExW(
      WS_EX_CONTROLPARENT, L"PeerWindow", title.c_str(),
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
      work.left + (work.right - work.left - description->width) / 2,
      std::max<LONG>(work.top, work.top + (work.bottom - work.top - description->height) / 2),
      description->width, description->height, nullptr, nullptr, instance, nullptr);
  if (hwnd == nullptr || !CreateControls(hwnd, *description)) return 1;
  g_phases.Mark("controls");
  ShowWindow(hwnd, SW_SHOWNORMAL);
  g_phases.Mark("shown");
  UpdateWindow(hwnd);
  g_phases.Mark("first_paint");
  counter.Split();
  if (HWND first = GetNextDlgTabItem(hwnd, nullptr, FALSE)) SetFocus(first);
  if (phases || paints) {
    bench::PumpUntilPainted(hwnd);
    g_phases.Mark("painted");
    if (phases) g_phases.Report();
    if (paints) counter.Report();
    ExitProcess(0);
  }
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(hwnd, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return 0;
}
