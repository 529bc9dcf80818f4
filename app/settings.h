// What the program remembers between runs: the skin the user chose, where the main window was
// and the game servers whose remote console it sends to. Kept as a small INI text ("key=value"
// lines under "[composer]"); this part only turns the text into values and back (GBK both), the
// file lives with settings_win. Reading never fails: anything missing, damaged or out of range
// falls back to the program's defaults.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
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

// A save writes "settings.ini.<process id>.tmp" beside the file first, then puts it in the file's
// place. The process id in such a name, or nothing when name is no such temporary file's.
[[nodiscard]] std::optional<unsigned long> TemporaryFileProcess(std::string_view name);
std::string TemporaryFileName(unsigned long processId);

// How one try to write the file went.
enum class SaveResult {
  kWritten,
  kBusy,    // another program has the file open: it may let go any moment
  kFailed,  // no folder, a full disk: trying again soon is no use
};

// Keeps the settings until they are on disk, so that no change is lost: a save that finds the
// file busy is tried again on a short schedule (the caller runs the timer), and one that fails
// otherwise waits for the next change or the exit. Each try writes the newest settings.
class SettingsSaver {
 public:
  using Writer = std::function<SaveResult(const Settings&)>;
  using Pause = std::function<void(int milliseconds)>;

  // Tries at exit go on this long while the file stays busy; the window is gone by then.
  static constexpr int kExitPatienceMs = 3000;
  static constexpr int kExitRetryMs = 50;

  explicit SettingsSaver(Writer write) : write_(std::move(write)) {}

  // A remembered value changed: one try now. The milliseconds after which RetryPending should
  // run, or nothing when the settings are written or wait for the next change.
  [[nodiscard]] std::optional<int> Save(const Settings& settings);
  // The timer Save or the previous retry asked for: one more try, and the next delay as Save.
  [[nodiscard]] std::optional<int> RetryPending();
  // At exit: the settings are tried until written, pausing between tries while the file stays
  // busy, for at most patienceMs. The patience is spent once: the exit path may come here more
  // than once, and later calls try once without pausing. True when nothing is left unsaved.
  [[nodiscard]] bool SaveAtExit(const Settings& settings, const Pause& pause,
                                int patienceMs = kExitPatienceMs);
  // The same for whatever is pending (nothing pending: true at once).
  [[nodiscard]] bool FlushAtExit(const Pause& pause, int patienceMs = kExitPatienceMs);

  [[nodiscard]] bool Pending() const { return pending_.has_value(); }

 private:
  [[nodiscard]] std::optional<int> Try();

  Writer write_;
  std::optional<Settings> pending_;
  int busyTries_ = 0;
  bool exitPatienceSpent_ = false;
};

}  // namespace app
