// The balloon tip control kind: not drawn itself, it holds registrations (target control, tip
// text, icon, region) and watches the pointer. When the pointer has rested 600 ms without moving
// on a registered control, a balloon-shaped popup near the pointer shows the tip as hypertext on
// #FFFFE1; it hides 10 s after it appeared or as soon as the pointer leaves the control, never
// takes focus or activation, and carries the tip's text without markup as its window text.
// Texts are GBK.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "ui/description.h"
#include "ui/frame.h"

namespace ui::widgets {

// The popup's window class, for automation that looks for a shown tip.
inline constexpr wchar_t kBalloonPopupClass[] = L"Q_tipPopup";

inline constexpr UINT kTipRestMs = 600;
inline constexpr UINT kTipShowMs = 10000;

bool RegisterBalloonTipClasses();

// Creates the control as a hidden child of parent with the element's identifier.
HWND CreateBalloonTip(HWND parent, const Element& element, POINT offset);

// Adds a registration. A region of all zeros is the whole target. False when tip is not a
// balloon tip control or target is not a window.
bool AttachTip(HWND tip, HWND target, std::string_view text, int icon, const Rect& region);

// The plain text of the tip registered for target (the last one, when several are), or empty.
// Screen readers hear it as the target's description.
std::wstring TipTextFor(HWND target);

// The popup of a tip control (nullptr until it has first shown).
HWND BalloonPopupOf(HWND tip);

}  // namespace ui::widgets
