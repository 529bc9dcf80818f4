#include "ui/tests/fake_frame.h"

#include <stdexcept>

namespace testing_support {

std::string FakeFrame::Text(ui::ControlId control) const {
  auto it = texts.find(MainKey(control));
  return it == texts.end() ? std::string() : it->second;
}

void FakeFrame::Click(ui::ControlId control) {
  const ui::WindowDescription* main = ui::FindWindowDescription(windows_, ui::ids::kMainWindow);
  const ui::Element* element = main != nullptr ? ui::FindElement(*main, control) : nullptr;
  if (element == nullptr) throw std::invalid_argument("no such control");
  if (ui::Handler handler = ui::FindHandler(element->events)) handler();
}

ui::PropertyValue FakeFrame::ReadProperty(ui::WindowId window, ui::ControlId control,
                                          ui::Property property) {
  reads.emplace_back(window, control);
  switch (property) {
    case ui::Property::kText: {
      if (auto it = texts.find({window, control}); it != texts.end()) return it->second;
      const ui::WindowDescription* described = ui::FindWindowDescription(windows_, window);
      const ui::Element* element = described ? ui::FindElement(*described, control) : nullptr;
      return element != nullptr ? std::string(element->caption) : std::string();
    }
    case ui::Property::kChecked: {
      auto it = checks.find({window, control});
      return it != checks.end() && it->second;
    }
    case ui::Property::kSelection: {
      auto it = selections.find({window, control});
      return it == selections.end() ? -1 : it->second;
    }
  }
  return 0;
}

void FakeFrame::WriteProperty(ui::WindowId window, ui::ControlId control, ui::Property property,
                              const ui::PropertyValue& value) {
  writes.emplace_back(window, control);
  if (property == ui::Property::kText) texts[{window, control}] = std::get<std::string>(value);
}

void FakeFrame::AppendToEditBox(const ui::ControlRef& editBox, std::string_view text,
                                ui::AppendedView view) {
  appends.emplace_back(editBox.control, view);
  texts[{editBox.window, editBox.control}] += text;
}

std::string FakeFrame::ComboItemText(const ui::ControlRef& comboBox, int index) {
  const ui::WindowDescription* window = ui::FindWindowDescription(windows_, comboBox.window);
  const ui::Element* element = window ? ui::FindElement(*window, comboBox.control) : nullptr;
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

bool FakeFrame::OpenWindow(ui::WindowId window, bool modal) {
  openedWindows.emplace_back(window, modal);
  return true;
}

std::optional<std::string> FakeFrame::WriteTemporaryTextFile(std::string_view fileName,
                                                             std::string_view text) {
  if (refuseFiles) return std::nullopt;
  const std::string path = "TEMP\\" + std::string(fileName);
  temporaryFiles[path] = std::string(text);
  return path;
}

bool FakeFrame::OpenWebAddress(std::string_view address) {
  openedAddresses.emplace_back(address);
  return !refuseAddresses;
}

ui::MessageAnswer FakeFrame::ShowMessage(std::string_view title, std::string_view text,
                                         ui::MessageButtons buttons) {
  messages.push_back({std::string(title), std::string(text), buttons});
  if (!messageAnswers.empty()) {
    const ui::MessageAnswer answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
  }
  return buttons == ui::MessageButtons::kOk ? ui::MessageAnswer::kOk : ui::MessageAnswer::kNo;
}

bool FakeFrame::AttachBalloonTip(const ui::ControlRef& tip, const ui::ControlRef& target,
                                 std::string_view text, int icon, const ui::Rect& region) {
  for (ui::ControlId rejected : rejectedTipTargets) {
    if (rejected == target.control) return false;
  }
  tips.push_back({tip, target, std::string(text), icon, region});
  return true;
}

void FakeFrame::ShowNote(const ui::ControlRef& at, std::string_view text) {
  notes.push_back({at.control, std::string(text)});
}

}  // namespace testing_support
