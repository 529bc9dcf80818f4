// Our own control kinds, each a window class that paints itself: group boxes, tab pages,
// transparent labels, the hypertext box and picture boxes. Texts reach them as UTF-16.
#pragma once

#include <windows.h>

#include <optional>
#include <string_view>

#include "ui/png_picture.h"

namespace ui::widgets {

inline constexpr wchar_t kGroupBoxClass[] = L"GroupBox";
inline constexpr wchar_t kTabPageClass[] = L"TabPage";
inline constexpr wchar_t kTransLabelClass[] = L"TransLabel";
inline constexpr wchar_t kSimpleHtmlClass[] = L"SimpleHtml";
inline constexpr wchar_t kPicBoxClass[] = L"PicBox";

enum class CustomKind { kGroupBox, kTabPage, kTransLabel, kSimpleHtml, kPicBox };

// What a control of a custom kind draws besides its text and font: a label's text colour, a
// picture box's image (at its natural size at 96 DPI).
struct Appearance {
  COLORREF textColor = RGB(0, 0, 0);
  std::optional<Picture> picture;
};

// Registers the classes of the custom kinds.
[[nodiscard]] bool RegisterCustomKindClasses();

// Creates a control of a kind as a child of parent at place (parent's client coordinates) with
// the Win32 ID id; the other arguments are CreateWindowExW's. nullptr when it could not be made.
[[nodiscard]] HWND CreateCustomKind(CustomKind kind, Appearance appearance, DWORD exStyle,
                                    std::wstring_view text, DWORD style, const RECT& place,
                                    HWND parent, UINT_PTR id);

}  // namespace ui::widgets
