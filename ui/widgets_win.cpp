// Creation of the control kinds from a window description, their layout at a DPI, and what the
// top-level window asks of them. Standard kinds (edit box, button, radio box, combo box, rich
// edit) are the system's controls; the tab control is in tab_control_win, our own kinds (group
// box, tab page, transparent label, hypertext box, picture box) in custom_kinds_win, fonts in
// fonts_win.
#include "ui/widgets_win.h"

#include <commctrl.h>
#include <ole2.h>
#include <richedit.h>

#include <algorithm>
#include <optional>
#include <unordered_set>
#include <utility>

#include "base/skin_parts.h"
#include "base/text_win.h"
#include "base/win32_win.h"
#include "ui/accessible_win.h"
#include "ui/balloon_tip_win.h"
#include "ui/console_view_win.h"
#include "ui/custom_kinds_win.h"
#include "ui/fonts_win.h"
#include "ui/navigation.h"
#include "ui/png_picture.h"
#include "ui/row_list_win.h"
#include "ui/skin_part_win.h"
#include "ui/tab_control_win.h"

namespace ui::widgets {

using base::ColorRefFromRgb;
using base::GbkFromWide;
using base::WideFromGbk;
using base::WindowText;

namespace {

// ---- Creation ------------------------------------------------------------------------------

// Where a control goes: the window that holds it, and how its described position (relative to
// the control its description names as parent) moves inside that window.
struct Placement {
  HWND parent;
  POINT offset;
};

// What the creation of one window's controls keeps between its elements.
struct CreationState {
  HWND top;
  std::unordered_map<ControlId, HWND>& controls;
  std::unordered_map<ControlId, TabState*> tabs;
  std::unordered_set<HWND> radioGroupStarted;
};

// Children of a tab control live on the page their description names; children of a group box
// inside it. Parents are described before their children.
std::optional<Placement> PlacementOf(const Element& element, const CreationState& state) {
  if (element.parent == 0) return Placement{state.top, {0, 0}};
  if (auto tab = state.tabs.find(element.parent); tab != state.tabs.end()) {
    const int page = element.page - 1;
    if (page < 0 || page >= static_cast<int>(tab->second->pages.size())) return std::nullopt;
    return Placement{tab->second->pages[static_cast<size_t>(page)],
                     {-tab->second->pageOrigin.x, -tab->second->pageOrigin.y}};
  }
  if (auto container = state.controls.find(element.parent); container != state.controls.end()) {
    return Placement{container->second, {0, 0}};
  }
  return std::nullopt;
}

DWORD DescribedStyle(const Element& element) {
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  if (element.visible) style |= WS_VISIBLE;
  if (element.disabled) style |= WS_DISABLED;
  if (element.tabStop) style |= WS_TABSTOP;
  return style;
}

HWND CreateChild(const Element& element, const Placement& at, DWORD exStyle,
                 const wchar_t* className, std::wstring_view text, DWORD style, int height) {
  const std::wstring caption(text);
  return CreateWindowExW(
      exStyle, className, caption.c_str(), style, element.rect.left + at.offset.x,
      element.rect.top + at.offset.y, element.rect.width, height, at.parent,
      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(element.id)), base::ProgramInstance(), nullptr);
}

HWND CreateChild(const Element& element, const Placement& at, DWORD exStyle,
                 const wchar_t* className, DWORD style) {
  return CreateChild(element, at, exStyle, className, WideFromGbk(element.caption), style,
                     element.rect.height);
}

HWND CreateEditBox(const Element& element, const Placement& at, DWORD style) {
  HWND edit = CreateChild(element, at, WS_EX_CLIENTEDGE, L"EDIT", style | ES_LEFT | ES_AUTOHSCROLL);
  // Typed or pasted text may be as long as the control can hold.
  if (edit) SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);
  return edit;
}

HWND CreateButton(const Element& element, const Placement& at, DWORD style) {
  return CreateChild(element, at, 0, L"BUTTON",
                     style | BS_PUSHBUTTON | BS_MULTILINE | BS_CENTER | BS_VCENTER);
}

HWND CreateCheckBox(const Element& element, const Placement& at, DWORD style) {
  return CreateChild(element, at, 0, L"BUTTON", style | BS_AUTOCHECKBOX);
}

// The list's window text is what screen readers call it; it draws no text of its own.
HWND CreateRowList(const Element& element, const Placement& at, DWORD style) {
  return CreateChild(element, at, 0, kRowListClass, style | WS_VSCROLL);
}

// The first radio box of a parent opens its group; the group runs to the last sibling.
HWND CreateRadioBox(const Element& element, const Placement& at, DWORD style,
                    CreationState& state) {
  const bool first = state.radioGroupStarted.insert(at.parent).second;
  return CreateChild(element, at, 0, L"BUTTON",
                     style | BS_AUTORADIOBUTTON | (first ? WS_GROUP : 0));
}

// A drop-down list is created with room for its list; its closed height is then brought to the
// height the description gives.
void FitComboHeight(HWND combo, int height) {
  RECT window;
  GetWindowRect(combo, &window);
  const int closed = window.bottom - window.top;
  const int itemHeight = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, -1, 0));
  const int wanted = itemHeight + (height - closed);
  if (closed != height && wanted > 0) SendMessageW(combo, CB_SETITEMHEIGHT, -1, wanted);
}

HWND CreateComboBox(const Element& element, const Placement& at, DWORD style) {
  const int listRows = std::clamp(static_cast<int>(element.items.size()), 1, 12);
  HWND combo = CreateChild(element, at, 0, L"COMBOBOX", L"",
                           style | CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL,
                           element.rect.height + listRows * 18 + 4);
  if (combo == nullptr) return nullptr;
  for (std::string_view item : element.items) {
    const std::wstring text = WideFromGbk(item);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  return combo;
}

// Where a control of the element goes in its parent's client area, at 96 DPI.
RECT PlaceOf(const Element& element, const Placement& at) {
  const int left = element.rect.left + at.offset.x;
  const int top = element.rect.top + at.offset.y;
  return {left, top, left + element.rect.width, top + element.rect.height};
}

HWND CreateCustomChild(CustomKind kind, Appearance appearance, const Element& element,
                       const Placement& at, DWORD exStyle, std::wstring_view text, DWORD style) {
  return CreateCustomKind(kind, std::move(appearance), exStyle, text, style, PlaceOf(element, at),
                          at.parent, element.id);
}

HWND CreateGroupBox(const Element& element, const Placement& at, DWORD style) {
  HWND group = CreateCustomChild(CustomKind::kGroupBox, {}, element, at, WS_EX_CONTROLPARENT,
                                 WideFromGbk(element.caption), style | WS_CLIPCHILDREN);
  MarkSkinPart(group, base::skin_parts::Part::kFrame);
  return group;
}

// A label shows "&" as written unless its caption marks an access key.
HWND CreateTransLabel(const Element& element, const Placement& at, DWORD style) {
  if (AccessKey(element.caption) == 0) style |= SS_NOPREFIX;
  return CreateCustomChild(CustomKind::kTransLabel,
                           {.textColor = ColorRefFromRgb(element.textColor)}, element, at, 0,
                           WideFromGbk(element.caption), style);
}

HWND CreateSimpleHtml(const Element& element, const Placement& at, DWORD style) {
  return CreateCustomChild(CustomKind::kSimpleHtml, {}, element, at, 0,
                           WideFromGbk(element.caption), style);
}

HWND CreatePicBox(const Element& element, const Placement& at, DWORD style) {
  return CreateCustomChild(CustomKind::kPicBox, {.picture = DecodePng(element.picture)}, element,
                           at, 0, L"", style);
}

HWND CreateRichEdit(const Element& element, const Placement& at, DWORD style) {
  // Only secondary windows hold rich edit boxes: the library, and OLE for their clipboard and
  // drag and drop, wait for the first one.
  static const bool loaded = [] {
    EnsureOle();
    return LoadLibraryW(L"Msftedit.dll") != nullptr;
  }();
  if (!loaded) return nullptr;
  HWND edit = CreateChild(element, at, WS_EX_CLIENTEDGE, MSFTEDIT_CLASS, L"",
                          style | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL,
                          element.rect.height);
  if (edit == nullptr) return nullptr;
  SendMessageW(edit, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  // Set before the text, which rich edit formats as it arrives.
  SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
  SetWindowTextW(edit, WideFromGbk(element.caption).c_str());
  return edit;
}

HWND CreateConsoleLog(const Element& element, const Placement& at, DWORD style) {
  return CreateConsoleView(at.parent, element.id, PlaceOf(element, at), style);
}

HWND CreatePageControl(const Element& element, const Placement& at, DWORD style,
                       CreationState& state) {
  TabState* tabState = nullptr;
  HWND tab = CreateTabControl(at.parent, element, style, tabState);
  if (tab) state.tabs[element.id] = tabState;
  return tab;
}

// A timer is not drawn: it belongs to the top-level window, under the control's identifier.
void StartTimer(const Element& element, HWND top) {
  if (element.interval > 0) SetTimer(top, element.id, static_cast<UINT>(element.interval), nullptr);
}

// The window of one element of the description; nullptr when it could not be made.
HWND CreateElement(const Element& element, const Placement& at, CreationState& state) {
  const DWORD style = DescribedStyle(element);
  switch (element.kind) {
    case Kind::kEditBox:
      return CreateEditBox(element, at, style);
    case Kind::kButton:
      return CreateButton(element, at, style);
    case Kind::kCheckBox:
      return CreateCheckBox(element, at, style);
    case Kind::kRadioBox:
      return CreateRadioBox(element, at, style, state);
    case Kind::kComboBox:
      return CreateComboBox(element, at, style);
    case Kind::kGroupBox:
      return CreateGroupBox(element, at, style);
    case Kind::kTransLabel:
      return CreateTransLabel(element, at, style);
    case Kind::kSimpleHtml:
      return CreateSimpleHtml(element, at, style);
    case Kind::kPicBox:
      return CreatePicBox(element, at, style);
    case Kind::kRichEdit:
      return CreateRichEdit(element, at, style);
    case Kind::kConsoleLog:
      return CreateConsoleLog(element, at, style);
    case Kind::kPageControl:
      return CreatePageControl(element, at, style, state);
    case Kind::kRowList:
      return CreateRowList(element, at, style);
    case Kind::kBalloonTip:
      return CreateBalloonTip(at.parent, element, at.offset);
    case Kind::kTimer:
    case Kind::kWindow:
      return nullptr;
  }
  return nullptr;
}

// The tab control and the rich edit box choose their own fonts.
bool TakesDescribedFont(Kind kind) {
  return kind != Kind::kPageControl && kind != Kind::kRichEdit && kind != Kind::kBalloonTip;
}

}  // namespace

void LayoutControls(HWND top, const WindowDescription& window,
                    const std::unordered_map<ControlId, HWND>& controls, int dpi) {
  for (const Element& element : window.elements) {
    if (element.kind == Kind::kTimer || element.kind == Kind::kBalloonTip) continue;
    auto it = controls.find(element.id);
    if (it == controls.end()) continue;
    HWND hwnd = it->second;
    const Rect rect = ScaleRectForDpi(element.rect, dpi);
    POINT offset{0, 0};
    if (const Element* parent = element.parent ? FindElement(window, element.parent) : nullptr;
        parent != nullptr && parent->kind == Kind::kPageControl) {
      if (auto tab = controls.find(parent->id); tab != controls.end()) {
        if (TabState* state = TabStateOf(tab->second)) {
          offset = {-state->pageOrigin.x, -state->pageOrigin.y};
        }
      }
    }
    int height = rect.height;
    if (element.kind == Kind::kComboBox) {
      // The window of a drop-down list includes its list.
      const int listRows = std::clamp(static_cast<int>(element.items.size()), 1, 12);
      height += ScaleForDpi(listRows * 18 + 4, dpi);
    }
    HFONT font = nullptr;
    if (element.kind == Kind::kPageControl) {
      font = FontFor(element.font, dpi);
    } else if (element.kind == Kind::kRichEdit) {
      font = DefaultFont(dpi);
    } else {
      font = element.font.IsDefault() ? DefaultFont(dpi) : FontFor(element.font, dpi);
    }
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowPos(hwnd, nullptr, rect.left + offset.x, rect.top + offset.y, rect.width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (element.kind == Kind::kComboBox) FitComboHeight(hwnd, rect.height);
    if (element.kind == Kind::kPageControl) {
      if (TabState* state = TabStateOf(hwnd)) PlacePages(hwnd, *state);
    }
  }
  RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

bool RegisterControlClasses() {
  INITCOMMONCONTROLSEX common{
      sizeof common, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&common);

  return RegisterBalloonTipClasses() && RegisterCustomKindClasses() && RegisterRowListClass() &&
         RegisterConsoleViewClass();
}

bool CreateControls(HWND top, const WindowDescription& window,
                    std::unordered_map<ControlId, HWND>& controls, int dpi) {
  CreationState state{.top = top, .controls = controls};
  for (const Element& element : window.elements) {
    switch (element.kind) {
      case Kind::kTimer:
        StartTimer(element, top);
        continue;
      case Kind::kWindow:
        return false;
      default:
        break;
    }
    const std::optional<Placement> at = PlacementOf(element, state);
    if (!at) return false;
    HWND hwnd = CreateElement(element, *at, state);
    if (hwnd == nullptr) return false;
    if (TakesDescribedFont(element.kind)) {
      HFONT font = element.font.IsDefault() ? DefaultFont() : FontFor(element.font);
      SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    if (element.kind == Kind::kComboBox) FitComboHeight(hwnd, element.rect.height);
    if (const std::string_view name = AccessibleName(window, element); !name.empty()) {
      SetAccessibleName(hwnd, WideFromGbk(WithoutAccessMarks(name)), &TipTextFor);
    }
    controls[element.id] = hwnd;
  }

  // Captionless frames drawn around rows of their siblings go beneath those siblings.
  for (const Element& element : window.elements) {
    if (element.kind == Kind::kGroupBox && ChildList(window, element.id).empty()) {
      SetWindowPos(controls[element.id], HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
  // Built as described at 96 DPI, then brought to the window's DPI in one pass.
  if (dpi != 96) LayoutControls(top, window, controls, dpi);
  return true;
}

bool HandleNotify(HWND, const NMHDR& header, LRESULT& result) {
  if (header.code == TCN_SELCHANGE) {
    if (TabState* state = TabStateOf(header.hwndFrom)) {
      ShowPage(header.hwndFrom, *state,
               static_cast<int>(SendMessageW(header.hwndFrom, TCM_GETCURSEL, 0, 0)));
      result = 0;
      return true;
    }
  }
  return false;
}

void OnRadioClicked(HWND radio) {
  if (SendMessageW(radio, BM_GETCHECK, 0, 0) != BST_CHECKED) return;
  HWND parent = GetParent(radio);
  for (HWND sibling = GetWindow(parent, GW_CHILD); sibling != nullptr;
       sibling = GetWindow(sibling, GW_HWNDNEXT)) {
    if (sibling == radio) continue;
    const LONG style = GetWindowLongW(sibling, GWL_STYLE);
    const LONG type = style & BS_TYPEMASK;
    wchar_t className[16] = {};
    GetClassNameW(sibling, className, 16);
    if (lstrcmpiW(className, L"Button") == 0 &&
        (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON)) {
      SendMessageW(sibling, BM_SETCHECK, BST_UNCHECKED, 0);
    }
  }
}

namespace {
bool g_oleInitialized = false;
}  // namespace

void EnsureOle() {
  if (!g_oleInitialized) g_oleInitialized = SUCCEEDED(OleInitialize(nullptr));
}

void ReleaseOle() {
  if (g_oleInitialized) OleUninitialize();
  g_oleInitialized = false;
}

void SetControlText(HWND control, std::wstring_view text) {
  const std::wstring copy(text);
  SetWindowTextW(control, copy.c_str());
}

}  // namespace ui::widgets
