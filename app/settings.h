// What the program remembers between runs: the skin the user chose, where the main window was
// and the game servers whose remote console it sends to. Kept as a small INI text ("key=value"
// lines under "[composer]"); this part only turns the text into values and back (GBK both), the
// file lives with settings_win. Reading never fails: anything missing, damaged or out of range
// falls back to the program's defaults.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_ops.h"
#include "net/rcon_session.h"
#include "skin/skins.h"

namespace app {

struct WindowPosition {
  int left = 0;
  int top = 0;
  bool operator==(const WindowPosition&) const = default;
};

// A game server with its remote console enabled.
struct ServerEntry {
  std::string name;  // what the user calls it; may be empty
  std::string host;  // a host name or an address, never empty
  std::uint16_t port = net::kRconDefaultPort;
  // The password encrypted for the current Windows user (net/protected_data_win.h), never the
  // password itself; empty while none is kept.
  base::Bytes password;
  bool operator==(const ServerEntry&) const = default;
};

inline constexpr std::size_t kMaxServers = 16;

struct Settings {
  int skin = skin::kStartupSkin;             // 1 to 34
  std::optional<WindowPosition> mainWindow;  // outer top-left corner, in screen pixels
  std::vector<ServerEntry> servers;          // at most kMaxServers
  int currentServer = -1;                    // the one commands go to, or -1 for none
  bool operator==(const Settings&) const = default;
};

// The current server, or nullptr when there is none.
const ServerEntry* CurrentServer(const Settings& settings);

// The values in text; a value that cannot be read keeps its default.
Settings ParseSettings(std::string_view text);
// The text for settings, which ParseSettings reads back to the same values.
std::string FormatSettings(const Settings& settings);

}  // namespace app
