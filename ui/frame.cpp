// Typed helpers over the installed frame services (GBK texts).
#include "ui/frame.h"

#include <cstdlib>

#include "base/runtime.h"

namespace ui {
namespace {
FrameServices* g_services = nullptr;
}

FrameServices& Frame() {
  if (g_services == nullptr) std::abort();
  return *g_services;
}

FrameServices* InstallFrameServices(FrameServices* services) {
  FrameServices* previous = g_services;
  g_services = services;
  return previous;
}

CopyOutcome FrameServices::CopyControlText(const ControlRef& control, std::string* copied) {
  std::string text = ReadText(control.window, control.control);
  if (text.empty()) return CopyOutcome::kNothingToCopy;
  if (!CopyToClipboard(text)) return CopyOutcome::kFailed;
  if (copied != nullptr && text.size() <= kCopiedTextLimit) *copied = std::move(text);
  return CopyOutcome::kCopied;
}

std::string ReadText(WindowId window, ControlId control) {
  PropertyValue value = Frame().ReadProperty(window, control, Property::kText);
  if (auto* text = std::get_if<std::string>(&value)) return std::move(*text);
  return {};
}

void WriteText(WindowId window, ControlId control, std::string_view text) {
  Frame().WriteProperty(window, control, Property::kText, std::string(text));
}

bool ReadChecked(WindowId window, ControlId control) {
  PropertyValue value = Frame().ReadProperty(window, control, Property::kChecked);
  if (const bool* checked = std::get_if<bool>(&value)) return *checked;
  if (const int* number = std::get_if<int>(&value)) return *number != 0;
  return false;
}

int ReadNumber(WindowId window, ControlId control, Property property) {
  PropertyValue value = Frame().ReadProperty(window, control, property);
  if (const int* number = std::get_if<int>(&value)) return *number;
  if (const bool* flag = std::get_if<bool>(&value)) return *flag ? 1 : 0;
  base::RaiseRuntimeError(base::kNotANumber);
}

}  // namespace ui
