// The balloon tip control kind: not drawn itself, it holds registrations (target control, tip
// text, icon, region) and watches the pointer. When the pointer has rested 600 ms without moving
// on a registered control, a balloon-shaped popup shows the tip as hypertext on #FFFFE1, at the
// pointer sideways but above or below the target's row, so that it covers nothing of the row;
// it hides 10 s after it appeared or as soon as the pointer leaves the control, never takes
// focus, activation or a click, and carries the tip's text without markup as its window text.
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

[[nodiscard]] bool RegisterBalloonTipClasses();

// Creates the control as a hidden child of parent with the element's identifier.
[[nodiscard]] HWND CreateBalloonTip(HWND parent, const Element& element, POINT offset);

// Where on the screen the row a target belongs to is, which its tip keeps out of. The tip knows
// no rows; whoever attaches it does.
using RowLocator = RECT (*)(HWND target);

// Adds a registration. A region of all zeros is the whole target. rowOf nullptr: the target
// alone is its row. False when tip is not a balloon tip control or target is not a window.
[[nodiscard]] bool AttachTip(HWND tip, HWND target, std::string_view text, int icon,
                             const Rect& region, RowLocator rowOf);

// The plain text of the tip registered for target (the last one, when several are), or empty.
// Screen readers hear it as the target's description.
std::wstring TipTextFor(HWND target);

// The popup of a tip control (nullptr until it has first shown).
[[nodiscard]] HWND BalloonPopupOf(HWND tip);

// ---- The balloon's look, shared with the notes ----

// A hidden popup of className owned by owner that never takes focus or activation and lets
// every click through to the window under it (it is layered, fully opaque, and transparent to
// hit testing). param reaches WM_NCCREATE. nullptr when it could not be made.
HWND CreateClickThroughPopup(const wchar_t* className, HWND owner, void* param);

// The balloon around content of a size, in the popup's client coordinates: the rounded body,
// the content inside its padding and the stem, out of the top edge (stemUp) or the bottom edge,
// whose point lies at x pointX (kept clear of the corners). All lengths at dpi.
struct BalloonOutline {
  RECT body{};
  RECT content{};
  POINT stem[3]{};
  SIZE size{};  // the whole popup
  int corner = 0;
};
BalloonOutline OutlineBalloon(SIZE content, int pointX, bool stemUp, int dpi);

// How far right of a balloon's left edge its stem points when nothing pushes it aside: a balloon
// meant to point at x starts there less this.
int BalloonStemReach(int dpi);

// Moves popup to left, top, gives it the outline's shape and shows it without activating it.
void ShowBalloon(HWND popup, const BalloonOutline& outline, int left, int top);

// Fills and frames the popup's shape in the balloon's colours.
void PaintBalloon(HWND popup, HDC dc);

}  // namespace ui::widgets
