// The control kinds rendered as Win32 windows: one routine turns a window description into a
// top-level window's children (our own kinds paint themselves in custom_kinds_win, the tab
// control is tab_control_win, fonts come from fonts_win). Texts arrive as GBK and reach Windows
// as UTF-16.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <unordered_map>

#include "base/dpi_win.h"
#include "ui/description.h"

namespace ui::widgets {

// Registers the custom control classes and the common controls. The rich edit control is
// loaded when the first rich edit box is made.
[[nodiscard]] bool RegisterControlClasses();

// OLE for this thread, initialised on first need: rich edit boxes (their clipboard, drag and
// drop) and the shell. Nothing the main window shows at start-up needs it.
void EnsureOle();
// Undoes EnsureOle, if it initialised OLE.
void ReleaseOle();

// Creates every element of the description inside top, which already exists. Each control's
// Win32 ID is its identifier; timers are started on top with their identifier. Fills controls
// with the handle of each created element. False when a control could not be created.
[[nodiscard]] bool CreateControls(HWND top, const WindowDescription& window,
                                  std::unordered_map<ControlId, HWND>& controls, int dpi = 96);

// Moves, sizes and re-fonts the controls of an open window for dpi: every position, size and
// font of the description (given at 96 DPI) scaled by dpi / 96.
void LayoutControls(HWND top, const WindowDescription& window,
                    const std::unordered_map<ControlId, HWND>& controls, int dpi);

// The DPI the layout of hwnd's top-level window is made for (96 when it says nothing).
using base::LayoutDpiOf;

// Answers what the widgets handle themselves among the notifications that reach the top-level
// window (tab switching). True when handled.
[[nodiscard]] bool HandleNotify(HWND top, const NMHDR& header, LRESULT& result);

// A radio box was clicked: every other radio box with the same parent is unchecked.
void OnRadioClicked(HWND radio);

// Rewrites a control's text; a transparent label is erased and redrawn in full.
void SetControlText(HWND control, std::wstring_view text);

}  // namespace ui::widgets
