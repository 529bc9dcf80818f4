// Rows, reading order, row names and DPI scaling of a window description.
#include "ui/navigation.h"

#include <algorithm>
#include <cstdlib>

namespace ui {
namespace {

const Element* ParentOf(const WindowDescription& window, const Element& element) {
  return element.parent != 0 ? FindElement(window, element.parent) : nullptr;
}

bool IsInput(Kind kind) {
  return kind == Kind::kEditBox || kind == Kind::kComboBox || kind == Kind::kRichEdit;
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

// Puts placed items into reading order: bands from top to bottom, each joined by the items whose
// centre lies in the vertical span of the band's first item, left to right within a band.
template <typename T>
void SortByReading(std::vector<std::pair<T, Rect>>& placed) {
  std::stable_sort(placed.begin(), placed.end(), [](const auto& a, const auto& b) {
    return a.second.top != b.second.top ? a.second.top < b.second.top
                                        : a.second.left < b.second.left;
  });
  struct Band {
    int top, bottom;
    std::vector<std::pair<T, Rect>> members;
  };
  std::vector<Band> bands;
  for (const auto& entry : placed) {
    const int centre = CentreY(entry.second);
    auto band = std::find_if(bands.begin(), bands.end(), [centre](const Band& candidate) {
      return centre >= candidate.top && centre < candidate.bottom;
    });
    if (band == bands.end()) {
      bands.push_back({entry.second.top, entry.second.top + entry.second.height, {}});
      band = bands.end() - 1;
    }
    band->members.push_back(entry);
  }
  placed.clear();
  for (Band& band : bands) {
    std::stable_sort(band.members.begin(), band.members.end(), [](const auto& a, const auto& b) {
      return a.second.left != b.second.left ? a.second.left < b.second.left
                                            : a.second.top < b.second.top;
    });
    placed.insert(placed.end(), band.members.begin(), band.members.end());
  }
}

bool Holds(const Rect& outer, const Rect& inner) {
  return inner.left >= outer.left && inner.top >= outer.top &&
         inner.left + inner.width <= outer.left + outer.width &&
         inner.top + inner.height <= outer.top + outer.height;
}

// The ids of elements in Tab order: row by row, a row's inputs before its buttons.
std::vector<ControlId> ByRows(const WindowDescription& window,
                              const std::vector<const Element*>& elements) {
  struct Row {
    const Element* frame;  // nullptr: an element without a frame, alone in its row
    std::vector<std::pair<const Element*, Rect>> members;
  };
  std::vector<std::pair<Row, Rect>> rows;
  for (const Element* element : elements) {
    const Element* frame = RowFrame(window, *element);
    auto row = std::find_if(rows.begin(), rows.end(), [frame](const auto& candidate) {
      return frame != nullptr && candidate.first.frame == frame;
    });
    if (row == rows.end()) {
      rows.push_back({Row{frame, {}}, RowArea(window, *element)});
      row = rows.end() - 1;
    }
    row->first.members.emplace_back(element, PlacedRect(window, *element));
  }
  SortByReading(rows);
  std::vector<ControlId> order;
  for (auto& [row, area] : rows) {
    SortByReading(row.members);
    std::stable_partition(row.members.begin(), row.members.end(),
                          [](const auto& member) { return member.first->kind != Kind::kButton; });
    for (const auto& member : row.members) order.push_back(member.first->id);
  }
  return order;
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

const Element* RowFrame(const WindowDescription& window, const Element& element) {
  const Rect at = PlacedRect(window, element);
  const int page = PageOf(window, element);
  const Element* smallest = nullptr;
  long long smallestArea = 0;
  for (const Element& candidate : window.elements) {
    if (candidate.kind != Kind::kGroupBox || &candidate == &element ||
        PageOf(window, candidate) != page) {
      continue;
    }
    const Rect frame = PlacedRect(window, candidate);
    const long long area = static_cast<long long>(frame.width) * frame.height;
    if (Holds(frame, at) && (smallest == nullptr || area < smallestArea)) {
      smallest = &candidate;
      smallestArea = area;
    }
  }
  return smallest;
}

Rect RowArea(const WindowDescription& window, const Element& element) {
  const Element* frame = RowFrame(window, element);
  return PlacedRect(window, frame != nullptr ? *frame : element);
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
  for (const auto& list : {onPage, elsewhere}) {
    const std::vector<ControlId> rows = ByRows(window, list);
    order.insert(order.end(), rows.begin(), rows.end());
  }
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

char AccessKey(std::string_view caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    const char key = caption[i + 1];
    if (key == '&') {
      ++i;
      continue;
    }
    if (key >= 'a' && key <= 'z') return static_cast<char>(key - 'a' + 'A');
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return key;
    return 0;
  }
  return 0;
}

std::string WithoutAccessMarks(std::string_view caption) {
  std::string plain;
  plain.reserve(caption.size());
  for (std::size_t i = 0; i < caption.size(); ++i) {
    // "(&S)" after a Chinese caption only names the key: it is not read.
    if (caption.substr(i, 2) == "(&" && i + 3 < caption.size() && caption[i + 3] == ')' &&
        AccessKey(caption.substr(i + 1, 2)) != 0) {
      i += 3;
      continue;
    }
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    plain += caption[i];
  }
  return plain;
}

}  // namespace ui
