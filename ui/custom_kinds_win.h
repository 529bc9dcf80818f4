// The classes of our own control kinds and the drawing state each of their windows keeps.
#pragma once

#include <windows.h>

#include <optional>

#include "ui/png_picture.h"

namespace ui::widgets {

inline constexpr wchar_t kGroupBoxClass[] = L"GroupBox";
inline constexpr wchar_t kTransLabelClass[] = L"TransLabel";
inline constexpr wchar_t kSimpleHtmlClass[] = L"SimpleHtml";
inline constexpr wchar_t kPicBoxClass[] = L"PicBox";

// Per-control drawing state of the custom kinds, owned by the window.
struct Appearance {
  HFONT font = nullptr;
  COLORREF textColor = RGB(0, 0, 0);
  // A label whose caption is wider than the label is drawn in a smaller size of its font.
  HFONT fittedFont = nullptr;
  bool fitted = false;
  // A picture box's image, decoded once when the box is created.
  std::optional<Picture> picture;
  std::optional<Picture> scaled;  // the picture at the layout's DPI, made on first paint

  void ForgetFit() {
    if (fittedFont != nullptr) DeleteObject(fittedFont);
    fittedFont = nullptr;
    fitted = false;
  }
};

// The drawing state of a control of a custom kind, or nullptr for any other window.
inline Appearance* AppearanceOf(HWND hwnd) {
  return reinterpret_cast<Appearance*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// Registers the group box, tab page, transparent label, hypertext box and picture box classes.
bool RegisterCustomKindClasses();

}  // namespace ui::widgets
