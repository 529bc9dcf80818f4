// Reading order, row names and DPI scaling of a window description.
#include "ui/navigation.h"

#include <algorithm>
#include <cstdlib>

namespace ui {
namespace {

const Element* ParentOf(const WindowDescription& window, const Element& element) {
  return element.parent != 0 ? FindElement(window, element.parent) : nullptr;
}

bool IsInput(Kind kind) {
  return kind == Kind::kEditBox || kind == Kind::kComboBox;
}

bool NamesARow(Kind kind) {
  return kind == Kind::kTransLabel || kind == Kind::kRadioBox;
}

// Whether b lies inside the same container (page and group box chain) as a, or in one that
// encloses a: a label never names an input behind another frame.
bool SameContainer(const WindowDescription& window, const Element& a, const Element& b) {
  return a.parent == b.parent && PageOf(window, a) == PageOf(window, b);
}

int CentreY(const Rect& rect) {
  return rect.top + rect.height / 2;
}

// Sorts elements into reading order by their placed rectangles.
void SortByReading(const WindowDescription& window, std::vector<const Element*>& elements) {
  std::vector<std::pair<const Element*, Rect>> placed;
  for (const Element* element : elements)
    placed.emplace_back(element, PlacedRect(window, *element));
  std::stable_sort(placed.begin(), placed.end(), [](const auto& a, const auto& b) {
    return a.second.top != b.second.top ? a.second.top < b.second.top
                                        : a.second.left < b.second.left;
  });
  // Rows: each control joins the first open row whose band holds its centre.
  struct Row {
    int top, bottom;
    std::vector<std::pair<const Element*, Rect>> members;
  };
  std::vector<Row> rows;
  for (const auto& entry : placed) {
    const int centre = CentreY(entry.second);
    auto row = std::find_if(rows.begin(), rows.end(), [centre](const Row& candidate) {
      return centre >= candidate.top && centre < candidate.bottom;
    });
    if (row == rows.end()) {
      rows.push_back({entry.second.top, entry.second.top + entry.second.height, {}});
      row = rows.end() - 1;
    }
    row->members.push_back(entry);
  }
  elements.clear();
  for (Row& row : rows) {
    std::stable_sort(row.members.begin(), row.members.end(), [](const auto& a, const auto& b) {
      return a.second.left != b.second.left ? a.second.left < b.second.left
                                            : a.second.top < b.second.top;
    });
    for (const auto& member : row.members) elements.push_back(member.first);
  }
}

}  // namespace

Rect PlacedRect(const WindowDescription& window, const Element& element) {
  Rect rect = element.rect;
  for (const Element* parent = ParentOf(window, element); parent != nullptr;
       parent = ParentOf(window, *parent)) {
    rect.left += parent->rect.left;
    rect.top += parent->rect.top;
  }
  return rect;
}

int PageOf(const WindowDescription& window, const Element& element) {
  for (const Element* at = &element; at != nullptr; at = ParentOf(window, *at)) {
    const Element* parent = ParentOf(window, *at);
    if (parent != nullptr && parent->kind == Kind::kPageControl) return at->page;
  }
  return 0;
}

std::vector<ControlId> TabOrder(const WindowDescription& window, int page) {
  std::vector<ControlId> order;
  std::vector<const Element*> onPage;
  std::vector<const Element*> elsewhere;
  for (const Element& element : window.elements) {
    if (element.kind == Kind::kPageControl) {
      if (element.tabStop) order.push_back(element.id);
      continue;
    }
    if (!element.tabStop || !element.visible) continue;
    const int on = PageOf(window, element);
    if (on == 0) {
      elsewhere.push_back(&element);
    } else if (on == page) {
      onPage.push_back(&element);
    }
  }
  SortByReading(window, onPage);
  SortByReading(window, elsewhere);
  for (const Element* element : onPage) order.push_back(element->id);
  for (const Element* element : elsewhere) order.push_back(element->id);
  return order;
}

std::string_view AccessibleName(const WindowDescription& window, const Element& input) {
  if (!IsInput(input.kind)) return {};
  const Rect at = PlacedRect(window, input);
  const Element* left = nullptr;
  int leftGap = 0;
  const Element* above = nullptr;
  int aboveGap = 0;
  for (const Element& candidate : window.elements) {
    if (!NamesARow(candidate.kind) || candidate.caption.empty() ||
        !SameContainer(window, input, candidate)) {
      continue;
    }
    const Rect rect = PlacedRect(window, candidate);
    const int centre = CentreY(rect);
    // At the left on the same row: its centre lies within the input's height.
    if (rect.left < at.left && centre >= at.top && centre < at.top + at.height) {
      const int gap = at.left - (rect.left + rect.width);
      if (left == nullptr || std::abs(gap) < std::abs(leftGap)) {
        left = &candidate;
        leftGap = gap;
      }
    }
    // Just above it, overlapping it sideways.
    const int bottom = rect.top + rect.height;
    if (bottom <= at.top + 2 && rect.left < at.left + at.width &&
        rect.left + rect.width > at.left) {
      const int gap = at.top - bottom;
      if (above == nullptr || gap < aboveGap) {
        above = &candidate;
        aboveGap = gap;
      }
    }
  }
  if (left != nullptr) return left->caption;
  if (above != nullptr && aboveGap <= input.rect.height) return above->caption;
  for (const Element* parent = ParentOf(window, input); parent != nullptr;
       parent = ParentOf(window, *parent)) {
    if (parent->kind == Kind::kGroupBox && !parent->caption.empty()) return parent->caption;
  }
  return {};
}

int ScaleForDpi(int value, int dpi) {
  if (dpi == 96) return value;
  const long long scaled = static_cast<long long>(value) * dpi;
  return static_cast<int>(scaled >= 0 ? (scaled + 48) / 96 : -((-scaled + 48) / 96));
}

Rect ScaleRectForDpi(const Rect& rect, int dpi) {
  const int left = ScaleForDpi(rect.left, dpi);
  const int top = ScaleForDpi(rect.top, dpi);
  return {left, top, ScaleForDpi(rect.left + rect.width, dpi) - left,
          ScaleForDpi(rect.top + rect.height, dpi) - top};
}

}  // namespace ui
