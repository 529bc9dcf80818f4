// Look-ups in a window description.
#include "ui/description.h"

namespace ui {

const WindowDescription* FindWindowDescription(std::span<const WindowDescription> windows,
                                               WindowId window) {
  for (const WindowDescription& description : windows) {
    if (description.id == window) return &description;
  }
  return nullptr;
}

const Element* FindElement(const WindowDescription& window, ControlId control) {
  for (const Element& element : window.elements) {
    if (element.id == control) return &element;
  }
  return nullptr;
}

Handler FindHandler(std::span<const EventBinding> events, int event) {
  for (const EventBinding& binding : events) {
    if (binding.event == event) return binding.handler;
  }
  return nullptr;
}

std::vector<ControlId> ChildList(const WindowDescription& window, ControlId parent) {
  std::vector<ControlId> children;
  const Element* parentElement = parent != 0 ? FindElement(window, parent) : nullptr;
  if (parentElement != nullptr && parentElement->kind == Kind::kPageControl) {
    for (int page = 1; page <= static_cast<int>(parentElement->pages.size()); ++page) {
      if (page > 1) children.push_back(0);
      for (const Element& element : window.elements) {
        if (element.parent == parent && element.page == page) children.push_back(element.id);
      }
    }
    return children;
  }
  for (const Element& element : window.elements) {
    if (element.parent == parent) children.push_back(element.id);
  }
  return children;
}

}  // namespace ui
