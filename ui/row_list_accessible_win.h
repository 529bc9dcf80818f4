// What screen readers see of a row list: a list named by the list window's text whose children
// are its rows, each read by the name the list's owner gives it, selectable and focusable, and
// located where it is drawn. Rows are asked for only when a reader asks, so a list of ten
// thousand rows costs nothing until then. oleacc and oleaut32 are loaded on the first question.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

namespace ui::widgets {

// What a screen reader asks of a row list, answered by the list itself.
class RowListAccess {
 public:
  virtual std::size_t Count() const = 0;
  virtual std::wstring Name(std::size_t row) const = 0;
  virtual std::optional<std::size_t> Selected() const = 0;
  // Selects a row and tells the list's parent, as a click does.
  virtual void Select(std::optional<std::size_t> row, bool notify) = 0;
  virtual std::optional<std::size_t> RowAtPoint(POINT client) const = 0;
  // In the list's client coordinates; empty when out of view.
  virtual RECT RectOf(std::size_t row) const = 0;

 protected:
  ~RowListAccess() = default;
};

// How the accessible object finds the list's answers each time it is asked: nullptr once the
// window is gone (a screen reader may hold the object longer than the list lives).
using RowListAccessOf = RowListAccess* (*)(HWND list);

// The answer to WM_GETOBJECT for OBJID_CLIENT of a row list (0 when oleacc is missing).
LRESULT AnswerRowListObject(HWND list, WPARAM wParam, RowListAccessOf accessOf);

}  // namespace ui::widgets
