// What the program remembers between runs: the skin the user chose and where the main window
// was. Kept as a small INI text ("key=value" lines under "[composer]"); this part only turns the
// text into values and back, the file lives with settings_win. Reading never fails: anything
// missing, damaged or out of range falls back to the program's defaults.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "skin/skins.h"

namespace app {

struct WindowPosition {
  int left = 0;
  int top = 0;
  bool operator==(const WindowPosition&) const = default;
};

struct Settings {
  int skin = skin::kStartupSkin;             // 1 to 34
  std::optional<WindowPosition> mainWindow;  // outer top-left corner, in screen pixels
  bool operator==(const Settings&) const = default;
};

// The values in text; a value that cannot be read keeps its default.
Settings ParseSettings(std::string_view text);
// The text for settings, which ParseSettings reads back to the same values.
std::string FormatSettings(const Settings& settings);

}  // namespace app
