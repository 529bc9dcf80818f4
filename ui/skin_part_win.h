// Marking a window of our own classes for the skin engine.
#pragma once

#include <windows.h>

#include "base/skin_parts.h"

namespace ui::widgets {

// Tells a skin engine what a window of our own classes is, so a skin can draw it.
inline void MarkSkinPart(HWND hwnd, base::skin_parts::Part part) {
  if (hwnd != nullptr) {
    SetPropW(hwnd, base::skin_parts::kPartProperty,
             reinterpret_cast<HANDLE>(static_cast<INT_PTR>(part)));
  }
}

}  // namespace ui::widgets
