// A list of rows drawn by its owner, for lists of any length: only the rows in view are drawn or
// asked about, so ten thousand rows cost what ten do. One row at a time is selected; arrows, Page
// Up and Down, Home and End, the mouse and the wheel move through it. It takes its colours from
// the skin as the system's list boxes do (WM_CTLCOLORLISTBOX to its parent), and screen readers
// hear each row by the name its owner gives it. It tells its parent what happened through
// WM_COMMAND with its identifier and one of the codes below.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

namespace ui::widgets {

inline constexpr wchar_t kRowListClass[] = L"ComposerRowList";

// Notification codes (HIWORD of WM_COMMAND's wParam).
inline constexpr WORD kRowSelected = 1;   // the selection moved (keys, mouse or SelectRow)
inline constexpr WORD kRowActivated = 2;  // Enter or a double click on the selected row
inline constexpr WORD kRowClicked = 3;    // a click on a row, after it was selected

// How a row is to be drawn: the list's colours at the time, as the skin gives them.
struct RowLook {
  COLORREF ink;         // text
  COLORREF background;  // behind the row, already filled, selection included
  COLORREF faintInk;    // numbers and secondary text
  bool selected;
  bool focused;  // the list has the keyboard focus
  int dpi;       // the layout's DPI
};

// What the list shows. The list asks only for rows in view, and only while painting or when a
// screen reader asks.
class RowSource {
 public:
  virtual ~RowSource() = default;
  virtual std::size_t RowCount() = 0;
  // Draws row into rect of dc; the background is filled, font and colours are the list's.
  virtual void PaintRow(HDC dc, const RECT& rect, std::size_t row, const RowLook& look) = 0;
  // What a screen reader says for the row.
  virtual std::wstring RowName(std::size_t row) = 0;
};

[[nodiscard]] bool RegisterRowListClass();

// Gives the list its source (owned by the caller, which outlives the list or clears it) and how
// many lines of the list's font each row is high. Reads the row count and repaints.
void SetRowSource(HWND list, RowSource* source, int linesPerRow);

// The rows changed: the count is read again, the selection kept where it still exists, and the
// list repaints. first and count name the rows to redraw when the count stayed the same (all of
// them by default).
void RowsChanged(HWND list, std::size_t first = 0,
                 std::size_t count = static_cast<std::size_t>(-1));

// The rows the list shows now, and what a screen reader says for one.
std::size_t RowCountOf(HWND list);
std::wstring RowNameOf(HWND list, std::size_t row);

[[nodiscard]] std::optional<std::size_t> SelectedRow(HWND list);
// Selects a row (nothing: none) and scrolls it into view; tells the parent when notify is set.
void SelectRow(HWND list, std::optional<std::size_t> row, bool notify = false);
// The first row in view.
std::size_t TopRow(HWND list);
// The row under a point of the list's client area, if any.
[[nodiscard]] std::optional<std::size_t> RowAt(HWND list, POINT client);
// The rectangle of a row in the list's client coordinates (empty when out of view).
RECT RowRect(HWND list, std::size_t row);

}  // namespace ui::widgets
