// Finding the composer's windows and controls from another process, as automation tools do:
// top-level windows by class and exact title, controls by their Win32 ID. Timing uses Win32
// calls: <chrono> does not compile with the GBK execution character set.
#pragma once

#include <windows.h>

#include <string>

#include "ui/ids.h"

namespace testing_support {

// The top-level window of the description with this identifier, or nullptr.
HWND FindComposerWindow(ui::WindowId window);
// Waits until FindComposerWindow finds it shown, with all its controls.
HWND WaitForComposerWindow(ui::WindowId window, DWORD timeoutMs = 20000);
// A descendant of top whose GetDlgCtrlID is id, or nullptr.
HWND FindControlById(HWND top, ui::ControlId id);
// The window's text, asked with WM_GETTEXT (works across processes).
std::wstring TextOf(HWND hwnd);

}  // namespace testing_support
