// SkinEngine.dll: attaches a skin to every window of the calling thread, present and future.
// Each window is subclassed; system control classes are drawn by the engine by class and
// style, windows of the application's own classes by the part they declare (base/skin_parts.h).
// The DLL has no C++ run-time library: no static constructors, no exceptions, no TLS; memory
// comes from the process heap.
#include "skin/engine/engine_win.h"

#include <commctrl.h>
#include <richedit.h>
#include <windowsx.h>

#include <new>

#include "base/skin_parts.h"
#include "skin/engine/canvas_win.h"

namespace skin::engine {

using base::skin_parts::Part;

constinit EngineState g_engine{};

namespace {
// Where the engine's GDI objects live while it is loaded.
alignas(EngineObjects) constinit unsigned char g_objectStorage[sizeof(EngineObjects)]{};
}  // namespace

namespace {

// The state of each window taken over, by handle. Kept in the engine rather than in a window
// property: the state is looked up for every message a skinned window gets, and a property costs
// a trip to the window server each time (under Wine).
struct StateSlot {
  HWND hwnd;  // nullptr: free; Removed(): freed, keep probing
  WindowState* state;
};
// A freed slot (no static initialisers in the engine: a function, not a constant).
HWND Removed() {
  return reinterpret_cast<HWND>(static_cast<INT_PTR>(-1));
}
constinit StateSlot* g_slots = nullptr;
constinit std::size_t g_slotCount = 0;  // a power of two
constinit std::size_t g_slotsUsed = 0;  // taken or removed

std::size_t SlotIndex(HWND hwnd, std::size_t count) {
  auto key = reinterpret_cast<std::uintptr_t>(hwnd);
  key ^= key >> 7;
  key *= 0x9E3779B1u;
  return (key ^ (key >> 15)) & (count - 1);
}

WindowState* FindState(HWND hwnd) {
  if (g_slots == nullptr || hwnd == nullptr) return nullptr;
  for (std::size_t i = SlotIndex(hwnd, g_slotCount);; i = (i + 1) & (g_slotCount - 1)) {
    if (g_slots[i].hwnd == hwnd) return g_slots[i].state;
    if (g_slots[i].hwnd == nullptr) return nullptr;
  }
}

void PutSlot(StateSlot* slots, std::size_t count, HWND hwnd, WindowState* state) {
  for (std::size_t i = SlotIndex(hwnd, count);; i = (i + 1) & (count - 1)) {
    if (slots[i].hwnd == nullptr || slots[i].hwnd == Removed()) {
      slots[i] = {hwnd, state};
      return;
    }
  }
}

bool AddState(HWND hwnd, WindowState* state) {
  if ((g_slotsUsed + 1) * 2 > g_slotCount) {
    // Rebuilt at twice the live entries' room, dropping the removed ones.
    std::size_t live = 0;
    for (std::size_t i = 0; i < g_slotCount; ++i) {
      if (g_slots[i].hwnd != nullptr && g_slots[i].hwnd != Removed()) ++live;
    }
    std::size_t count = 256;
    while (count < (live + 1) * 4) count *= 2;
    auto* slots = static_cast<StateSlot*>(
        HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, count * sizeof(StateSlot)));
    if (slots == nullptr) return false;
    for (std::size_t i = 0; i < g_slotCount; ++i) {
      if (g_slots[i].hwnd != nullptr && g_slots[i].hwnd != Removed()) {
        PutSlot(slots, count, g_slots[i].hwnd, g_slots[i].state);
      }
    }
    if (g_slots != nullptr) HeapFree(GetProcessHeap(), 0, g_slots);
    g_slots = slots;
    g_slotCount = count;
    g_slotsUsed = live;
  }
  PutSlot(g_slots, g_slotCount, hwnd, state);
  ++g_slotsUsed;
  return true;
}

void RemoveState(HWND hwnd) {
  if (g_slots == nullptr) return;
  for (std::size_t i = SlotIndex(hwnd, g_slotCount);; i = (i + 1) & (g_slotCount - 1)) {
    if (g_slots[i].hwnd == hwnd) {
      g_slots[i].hwnd = Removed();
      return;
    }
    if (g_slots[i].hwnd == nullptr) return;
  }
}

bool SameClass(const wchar_t* a, const wchar_t* b) {
  return lstrcmpiW(a, b) == 0;
}

// What a window class is to the engine.
enum class Family : std::uint8_t {
  kOther,
  // Classes the engine never touches: menus, tooltips, the input method's windows draw
  // themselves, partly from other threads' state.
  kIgnored,
  kComboList,  // the drop-down part of a combo box: never touched, but a field for colours
  kButton,
  kEdit,
  kListBox,
  kComboBox,
  kTab,
  kStatic,
  kRichEdit,
};

Family FamilyOfName(const wchar_t* name) {
  static constexpr struct {
    const wchar_t* name;
    Family family;
  } kNames[] = {
      {L"Button", Family::kButton},        {L"Edit", Family::kEdit},
      {L"ComboBox", Family::kComboBox},    {WC_TABCONTROLW, Family::kTab},
      {L"Static", Family::kStatic},        {L"RichEdit50W", Family::kRichEdit},
      {L"RichEdit20W", Family::kRichEdit}, {L"ListBox", Family::kListBox},
      {L"ComboLBox", Family::kComboList},  {L"#32768", Family::kIgnored},
      {L"#32769", Family::kIgnored},       {L"tooltips_class32", Family::kIgnored},
      {L"IME", Family::kIgnored},          {L"MSCTFIME UI", Family::kIgnored},
      {L"Message", Family::kIgnored},
  };
  for (const auto& known : kNames) {
    if (SameClass(name, known.name)) return known.family;
  }
  return Family::kOther;
}

// Classes already seen, by atom: a class's name is compared once, not once per window.
struct KnownClass {
  ATOM atom;
  Family family;
};
constexpr int kKnownClassSlots = 64;
constinit KnownClass g_knownClasses[kKnownClassSlots]{};
constinit int g_knownClassCount = 0;

Family FamilyOf(HWND hwnd) {
  const auto atom = static_cast<ATOM>(GetClassLongPtrW(hwnd, GCW_ATOM));
  for (int i = 0; i < g_knownClassCount; ++i) {
    if (g_knownClasses[i].atom == atom) return g_knownClasses[i].family;
  }
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  const Family family = FamilyOfName(name);
  if (atom != 0 && g_knownClassCount < kKnownClassSlots) {
    g_knownClasses[g_knownClassCount++] = {atom, family};
  }
  return family;
}

Kind Classify(HWND hwnd, Family family) {
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  switch (family) {
    case Family::kButton:
      switch (style & BS_TYPEMASK) {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:
          return Kind::kPushButton;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
          return Kind::kCheck;
        case BS_GROUPBOX:
          return Kind::kGroupButton;
        default:
          return Kind::kOther;
      }
    case Family::kEdit:
      return Kind::kEdit;
    case Family::kComboBox:
      return (style & 3) == CBS_DROPDOWNLIST ? Kind::kCombo : Kind::kOther;
    case Family::kTab:
      return Kind::kTab;
    case Family::kStatic:
      return Kind::kStatic;
    case Family::kRichEdit:
      return Kind::kRichEdit;
    default:
      break;
  }
  if ((style & WS_CHILD) == 0 && (style & WS_CAPTION) == WS_CAPTION) return Kind::kFrame;
  return Kind::kOther;
}

LRESULT CallOriginal(const WindowState& state, HWND hwnd, UINT message, WPARAM wParam,
                     LPARAM lParam) {
  return CallWindowProcW(state.original, hwnd, message, wParam, lParam);
}

// Runs the control's own handling of a state change without letting it paint, then lets the
// engine repaint: the system's look never shows in between. A control with windows inside it (a
// tab control and its pages) only invalidates on these changes; turning its drawing off would
// also drop the paint still due to the windows inside it.
LRESULT CallQuietly(const WindowState& state, HWND hwnd, UINT message, WPARAM wParam,
                    LPARAM lParam) {
  if ((GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) == 0) {
    return CallOriginal(state, hwnd, message, wParam, lParam);
  }
  if (GetWindow(hwnd, GW_CHILD) != nullptr) {
    const LRESULT result = CallOriginal(state, hwnd, message, wParam, lParam);
    InvalidateRect(hwnd, nullptr, FALSE);
    return result;
  }
  DefWindowProcW(hwnd, WM_SETREDRAW, FALSE, 0);
  const LRESULT result = CallOriginal(state, hwnd, message, wParam, lParam);
  DefWindowProcW(hwnd, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd, nullptr, FALSE);
  return result;
}

// Runs the control's own handling of input, then repaints at once over whatever it drew.
LRESULT CallThenRepaint(const WindowState& state, HWND hwnd, UINT message, WPARAM wParam,
                        LPARAM lParam) {
  const LRESULT result = CallOriginal(state, hwnd, message, wParam, lParam);
  if (IsWindow(hwnd)) RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  return result;
}

void TrackLeave(HWND hwnd, DWORD flags) {
  TRACKMOUSEEVENT track{};
  track.cbSize = sizeof track;
  track.dwFlags = TME_LEAVE | flags;
  track.hwndTrack = hwnd;
  TrackMouseEvent(&track);
}

void RepaintHot(HWND hwnd, WindowState& state) {
  if (state.kind == Kind::kEdit || state.kind == Kind::kRichEdit) {
    PaintFieldBorder(hwnd, state);
  } else {
    InvalidateRect(hwnd, nullptr, FALSE);
  }
}

void StopHotWatch() {
  if (g_engine.hotTimer != 0) KillTimer(nullptr, g_engine.hotTimer);
  g_engine.hotTimer = 0;
}

// Clears the hot look of the control that has it.
void ClearHot() {
  HWND hwnd = g_engine.hotWindow;
  g_engine.hotWindow = nullptr;
  StopHotWatch();
  if (hwnd == nullptr || !IsWindow(hwnd)) return;
  if (WindowState* state = StateOf(hwnd)) {
    state->hot = false;
    if (state->kind == Kind::kTab) state->hotTab = -1;
    RepaintHot(hwnd, *state);
  }
}

bool PointerIsOver(HWND hwnd) {
  POINT pointer{};
  if (!GetCursorPos(&pointer)) return true;
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  if (!PtInRect(&rect, pointer)) return false;
  HWND under = WindowFromPoint(pointer);
  return under == hwnd || IsChild(hwnd, under);
}

// WM_MOUSELEAVE does not always come (a fast move out of a window, a window that opens under the
// pointer), so while a control is hot the pointer is also looked at a few times a second.
void CALLBACK WatchHot(HWND, UINT, UINT_PTR, DWORD) {
  HWND hwnd = g_engine.hotWindow;
  if (hwnd == nullptr || !IsWindow(hwnd) || !PointerIsOver(hwnd)) ClearHot();
}

void SetHot(HWND hwnd, WindowState& state, bool hot) {
  if (hot && g_engine.hotWindow != nullptr && g_engine.hotWindow != hwnd) ClearHot();
  if (state.hot == hot) return;
  state.hot = hot;
  if (hot) {
    TrackLeave(hwnd, 0);
    g_engine.hotWindow = hwnd;
    if (g_engine.hotTimer == 0) g_engine.hotTimer = SetTimer(nullptr, 0, 100, &WatchHot);
  } else if (g_engine.hotWindow == hwnd) {
    g_engine.hotWindow = nullptr;
    StopHotWatch();
  }
  RepaintHot(hwnd, state);
}

bool HasFieldBorder(HWND hwnd) {
  const LONG exStyle = GetWindowLongW(hwnd, GWL_EXSTYLE);
  return (exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) != 0 ||
         (GetWindowLongW(hwnd, GWL_STYLE) & WS_BORDER) != 0;
}

bool IsFieldClass(HWND hwnd) {
  const Family family = FamilyOf(hwnd);
  return family == Family::kEdit || family == Family::kListBox || family == Family::kComboList;
}

// A parent answers how its children paint their backgrounds and text.
LRESULT AnswerColor(HWND parent, UINT message, HDC dc, HWND control) {
  const Look& look = g_engine.look;
  if (message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX ||
      (control != nullptr && control != parent && IsFieldClass(control))) {
    SetTextColor(
        dc, ToColorRef(IsWindowEnabled(control) ? look.fieldTextColor : look.disabledTextColor));
    SetBkColor(dc, ToColorRef(look.fieldColor));
    return reinterpret_cast<LRESULT>(g_engine.objects->fieldBrush.Get());
  }
  const Surface surface = SurfaceOf(message == WM_CTLCOLORDLG ? control : parent);
  const bool enabled = control == nullptr || IsWindowEnabled(control);
  SetTextColor(dc, ToColorRef(enabled ? LegibleInk(0, surface) : look.disabledTextColor));
  SetBkColor(dc, ToColorRef(surface.base));
  SetBkMode(dc, TRANSPARENT);
  // The texture repeats every 8 pixels from the top-level window's client origin.
  const POINT origin = OriginInTop(control != nullptr ? control : parent);
  SetBrushOrgEx(dc, ((-origin.x) % 8 + 8) % 8, ((-origin.y) % 8 + 8) % 8, nullptr);
  return reinterpret_cast<LRESULT>(BrushFor(surface));
}

void StyleRichEdit(HWND hwnd, WindowState& state) {
  state.styledFor = g_engine.generation;
  const Look& look = g_engine.look;
  SendMessageW(hwnd, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ToColorRef(look.fieldColor)));
  CHARFORMAT2W format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_COLOR;
  format.crTextColor = ToColorRef(look.fieldTextColor);
  SendMessageW(hwnd, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  SendMessageW(hwnd, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
}

int CaptionButtonAt(HWND hwnd, POINT screen) {
  RECT window{};
  GetWindowRect(hwnd, &window);
  const POINT at{screen.x - window.left, screen.y - window.top};
  const CaptionButtons buttons = CaptionButtonsOf(hwnd);
  if (PtInRect(&buttons.close, at)) return HTCLOSE;
  if (PtInRect(&buttons.maximize, at)) return HTMAXBUTTON;
  if (PtInRect(&buttons.minimize, at)) return HTMINBUTTON;
  if (PtInRect(&buttons.icon, at)) return HTSYSMENU;
  return 0;
}

// The client surface of a skinned frame: erased and printed with the skin's window surface.
bool HandleFrameSurface(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_ERASEBKGND:
      FillSurface(hwnd, reinterpret_cast<HDC>(wParam));
      result = 1;
      return true;
    case WM_PRINTCLIENT:
      if (lParam & (PRF_ERASEBKGND | PRF_CLIENT)) PaintPanel(hwnd, reinterpret_cast<HDC>(wParam));
      result = 0;
      return true;
    default:
      return false;
  }
}

// Whatever changes the title bar's look: painting, activation, a new title or icon.
bool HandleCaptionLook(HWND hwnd, WindowState& state, UINT message, WPARAM wParam, LPARAM lParam,
                       LRESULT& result) {
  switch (message) {
    case WM_NCPAINT:
      state.framePainted = true;
      PaintFrameBorder(hwnd, state);
      result = 0;
      return true;
    case WM_NCACTIVATE:
      state.inactive = wParam == FALSE;
      // -1: the system updates its state without drawing its own title bar.
      CallOriginal(state, hwnd, message, wParam, -1);
      // A window being shown is activated before its frame's first paint, which follows anyway.
      if (state.framePainted) PaintFrameBorder(hwnd, state);
      result = TRUE;
      return true;
    case WM_SETTEXT:
    case WM_SETICON:
      result = CallOriginal(state, hwnd, message, wParam, lParam);
      if (state.framePainted && IsWindowVisible(hwnd)) PaintFrameBorder(hwnd, state);
      return true;
    case WM_NCHITTEST:
      result = CallOriginal(state, hwnd, message, wParam, lParam);
      if (result == HTCAPTION || result == HTCLOSE || result == HTMINBUTTON ||
          result == HTMAXBUTTON || result == HTSYSMENU || result == HTHELP) {
        // The skin's caption buttons are where it draws them, not where the system would.
        const int button = CaptionButtonAt(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        result = button != 0 ? button : HTCAPTION;
      }
      return true;
    default:
      return false;
  }
}

// Ends a press on a caption button: its command runs when the pointer was released inside it.
void ReleaseCaptionButton(HWND hwnd, WindowState& state) {
  const int button = state.pressedCaptionButton;
  const bool inside = state.pressedInside;
  ReleaseCapture();
  state.pressedCaptionButton = 0;
  state.pressedInside = false;
  PaintFrameBorder(hwnd, state);
  if (!inside) return;
  WPARAM command = SC_CLOSE;
  if (button == HTMINBUTTON) command = SC_MINIMIZE;
  if (button == HTMAXBUTTON) command = IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE;
  PostMessageW(hwnd, WM_SYSCOMMAND, command, 0);
}

// The caption buttons' hot and pressed looks, and their clicks.
bool HandleCaptionButtons(HWND hwnd, WindowState& state, UINT message, WPARAM wParam, LPARAM lParam,
                          LRESULT& result) {
  const bool captionButton = wParam == HTCLOSE || wParam == HTMINBUTTON || wParam == HTMAXBUTTON;
  switch (message) {
    case WM_NCMOUSEMOVE: {
      const int hot = captionButton ? static_cast<int>(wParam) : 0;
      if (hot != state.hotCaptionButton) {
        state.hotCaptionButton = hot;
        PaintFrameBorder(hwnd, state);
      }
      TrackLeave(hwnd, TME_NONCLIENT);
      return false;
    }
    case WM_NCMOUSELEAVE:
      if (state.hotCaptionButton != 0) {
        state.hotCaptionButton = 0;
        PaintFrameBorder(hwnd, state);
      }
      return false;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      if (!captionButton) return false;
      state.pressedCaptionButton = static_cast<int>(wParam);
      state.pressedInside = true;
      SetCapture(hwnd);
      PaintFrameBorder(hwnd, state);
      result = 0;
      return true;
    case WM_MOUSEMOVE: {
      if (state.pressedCaptionButton == 0) return false;
      POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(hwnd, &at);
      const bool inside = CaptionButtonAt(hwnd, at) == state.pressedCaptionButton;
      if (inside != state.pressedInside) {
        state.pressedInside = inside;
        PaintFrameBorder(hwnd, state);
      }
      result = 0;
      return true;
    }
    case WM_LBUTTONUP:
      if (state.pressedCaptionButton == 0) return false;
      ReleaseCaptionButton(hwnd, state);
      result = 0;
      return true;
    case WM_CAPTURECHANGED:
      if (state.pressedCaptionButton != 0 && reinterpret_cast<HWND>(lParam) != hwnd) {
        state.pressedCaptionButton = 0;
        state.pressedInside = false;
        PaintFrameBorder(hwnd, state);
      }
      return false;
    default:
      return false;
  }
}

bool HandleFrame(HWND hwnd, WindowState& state, UINT message, WPARAM wParam, LPARAM lParam,
                 LRESULT& result) {
  // A minimized window keeps the system's small title bar.
  if (IsIconic(hwnd) && message != WM_ERASEBKGND && message != WM_PRINTCLIENT) return false;
  return HandleFrameSurface(hwnd, message, wParam, lParam, result) ||
         HandleMenus(hwnd, state, message, wParam, lParam, result) ||
         HandleCaptionLook(hwnd, state, message, wParam, lParam, result) ||
         HandleCaptionButtons(hwnd, state, message, wParam, lParam, result);
}

template <void (*Paint)(HWND, const WindowState&, HDC)>
bool HandlePaint(HWND hwnd, const WindowState& state, UINT message, WPARAM wParam,
                 LRESULT& result) {
  switch (message) {
    case WM_PAINT: {
      const base::ScopedPaint paint(hwnd);
      if (paint.Get() != nullptr) Paint(hwnd, state, paint);
      result = 0;
      return true;
    }
    case WM_PRINTCLIENT:
      Paint(hwnd, state, reinterpret_cast<HDC>(wParam));
      result = 0;
      return true;
    case WM_ERASEBKGND:
      result = 1;
      return true;
    default:
      return false;
  }
}

void PaintGroupWithState(HWND hwnd, const WindowState&, HDC dc) {
  PaintGroup(hwnd, dc);
}

void PaintPanelWithState(HWND hwnd, const WindowState&, HDC dc) {
  PaintPanel(hwnd, dc);
}

bool HandleButton(HWND hwnd, WindowState& state, UINT message, WPARAM wParam, LPARAM lParam,
                  LRESULT& result) {
  switch (message) {
    case BM_SETSTATE:
    case BM_SETCHECK:
    case BM_SETSTYLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_SETFONT:
    case WM_UPDATEUISTATE:
      result = CallQuietly(state, hwnd, message, wParam, lParam);
      return true;
    case WM_MOUSEMOVE:
      SetHot(hwnd, state, true);
      result = CallOriginal(state, hwnd, message, wParam, lParam);
      return true;
    case WM_MOUSELEAVE:
      SetHot(hwnd, state, false);
      result = CallOriginal(state, hwnd, message, wParam, lParam);
      return true;
    default:
      break;
  }
  if (state.kind == Kind::kPushButton) {
    return HandlePaint<PaintPushButton>(hwnd, state, message, wParam, result);
  }
  if (state.kind == Kind::kCheck)
    return HandlePaint<PaintCheck>(hwnd, state, message, wParam, result);
  return HandlePaint<PaintGroupWithState>(hwnd, state, message, wParam, result);
}

bool HandleCombo(HWND hwnd, WindowState& state, UINT message, WPARAM wParam, LPARAM lParam,
                 LRESULT& result) {
  switch (message) {
    case CB_SETCURSEL:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETFONT:
      result = CallQuietly(state, hwnd, message, wParam, lParam);
      return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_MOUSEWHEEL:
    case WM_COMMAND:
    case WM_CAPTURECHANGED:
    case CB_SHOWDROPDOWN:
      result = CallThenRepaint(state, hwnd, message, wParam, lParam);
      return true;
    case WM_MOUSEMOVE:
      SetHot(hwnd, state, true);
      if (GetCapture() == hwnd) {
        result = CallThenRepaint(state, hwnd, message, wParam, lParam);
        return true;
      }
      return false;
    case WM_MOUSELEAVE:
      SetHot(hwnd, state, false);
      return false;
    default:
      return HandlePaint<PaintCombo>(hwnd, state, message, wParam, result);
  }
}

int TabAt(HWND hwnd, LPARAM lParam) {
  TCHITTESTINFO hit{};
  hit.pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  return static_cast<int>(SendMessageW(hwnd, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

bool HandleTab(HWND hwnd, WindowState& state, UINT message, WPARAM wParam, LPARAM lParam,
               LRESULT& result) {
  switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_SETFONT:
      result = CallQuietly(state, hwnd, message, wParam, lParam);
      return true;
    case WM_LBUTTONDOWN:
    case WM_KEYDOWN:
      result = CallThenRepaint(state, hwnd, message, wParam, lParam);
      return true;
    case WM_MOUSEMOVE: {
      const int hot = TabAt(hwnd, lParam);
      if (hot != state.hotTab) {
        state.hotTab = hot;
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      SetHot(hwnd, state, true);
      return false;
    }
    case WM_MOUSELEAVE:
      state.hotTab = -1;
      SetHot(hwnd, state, false);
      InvalidateRect(hwnd, nullptr, FALSE);
      return false;
    default:
      return HandlePaint<PaintTab>(hwnd, state, message, wParam, result);
  }
}

bool HandleField(HWND hwnd, WindowState& state, UINT message, WPARAM wParam, LPARAM lParam,
                 LRESULT& result) {
  const bool scrollBars = (GetWindowLongW(hwnd, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL)) != 0;
  switch (message) {
    case WM_NCPAINT:
      if (!HasFieldBorder(hwnd)) return false;
      // Scroll bars live in the non-client area too: let the control draw them first.
      result = scrollBars ? CallOriginal(state, hwnd, message, wParam, lParam) : 0;
      PaintFieldBorder(hwnd, state);
      return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
      result = CallOriginal(state, hwnd, message, wParam, lParam);
      if (HasFieldBorder(hwnd)) PaintFieldBorder(hwnd, state);
      return true;
    case WM_MOUSEMOVE:
      if (HasFieldBorder(hwnd)) SetHot(hwnd, state, true);
      return false;
    case WM_MOUSELEAVE:
      if (HasFieldBorder(hwnd)) SetHot(hwnd, state, false);
      return false;
    case WM_PAINT:
      if (state.kind == Kind::kRichEdit && state.styledFor != g_engine.generation) {
        StyleRichEdit(hwnd, state);
      }
      return false;
    default:
      return false;
  }
}

bool HandlePart(HWND hwnd, WindowState& state, UINT message, WPARAM wParam, LRESULT& result) {
  const int part = PartOf(hwnd);
  if (part == static_cast<int>(Part::kPanel)) {
    return HandlePaint<PaintPanelWithState>(hwnd, state, message, wParam, result);
  }
  if (part == static_cast<int>(Part::kFrame)) {
    return HandlePaint<PaintGroupWithState>(hwnd, state, message, wParam, result);
  }
  return false;
}

bool Handle(HWND hwnd, WindowState& state, UINT message, WPARAM wParam, LPARAM lParam,
            LRESULT& result) {
  switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      result =
          AnswerColor(hwnd, message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
      return true;
    default:
      break;
  }
  if (message == g_engine.inkMessage && message != 0) {
    const std::uint32_t ink =
        LegibleInk(FromColorRef(static_cast<COLORREF>(wParam)), SurfaceOf(hwnd));
    result = static_cast<LRESULT>(base::skin_parts::kInkAnswered | ToColorRef(ink));
    return true;
  }
  switch (state.kind) {
    case Kind::kFrame:
      return HandleFrame(hwnd, state, message, wParam, lParam, result);
    case Kind::kPushButton:
    case Kind::kCheck:
    case Kind::kGroupButton:
      return HandleButton(hwnd, state, message, wParam, lParam, result);
    case Kind::kCombo:
      return HandleCombo(hwnd, state, message, wParam, lParam, result);
    case Kind::kTab:
      return HandleTab(hwnd, state, message, wParam, lParam, result);
    case Kind::kEdit:
    case Kind::kStatic:
    case Kind::kRichEdit:
      return HandleField(hwnd, state, message, wParam, lParam, result);
    case Kind::kOther:
      return HandlePart(hwnd, state, message, wParam, result);
  }
  return false;
}

void SubclassShown(HWND root, bool knownNew);

LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowState* state = StateOf(hwnd);
  if (state == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    if (g_engine.hotWindow == hwnd) {
      g_engine.hotWindow = nullptr;
      StopHotWatch();
    }
    const WNDPROC original = state->original;
    RemoveState(hwnd);
    HeapFree(GetProcessHeap(), 0, state);
    return CallWindowProcW(original, hwnd, message, wParam, lParam);
  }
  if (message == WM_SHOWWINDOW && wParam != FALSE && state->childrenWaiting) {
    // Shown for the first time since the attach: its controls are taken over before they paint.
    state->childrenWaiting = false;
    if (g_engine.attached) SubclassShown(hwnd, false);
  }
  LRESULT result = 0;
  if (g_engine.attached && Handle(hwnd, *state, message, wParam, lParam, result)) return result;
  return CallOriginal(*state, hwnd, message, wParam, lParam);
}

// Takes over a window's drawing and returns its state; a window already taken keeps its state,
// and ignored classes are left alone (nullptr). The first attach knows that no window has been
// taken yet and need not ask.
WindowState* Subclass(HWND hwnd, bool exists, bool knownNew = false) {
  if (hwnd == nullptr) return nullptr;
  if (!knownNew) {
    if (WindowState* taken = StateOf(hwnd)) return taken;
  }
  DWORD process = 0;
  if (GetWindowThreadProcessId(hwnd, &process) != GetCurrentThreadId()) return nullptr;
  const Family family = FamilyOf(hwnd);
  if (family == Family::kIgnored || family == Family::kComboList) return nullptr;
  auto* state =
      static_cast<WindowState*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(WindowState)));
  if (state == nullptr) return nullptr;
  state->kind = Classify(hwnd, family);
  state->hotTab = -1;
  state->hotMenuItem = -1;
  if (!AddState(hwnd, state)) {
    HeapFree(GetProcessHeap(), 0, state);
    return nullptr;
  }
  state->original = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
  if (state->original == nullptr) {
    RemoveState(hwnd);
    HeapFree(GetProcessHeap(), 0, state);
    return nullptr;
  }
  if (state->kind == Kind::kFrame) {
    state->inactive = GetActiveWindow() != hwnd && exists;
    // Where the desktop composes title bars itself, ask it to leave the frame to us.
    if (g_engine.dwm == nullptr) g_engine.dwm = LoadLibraryW(L"dwmapi.dll");
    if (HMODULE dwm = g_engine.dwm) {
      using SetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
      auto set = reinterpret_cast<SetAttribute>(
          reinterpret_cast<void*>(GetProcAddress(dwm, "DwmSetWindowAttribute")));
      const DWORD disabled = 1;  // DWMNCRP_DISABLED for DWMWA_NCRENDERING_POLICY (2)
      if (set != nullptr) set(hwnd, 2, &disabled, sizeof disabled);
    }
  }
  return state;
}

struct Walk {
  HWND root;
  bool knownNew;
};

// Whether every window between hwnd and root (neither included) is shown.
bool ShownWithin(HWND hwnd, HWND root) {
  for (HWND window = GetParent(hwnd); window != nullptr && window != root;
       window = GetParent(window)) {
    if ((GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) == 0) return false;
  }
  return true;
}

BOOL CALLBACK TakeIfShown(HWND child, LPARAM param) {
  const Walk& walk = *reinterpret_cast<const Walk*>(param);
  if (!ShownWithin(child, walk.root)) return TRUE;
  WindowState* state = Subclass(child, true, walk.knownNew);
  if (state == nullptr) return TRUE;
  if (state->kind == Kind::kRichEdit) StyleRichEdit(child, *state);
  if ((GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) == 0) state->childrenWaiting = true;
  return TRUE;
}

// Takes over the windows inside root that show when root does. Inside a hidden child (a tab
// page not selected yet) the controls wait until it is first shown: most of them never are.
// Rich edit boxes get the skin's colours at once, or at their next paint.
void SubclassShown(HWND root, bool knownNew) {
  Walk walk{root, knownNew};
  EnumChildWindows(root, &TakeIfShown, reinterpret_cast<LPARAM>(&walk));
}

BOOL CALLBACK AttachTopLevel(HWND hwnd, LPARAM) {
  const bool knownNew = g_engine.generation == 1;
  const WindowState* state = Subclass(hwnd, true, knownNew);
  if (state != nullptr && state->kind == Kind::kFrame) TakeMenus(hwnd);
  SubclassShown(hwnd, knownNew);
  // A hidden window is painted in full when it is shown; at start-up the skin comes first.
  if (IsWindowVisible(hwnd)) {
    RedrawWindow(hwnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  return TRUE;
}

LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && g_engine.attached) Subclass(reinterpret_cast<HWND>(wParam), false);
  return CallNextHookEx(g_engine.hook, code, wParam, lParam);
}

HBRUSH TextureBrush(std::uint32_t base, std::uint32_t texture, bool textured) {
  if (!textured) return CreateSolidBrush(ToColorRef(base));
  // An 8 by 8 tile of the texture, as PaintSurface draws it.
  struct {
    BITMAPINFOHEADER header;
    std::uint32_t pixels[64];
  } tile{};
  tile.header.biSize = sizeof tile.header;
  tile.header.biWidth = 8;
  tile.header.biHeight = -8;
  tile.header.biPlanes = 1;
  tile.header.biBitCount = 32;
  tile.header.biCompression = BI_RGB;
  Canvas canvas(nullptr, 8, 8);
  if (!canvas.Ok()) return CreateSolidBrush(ToColorRef(base));
  PaintSurface(canvas, RECT{0, 0, 8, 8}, Surface{SurfaceKind::kWindow, base, texture, true},
               POINT{0, 0});
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) tile.pixels[y * 8 + x] = canvas.Row(y)[x];
  }
  return CreateDIBPatternBrushPt(&tile, DIB_RGB_COLORS);
}

}  // namespace

WindowState* StateOf(HWND hwnd) {
  return FindState(hwnd);
}

int PartOf(HWND hwnd) {
  // A window names its part once, right after it is made (after the engine may have taken it
  // over): a window taken over remembers its part once it has one.
  WindowState* state = FindState(hwnd);
  if (state != nullptr && state->partKnown) return state->part;
  const auto part =
      static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(hwnd, base::skin_parts::kPartProperty)));
  if (state != nullptr && part != 0) {
    state->part = part;
    state->partKnown = true;
  }
  return part;
}

namespace {

std::uint32_t Attach(const std::uint8_t* file, std::size_t size) {
  Look look;
  if (ReadSkin(file, size, look) != ReadStatus::kOk) return 0;

  g_engine.look = look;
  const bool textured = look.texture != Texture::kPlain;
  EngineObjects& objects = *g_engine.objects;
  objects.windowBrush.Reset(TextureBrush(look.windowColor, look.textureColor, textured));
  objects.panelBrush.Reset(TextureBrush(look.panelColor, look.textureColor, textured));
  objects.cardBrush.Reset(CreateSolidBrush(ToColorRef(look.groupFillColor)));
  objects.fieldBrush.Reset(CreateSolidBrush(ToColorRef(look.fieldColor)));
  objects.menuBrush.Reset(CreateSolidBrush(ToColorRef(look.panelColor)));
  if (g_engine.inkMessage == 0)
    g_engine.inkMessage = RegisterWindowMessageW(base::skin_parts::kInkMessage);
  g_engine.attached = true;
  if (g_engine.hook == nullptr) {
    g_engine.hook = SetWindowsHookExW(WH_CBT, &CreationHook, nullptr, GetCurrentThreadId());
  }
  ++g_engine.generation;
  EnumThreadWindows(GetCurrentThreadId(), &AttachTopLevel, 0);
  return 1;
}

void Load() {
  g_engine.objects = new (g_objectStorage) EngineObjects;
}

void Unload() {
  if (g_engine.hook != nullptr) UnhookWindowsHookEx(g_engine.hook);
  g_engine.hook = nullptr;
  if (g_engine.objects != nullptr) g_engine.objects->~EngineObjects();
  g_engine.objects = nullptr;
}

}  // namespace

}  // namespace skin::engine

// Attaches the skin file held at data (size bytes) to every window of the calling thread, now
// and later. Returns 1, or 0 when the file is not a readable skin; then nothing changes. The
// remaining arguments are reserved and ignored (the host passes zeros).
extern "C" __declspec(dllexport) std::uint32_t
    SkinEngine_AttachRes(const void* data, std::uintptr_t size, std::uintptr_t, std::uintptr_t,
                         std::uintptr_t, std::uintptr_t, std::uintptr_t, std::uintptr_t,
                         std::uintptr_t, std::uintptr_t) {
  return skin::engine::Attach(static_cast<const std::uint8_t*>(data), size);
}

extern "C" BOOL WINAPI SkinEngineMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) skin::engine::Load();
  if (reason == DLL_PROCESS_DETACH) skin::engine::Unload();
  return TRUE;
}
