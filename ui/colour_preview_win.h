// The colour-code preview: a popup that shows a control's text the way the game's chat shows
// it (colours, formats, the translucent dark background and the glyph shadows) and lists the
// code problems in it. It follows a message input while that has the focus or the pointer rests
// on it, and an output box while the pointer rests on it; it never takes focus or activation,
// never covers the control it previews and lets the pointer through. Texts are GBK inside,
// UTF-16 at the window.
#pragma once

#include <windows.h>

#include <span>

namespace ui {

// The popup's window class, for automation that looks for a shown preview.
inline constexpr wchar_t kColourPreviewClass[] = L"ChatPreview";

// How long the pointer rests on a control before its preview shows.
inline constexpr UINT kPreviewRestMs = 300;

bool RegisterColourPreviewClass();

// Creates the (hidden) popup of top, which watches messageInputs (focus or pointer) and outputs
// (pointer only), all descendants of top. The popup belongs to top and goes with it. nullptr
// when it could not be created.
HWND AttachColourPreview(HWND top, std::span<const HWND> messageInputs,
                         std::span<const HWND> outputs);

// The control whose text the popup shows, or nullptr while it is hidden.
HWND PreviewedControl(HWND popup);

}  // namespace ui
