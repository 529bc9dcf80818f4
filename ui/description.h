// The windows of the program as data: every control's identifier, kind, name, rectangle,
// parent, caption, font, items and event table. The program gives its table to the frame; one
// renderer turns it into windows, and nothing else knows a coordinate. Texts are GBK bytes.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "base/geometry.h"
#include "ui/ids.h"

namespace ui {

using base::Rect;
using base::Rgb;

// Handlers take no parameters and return nothing; all their state is in the controls.
using Handler = void (*)();

// Event 0 is the only event the program binds: creation complete for a window, clicked for a
// button, tick for a timer. A null handler is an empty binding.
inline constexpr int kMainEvent = 0;
struct EventBinding {
  int event = kMainEvent;
  Handler handler = nullptr;
};

// Face and character height in pixels, GB2312 character set. No face and no height: the window's
// default GUI font. No face with a height: the default face at that height.
struct FontSpec {
  std::string_view face;
  int height = 0;
  bool bold = false;
  constexpr bool IsDefault() const { return face.empty() && height == 0; }
};

struct TabPage {
  std::string_view caption;
  std::string_view hint;
};

struct Element {
  ControlId id = 0;
  Kind kind = Kind::kWindow;
  std::string_view name;
  Rect rect;                 // relative to the parent's client area or tab page
  ControlId parent = 0;      // 0: the window itself
  int page = 0;              // 1-based page when the parent is a tab control, else 0
  std::string_view caption;  // caption, or the text content of edit, rich edit and hypertext
  FontSpec font;
  Rgb textColor = 0x000000;
  std::span<const std::string_view> items;  // combo box items, in order
  std::span<const TabPage> pages;           // tab control pages, in order
  int currentPage = 1;                      // tab control: page shown at creation
  int interval = 0;                         // timer interval in ms; non-zero runs from creation
  std::span<const unsigned char> picture;   // picture box image (PNG)
  std::span<const EventBinding> events;
  bool visible = true;
  bool disabled = false;
  bool tabStop = false;
};

struct WindowDescription {
  WindowId id = 0;
  std::string_view title;
  int width = 0;  // outer size in pixels
  int height = 0;
  bool programIcon = false;
  std::span<const Element> elements;  // in creation order: parents before their children
  std::span<const EventBinding> events;
};

const WindowDescription* FindWindowDescription(std::span<const WindowDescription> windows,
                                               WindowId window);
const Element* FindElement(const WindowDescription& window, ControlId control);

// The handler bound to event in a table, or nullptr.
Handler FindHandler(std::span<const EventBinding> events, int event = kMainEvent);

// The ids of parent's children in creation order. For a tab control: page by page, with a 0
// entry between pages.
std::vector<ControlId> ChildList(const WindowDescription& window, ControlId parent);

}  // namespace ui
