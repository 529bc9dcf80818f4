#include "tests/native/fake_frame.h"

#include <stdexcept>

#include "app/window_description.h"

namespace testing_support {

std::string FakeFrame::Text(app::ControlId control) const {
  auto it = texts.find(MainKey(control));
  return it == texts.end() ? std::string() : it->second;
}

void FakeFrame::Click(app::ControlId control) {
  const app::WindowDescription* main = app::FindWindowDescription(app::ids::kMainWindow);
  const app::Element* element = main != nullptr ? app::FindElement(*main, control) : nullptr;
  if (element == nullptr) throw std::invalid_argument("no such control");
  if (app::Handler handler = app::FindHandler(element->events)) handler();
}

app::PropertyValue FakeFrame::ReadProperty(app::WindowId window, app::ControlId control,
                                           app::Property property) {
  reads.emplace_back(window, control);
  switch (property) {
    case app::Property::kText: {
      auto it = texts.find({window, control});
      return it == texts.end() ? std::string() : it->second;
    }
    case app::Property::kChecked: {
      auto it = checks.find({window, control});
      return it != checks.end() && it->second;
    }
    case app::Property::kSelection: {
      auto it = selections.find({window, control});
      return it == selections.end() ? -1 : it->second;
    }
  }
  return 0;
}

void FakeFrame::WriteProperty(app::WindowId window, app::ControlId control, app::Property property,
                              const app::PropertyValue& value) {
  writes.emplace_back(window, control);
  if (property == app::Property::kText) texts[{window, control}] = std::get<std::string>(value);
}

void FakeFrame::AppendToEditBox(const app::ControlRef& editBox, std::string_view text,
                                app::AppendedView view) {
  appends.emplace_back(editBox.control, view);
  texts[{editBox.window, editBox.control}] += text;
}

std::string FakeFrame::ComboItemText(const app::ControlRef& comboBox, int index) {
  const app::WindowDescription* window = app::FindWindowDescription(comboBox.window);
  const app::Element* element = window ? app::FindElement(*window, comboBox.control) : nullptr;
  if (element == nullptr || index < 0 || static_cast<size_t>(index) >= element->items.size()) {
    return {};
  }
  return std::string(element->items[static_cast<size_t>(index)]);
}

bool FakeFrame::CopyToClipboard(std::string_view text) {
  clipboard.emplace_back(text);
  return true;
}

std::optional<std::string> FakeFrame::AskText(std::string_view title, std::string_view prompt) {
  questions.push_back({std::string(title), std::string(prompt)});
  if (answers.empty()) return std::nullopt;
  std::optional<std::string> answer = answers.front();
  answers.pop_front();
  return answer;
}

bool FakeFrame::OpenWindow(app::WindowId window, bool modal) {
  openedWindows.emplace_back(window, modal);
  return true;
}

bool FakeFrame::OpenWebAddress(std::string_view address) {
  openedAddresses.emplace_back(address);
  return true;
}

bool FakeFrame::AttachBalloonTip(const app::ControlRef& tip, const app::ControlRef& target,
                                 std::string_view text, int icon, const app::TipRegion& region) {
  for (app::ControlId rejected : rejectedTipTargets) {
    if (rejected == target.control) return false;
  }
  tips.push_back({tip, target, std::string(text), icon, region});
  return true;
}

}  // namespace testing_support
