// SkinEngine.dll: attaches a skin to every window of the calling thread, present and future.
// Each window is subclassed; system control classes are drawn by the engine by class and
// style, windows of the application's own classes by the part they declare (base/skin_parts.h).
// The DLL has no C++ run-time library: no static constructors, no exceptions, no TLS; memory
// comes from the process heap.
#include "skin/engine/engine_win.h"

#include <new>

#include "base/skin_parts.h"
#include "skin/engine/canvas_win.h"
#include "skin/engine/handlers_win.h"

namespace skin::engine {

constinit EngineState g_engine{};

namespace {

// Where the engine's GDI objects live while it is loaded.
alignas(EngineObjects) constinit unsigned char g_objectStorage[sizeof(EngineObjects)]{};

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

// A window asks which of its text colours reads well on the surface behind it.
LRESULT AnswerInk(HWND hwnd, COLORREF wanted) {
  const std::uint32_t ink = LegibleInk(FromColorRef(wanted), SurfaceOf(hwnd));
  return static_cast<LRESULT>(base::skin_parts::kInkAnswered | ToColorRef(ink));
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
    result = AnswerInk(hwnd, static_cast<COLORREF>(wParam));
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

int PartOf(HWND hwnd) {
  // A window names its part once, right after it is made (after the engine may have taken it
  // over): a window taken over remembers its part once it has one.
  WindowState* state = StateOf(hwnd);
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
