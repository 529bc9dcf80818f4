// The settings text: one "key=value" per line, blanks around either ignored, lines starting
// with ";" or "#" and section headers skipped. Numbers are plain decimal within a sane range, so
// a file cut short or overwritten by something else cannot move the window into nowhere. Each
// server is a group of keys "server.N.name", "server.N.host", "server.N.port" and
// "server.N.password" (hex), N from 1; "current_server" names one by its N.
#include "app/settings.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <map>

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

std::optional<base::Bytes> FromHex(std::string_view text) {
  if (text.size() % 2 != 0) return std::nullopt;
  base::Bytes bytes;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    unsigned value = 0;
    const auto [stop, error] = std::from_chars(text.data() + i, text.data() + i + 2, value, 16);
    if (error != std::errc() || stop != text.data() + i + 2) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(value));
  }
  return bytes;
}

std::string Hex(const base::Bytes& bytes) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (const std::uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0xF];
  }
  return text;
}

// A value as one line: a line break in it would end the value and start a line of its own.
std::string OneLine(std::string_view value) {
  std::string line(value);
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return line;
}

// "server.N.field" read into servers[N]; other keys are not a server's and change nothing.
void ReadServerKey(std::string_view key, std::string_view value,
                   std::map<int, ServerEntry>& servers) {
  constexpr std::string_view kPrefix = "server.";
  if (key.substr(0, kPrefix.size()) != kPrefix) return;
  key.remove_prefix(kPrefix.size());
  const std::size_t dot = key.find('.');
  const auto number = Integer(key.substr(0, dot), 1, static_cast<int>(kMaxServers));
  if (!number || dot == std::string_view::npos) return;
  const std::string_view field = key.substr(dot + 1);
  ServerEntry& server = servers[*number];
  if (field == "name") {
    server.name = value;
  } else if (field == "host") {
    server.host = value;
  } else if (field == "port") {
    if (const auto port = Integer(value, 1, 65535)) server.port = static_cast<std::uint16_t>(*port);
  } else if (field == "password") {
    if (auto blob = FromHex(value)) server.password = std::move(*blob);
  }
}

}  // namespace

const ServerEntry* CurrentServer(const Settings& settings) {
  const int current = settings.currentServer;
  if (current < 0 || current >= static_cast<int>(settings.servers.size())) return nullptr;
  return &settings.servers[static_cast<std::size_t>(current)];
}

Settings ParseSettings(std::string_view text) {
  Settings settings;
  std::map<int, ServerEntry> servers;
  std::optional<int> current;
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
    } else if (key == "current_server") {
      current = Integer(value, 1, static_cast<int>(kMaxServers));
    } else {
      ReadServerKey(key, value, servers);
    }
  }
  // A server without a host cannot be reached; the others keep their order.
  for (auto& [number, server] : servers) {
    if (server.host.empty()) continue;
    if (current == number) settings.currentServer = static_cast<int>(settings.servers.size());
    settings.servers.push_back(std::move(server));
  }
  return settings;
}

std::string FormatSettings(const Settings& settings) {
  std::string text = std::string(kSection) + "\r\nskin=" + std::to_string(settings.skin) + "\r\n";
  if (settings.mainWindow) {
    text += "main_window=" + std::to_string(settings.mainWindow->left) + "," +
            std::to_string(settings.mainWindow->top) + "\r\n";
  }
  const std::size_t count = std::min(settings.servers.size(), kMaxServers);
  for (std::size_t i = 0; i < count; ++i) {
    const ServerEntry& server = settings.servers[i];
    const std::string key = "server." + std::to_string(i + 1) + ".";
    text += key + "name=" + OneLine(server.name) + "\r\n";
    text += key + "host=" + OneLine(server.host) + "\r\n";
    text += key + "port=" + std::to_string(server.port) + "\r\n";
    if (!server.password.empty()) text += key + "password=" + Hex(server.password) + "\r\n";
  }
  if (settings.currentServer >= 0 && settings.currentServer < static_cast<int>(count)) {
    text += "current_server=" + std::to_string(settings.currentServer + 1) + "\r\n";
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
