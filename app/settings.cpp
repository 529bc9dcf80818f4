// The settings text: one "key=value" per line, blanks around either ignored, lines starting
// with ";" or "#" and section headers skipped. Numbers are plain decimal within a sane range, so
// a file cut short or overwritten by something else cannot move the window into nowhere.
#include "app/settings.h"

#include <charconv>
#include <iterator>

#include "skin/skins.h"

namespace app {
namespace {

constexpr char kSection[] = "[composer]";
// Screen coordinates beyond this are no screen's.
constexpr int kMaxCoordinate = 100000;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

std::optional<int> Integer(std::string_view text, int low, int high) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end || value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

// "x,y" with both coordinates in range.
std::optional<WindowPosition> Position(std::string_view text) {
  const size_t comma = text.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  const auto left = Integer(Trim(text.substr(0, comma)), -kMaxCoordinate, kMaxCoordinate);
  const auto top = Integer(Trim(text.substr(comma + 1)), -kMaxCoordinate, kMaxCoordinate);
  if (!left || !top) return std::nullopt;
  return WindowPosition{*left, *top};
}

}  // namespace

Settings ParseSettings(std::string_view text) {
  Settings settings;
  while (!text.empty()) {
    const size_t newline = text.find('\n');
    const std::string_view line = Trim(text.substr(0, newline));
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    const size_t equals = line.find('=');
    if (line.empty() || line[0] == ';' || line[0] == '#' || line[0] == '[' ||
        equals == std::string_view::npos) {
      continue;
    }
    const std::string_view key = Trim(line.substr(0, equals));
    const std::string_view value = Trim(line.substr(equals + 1));
    if (key == "skin") {
      if (const auto skin = Integer(value, 1, skin::kSkinCount)) settings.skin = *skin;
    } else if (key == "main_window") {
      if (const auto position = Position(value)) settings.mainWindow = position;
    }
  }
  return settings;
}

std::string FormatSettings(const Settings& settings) {
  std::string text = std::string(kSection) + "\r\nskin=" + std::to_string(settings.skin) + "\r\n";
  if (settings.mainWindow) {
    text += "main_window=" + std::to_string(settings.mainWindow->left) + "," +
            std::to_string(settings.mainWindow->top) + "\r\n";
  }
  return text;
}

std::optional<unsigned long> TemporaryFileProcess(std::string_view name) {
  constexpr std::string_view kPrefix = "settings.ini.";
  constexpr std::string_view kSuffix = ".tmp";
  if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) return std::nullopt;
  const std::string_view digits =
      name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
  unsigned long id = 0;
  const char* end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, id);
  if (digits.empty() || error != std::errc() || stop != end) return std::nullopt;
  return id;
}

std::string TemporaryFileName(unsigned long processId) {
  return "settings.ini." + std::to_string(processId) + ".tmp";
}

namespace {
// While the file stays busy: a few quick tries over about 200 ms, then twice a second.
constexpr int kBusyRetryMs[] = {25, 50, 100};
constexpr int kSlowRetryMs = 500;
}  // namespace

std::optional<int> SettingsSaver::Save(const Settings& settings) {
  pending_ = settings;
  busyTries_ = 0;
  return Try();
}

std::optional<int> SettingsSaver::RetryPending() {
  if (!pending_) return std::nullopt;
  return Try();
}

std::optional<int> SettingsSaver::Try() {
  switch (write_(*pending_)) {
    case SaveResult::kWritten:
      pending_.reset();
      return std::nullopt;
    case SaveResult::kFailed:
      return std::nullopt;
    case SaveResult::kBusy:
      break;
  }
  const auto quick = static_cast<int>(std::size(kBusyRetryMs));
  return busyTries_ < quick ? kBusyRetryMs[busyTries_++] : kSlowRetryMs;
}

bool SettingsSaver::SaveAtExit(const Settings& settings, const Pause& pause, int patienceMs) {
  pending_ = settings;
  return FlushAtExit(pause, patienceMs);
}

bool SettingsSaver::FlushAtExit(const Pause& pause, int patienceMs) {
  for (int waited = 0; pending_; waited += kExitRetryMs) {
    const SaveResult result = write_(*pending_);
    if (result == SaveResult::kWritten) pending_.reset();
    if (result != SaveResult::kBusy) break;
    if (exitPatienceSpent_ || waited + kExitRetryMs > patienceMs) {
      exitPatienceSpent_ = true;
      break;
    }
    pause(kExitRetryMs);
  }
  return !pending_;
}

}  // namespace app
