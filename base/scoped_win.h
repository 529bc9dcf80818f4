// Owners for what Win32 hands out in pairs: a DC from GetDC or BeginPaint, an object selected
// into a DC, a DC's saved state, a GDI object, a kernel handle, and the state of a window of one
// of our classes, of a system control we subclass or of one of our dialogs. Each releases what it
// holds when it goes out of scope, so no early return leaks one and no ReleaseDC, EndPaint,
// RestoreDC, DeleteObject or CloseHandle is written by hand anywhere else.
//
// Header only and free of the C run-time except for WindowState and SubclassState (which delete
// their state): the skin engine DLL, which has no run-time, uses the DC and GDI owners too.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <type_traits>

namespace base {

// A window's (or the screen's, for nullptr) DC from GetDC, released at the end of the scope.
class ScopedGetDc {
 public:
  explicit ScopedGetDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~ScopedGetDc() {
    if (dc_ != nullptr) ReleaseDC(hwnd_, dc_);
  }
  ScopedGetDc(const ScopedGetDc&) = delete;
  ScopedGetDc& operator=(const ScopedGetDc&) = delete;

  HDC Get() const { return dc_; }
  operator HDC() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// BeginPaint and EndPaint of one WM_PAINT.
class ScopedPaint {
 public:
  explicit ScopedPaint(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &paint_); }
  ~ScopedPaint() {
    if (dc_ != nullptr) EndPaint(hwnd_, &paint_);
  }
  ScopedPaint(const ScopedPaint&) = delete;
  ScopedPaint& operator=(const ScopedPaint&) = delete;

  HDC Get() const { return dc_; }
  operator HDC() const { return dc_; }
  const RECT& Dirty() const { return paint_.rcPaint; }

 private:
  HWND hwnd_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// A memory DC compatible with another (or with the screen, for nullptr), deleted at the end.
class ScopedMemoryDc {
 public:
  explicit ScopedMemoryDc(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
  ~ScopedMemoryDc() {
    if (dc_ != nullptr) DeleteDC(dc_);
  }
  ScopedMemoryDc(const ScopedMemoryDc&) = delete;
  ScopedMemoryDc& operator=(const ScopedMemoryDc&) = delete;

  HDC Get() const { return dc_; }
  operator HDC() const { return dc_; }

 private:
  HDC dc_;
};

// An object selected into a DC for the scope; the DC's previous object comes back at the end.
// Selecting nullptr (a font or brush that could not be made) changes nothing.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(nullptr) { Select(object); }
  ~ScopedSelect() {
    if (previous_ != nullptr) SelectObject(dc_, previous_);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

  // Selects another object of the same kind for the rest of the scope (a layout measuring runs
  // in several fonts); what the DC held before the first one still comes back at the end.
  void Select(HGDIOBJ object) {
    if (dc_ == nullptr || object == nullptr) return;
    HGDIOBJ previous = SelectObject(dc_, object);
    if (previous_ == nullptr && previous != HGDI_ERROR) previous_ = previous;
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// The DC's state (selected objects, clipping, colours, modes) saved for the scope and restored
// at its end: for drawing into a DC that belongs to someone else.
class ScopedSaveDc {
 public:
  explicit ScopedSaveDc(HDC dc) : dc_(dc), saved_(dc != nullptr ? SaveDC(dc) : 0) {}
  ~ScopedSaveDc() {
    if (saved_ != 0) RestoreDC(dc_, saved_);
  }
  ScopedSaveDc(const ScopedSaveDc&) = delete;
  ScopedSaveDc& operator=(const ScopedSaveDc&) = delete;

 private:
  HDC dc_;
  int saved_;
};

// Owns one GDI object (a brush, pen, font, bitmap or region) and deletes it at the end. Move
// only; Release hands the object on (for example to SetWindowRgn, which then owns it).
template <typename Handle>
class ScopedGdiObject {
 public:
  ScopedGdiObject() = default;
  explicit ScopedGdiObject(Handle handle) : handle_(handle) {}
  ~ScopedGdiObject() { Reset(); }
  ScopedGdiObject(const ScopedGdiObject&) = delete;
  ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;
  ScopedGdiObject(ScopedGdiObject&& other) noexcept : handle_(other.Release()) {}
  ScopedGdiObject& operator=(ScopedGdiObject&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  Handle Get() const { return handle_; }
  operator Handle() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

  [[nodiscard]] Handle Release() {
    Handle handle = handle_;
    handle_ = nullptr;
    return handle;
  }
  void Reset(Handle handle = nullptr) {
    if (handle_ != nullptr && handle_ != handle) DeleteObject(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = nullptr;
};

using ScopedBrush = ScopedGdiObject<HBRUSH>;
using ScopedPen = ScopedGdiObject<HPEN>;
using ScopedFont = ScopedGdiObject<HFONT>;
using ScopedBitmap = ScopedGdiObject<HBITMAP>;
using ScopedRegion = ScopedGdiObject<HRGN>;

// Owns a kernel handle (a file, thread, event or socket-less handle). Both nullptr and
// INVALID_HANDLE_VALUE mean none, as the functions that make them disagree on which they return.
class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedHandle() { Reset(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  HANDLE Get() const { return handle_; }
  bool Ok() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  explicit operator bool() const { return Ok(); }

  [[nodiscard]] HANDLE Release() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
  }
  void Reset(HANDLE handle = nullptr) {
    if (Ok() && handle_ != handle) CloseHandle(handle_);
    handle_ = handle;
  }

 private:
  HANDLE handle_ = nullptr;
};

// The state of a window of one of our classes, owned by the window: created by whoever creates
// the window, bound to it at WM_NCCREATE and deleted after WM_NCDESTROY, so no window procedure
// deletes its state by hand. A class's window procedure is WindowState<State>::Procedure, and
// State answers messages in one member:
//
//   LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
//
// which calls DefWindowProcW for what it does not handle. State's constructor runs before the
// window exists; its destructor after the window is gone. A window of the class made without a
// state (a control that a generic routine creates with CreateWindowExW) gets a State made with
// its default constructor, where State has one.
template <typename State>
class WindowState {
 public:
  // Creates a window whose state is state (owned from here on; deleted when creation fails).
  // The other arguments are CreateWindowExW's.
  [[nodiscard]] static HWND Create(State* state, DWORD exStyle, const wchar_t* className,
                                   const wchar_t* title, DWORD style, int x, int y, int width,
                                   int height, HWND parent, HMENU menu, HINSTANCE instance) {
    Creation creation{state, false};
    HWND hwnd = CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menu,
                                instance, &creation);
    // Before WM_NCCREATE bound it, nobody else will delete it.
    if (!creation.bound) delete state;
    return hwnd;
  }

  // The state bound to a window of the class, or nullptr (another class, or being destroyed).
  static State* Of(HWND hwnd) {
    return hwnd != nullptr ? reinterpret_cast<State*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))
                           : nullptr;
  }

  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* creation =
          static_cast<Creation*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      if (creation != nullptr) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->state));
        creation->bound = true;
      } else if constexpr (std::is_default_constructible_v<State>) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new State));
      }
    }
    State* state = Of(hwnd);
    if (state == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    const LRESULT result = state->OnMessage(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      delete state;
    }
    return result;
  }

 private:
  struct Creation {
    State* state;
    bool bound;
  };
};

// The state of a control of the system's classes that we subclass (a tab control that shows its
// pages, an input given an accessible name), owned by the control: attached with the subclass and
// deleted after WM_NCDESTROY, when the subclass goes. State names the window property it is found
// by (the 64-bit import library lacks GetWindowSubclass) and answers messages in one member:
//
//   static constexpr wchar_t kProperty[] = L"...";
//   LRESULT OnSubclassMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
//
// which calls DefSubclassProc for what it does not handle.
template <typename State>
class SubclassState {
 public:
  // Subclasses hwnd with state (owned from here on; deleted when hwnd cannot be subclassed).
  // False when it could not be.
  [[nodiscard]] static bool Attach(HWND hwnd, State* state) {
    if (hwnd != nullptr && SetPropW(hwnd, State::kProperty, state)) {
      if (SetWindowSubclass(hwnd, &Procedure, kSubclassId, reinterpret_cast<DWORD_PTR>(state))) {
        return true;
      }
      RemovePropW(hwnd, State::kProperty);
    }
    delete state;
    return false;
  }

  // The state attached to a control, or nullptr.
  static State* Of(HWND hwnd) {
    return hwnd != nullptr ? static_cast<State*>(GetPropW(hwnd, State::kProperty)) : nullptr;
  }

 private:
  // Unique with the procedure, which is one per State.
  static constexpr UINT_PTR kSubclassId = 1;

  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR data) {
    auto* state = reinterpret_cast<State*>(data);
    const LRESULT result = state->OnSubclassMessage(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
      RemoveWindowSubclass(hwnd, &Procedure, kSubclassId);
      RemovePropW(hwnd, State::kProperty);
      delete state;
    }
    return result;
  }
};

// The state of one of our modal dialogs, owned by the call that shows it (it outlives the dialog)
// and bound to the dialog at WM_INITDIALOG. State answers in one member:
//
//   INT_PTR OnDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
//
// with FALSE for what it leaves to the dialog manager.
template <typename State>
class DialogState {
 public:
  // Runs the dialog of a template modally over owner; what EndDialog was given, or -1.
  static INT_PTR Run(State& state, HINSTANCE instance, const DLGTEMPLATE* dialog, HWND owner) {
    return DialogBoxIndirectParamW(instance, dialog, owner, &Procedure,
                                   reinterpret_cast<LPARAM>(&state));
  }

 private:
  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* state = reinterpret_cast<State*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return state != nullptr ? state->OnDialogMessage(dialog, message, wParam, lParam) : FALSE;
  }
};

}  // namespace base
