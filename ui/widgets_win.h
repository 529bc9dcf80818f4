// The control kinds rendered as Win32 windows: one routine turns a window description into a
// top-level window's children, and the custom kinds (group box, tab page, transparent label,
// hypertext box, picture box) paint themselves here. Texts arrive as GBK and reach Windows as
// UTF-16.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <unordered_map>

#include "ui/description.h"

namespace ui::widgets {

// Registers the custom control classes and the common controls. The rich edit control is
// loaded when the first rich edit box is made.
bool RegisterControlClasses();

// OLE for this thread, initialised on first need: rich edit boxes (their clipboard, drag and
// drop) and the shell. Nothing the main window shows at start-up needs it.
void EnsureOle();
// Undoes EnsureOle, if it initialised OLE.
void ReleaseOle();

// Creates every element of the description inside top, which already exists. Each control's
// Win32 ID is its identifier; timers are started on top with their identifier. Fills controls
// with the handle of each created element. False when a control could not be created.
bool CreateControls(HWND top, const WindowDescription& window,
                    std::unordered_map<ControlId, HWND>& controls);

// Answers what the widgets handle themselves among the notifications that reach the top-level
// window (tab switching). True when handled.
bool HandleNotify(HWND top, const NMHDR& header, LRESULT& result);

// A radio box was clicked: every other radio box with the same parent is unchecked.
void OnRadioClicked(HWND radio);

// Rewrites a control's text; a transparent label is erased and redrawn in full.
void SetControlText(HWND control, std::wstring_view text);

// The font described, created once and kept for the life of the process. A face that is not
// installed is replaced by one that can show Chinese text.
HFONT FontFor(const FontSpec& wanted);
// The windows' default GUI font: the default face at 12 pixels.
HFONT DefaultFont();
// The face actually used for a requested face name.
std::wstring ResolveFace(std::wstring_view face);

// Paints the parent's background under child into dc, whose origin is child's client origin.
void PaintParentBackground(HWND child, HDC dc);

// Fills hwnd's client area in dc with the windows' background colour.
void FillWindowBackground(HWND hwnd, HDC dc);

}  // namespace ui::widgets
