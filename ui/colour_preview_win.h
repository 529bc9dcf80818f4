// The colour-code preview: a popup that shows a control's text the way the game's chat shows
// it (colours, formats, the translucent dark background and the glyph shadows) and lists the
// code problems in it. It follows a message input while that has the focus or the pointer rests
// on it, and an output box while the pointer rests on it; it never takes focus or activation,
// never covers the control it previews and lets the pointer through. Under the chat line it lists
// the code problems and what a check given by its owner finds. Only the start of a long text is
// read and shown, so a text of megabytes costs no more than a short one. Texts are GBK inside,
// UTF-16 at the window.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ui/chat_layout.h"

namespace ui {

// The popup's window class, for automation that looks for a shown preview.
inline constexpr wchar_t kColourPreviewClass[] = L"ChatPreview";

// How long the pointer rests on a control before its preview shows.
inline constexpr UINT kPreviewRestMs = 300;

// How much of a control's text the preview reads, in UTF-16 units: more than its lines can show.
inline constexpr std::size_t kPreviewReadUnits = 4096;

// What the preview shows of a control: the start of its text and how much more there is.
struct PreviewedText {
  HWND control;
  std::string_view text;    // GBK: at most the first kPreviewReadUnits units of the text
  std::size_t unreadUnits;  // UTF-16 units of the text after that start
};

// One line under the chat line: a problem, or information (drawn apart from problems). GBK.
using PreviewNote = ChatNote;

// Finds what to say about a previewed text beyond its colour codes, which the preview reads
// itself. Runs on every change of the shown text, so it must be quick.
using PreviewCheck = std::function<std::vector<PreviewNote>(const PreviewedText&)>;

[[nodiscard]] bool RegisterColourPreviewClass();

// Creates the (hidden) popup of top, which watches messageInputs (focus or pointer) and outputs
// (pointer only), all descendants of top, and lists what check finds (none: nothing). The popup
// belongs to top and goes with it. nullptr when it could not be created.
HWND AttachColourPreview(HWND top, std::span<const HWND> messageInputs,
                         std::span<const HWND> outputs, PreviewCheck check = {});

// The control whose text the popup shows, or nullptr while it is hidden.
[[nodiscard]] HWND PreviewedControl(HWND popup);

// The lines under the chat line as shown, for automation; empty while the popup is hidden.
std::vector<std::wstring> PreviewNoteLines(HWND popup);

// The pixels last handed to the system, row by row, as premultiplied 0xAARRGGBB; empty while the
// popup is hidden. Typing redraws only what changed, so this is what the user really sees.
std::vector<std::uint32_t> PreviewShownPixels(HWND popup);

}  // namespace ui
