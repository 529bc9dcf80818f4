// The network clock on Windows: each tick's request runs on a thread of its own, at most one at a
// time, and its answer comes back to the user-interface thread through a message-only window, so
// the window never waits for the network. A request that never returns costs one parked thread
// and nothing else: nobody waits for it, and the process still ends normally.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "net/network_clock.h"

namespace net {

// wininet's InternetTimeToSystemTime on a date text; nothing when it reports failure.
[[nodiscard]] std::optional<DateTime> PlatformHttpDate(std::string_view text);

// The real request object, the platform parser and this year.
ClockSource SystemClockSource();

// The address the clock timer asks in this run: COMPOSER_CLOCK_URL from the process's
// environment when it is set and not empty, else the built-in one.
std::string ClockUrlOfThisRun();

class NetworkClockWin {
 public:
  using Writer = std::function<void(std::string_view text)>;

  // Create and use on the user-interface thread. timeoutSeconds as WebRequest takes it.
  NetworkClockWin(std::string url, std::optional<int> timeoutSeconds, Writer writeLabel);
  ~NetworkClockWin();
  NetworkClockWin(const NetworkClockWin&) = delete;
  NetworkClockWin& operator=(const NetworkClockWin&) = delete;

  // A timer tick: starts a request when none is out; shows the failure text when the one out has
  // taken longer than ClockPatience allows. Returns at once.
  void Tick();
  void SetWriter(Writer writeLabel) { writeLabel_ = std::move(writeLabel); }

  struct Mailbox;

 private:
  friend struct ClockWindow;
  void StartRequest();
  void TakeAnswer(std::uint64_t id);
  void Write(std::string_view text);

  std::string url_;
  std::optional<int> timeoutSeconds_;
  Writer writeLabel_;
  ClockTicker ticker_;
  std::shared_ptr<Mailbox> mailbox_;
  HWND window_ = nullptr;
  std::uint64_t nextId_ = 1;
};

// The program's clock (install it with InstallNetworkClock): made on its first tick, on the
// user-interface thread, asking DefaultClockUrl() through the real request object.
void TickSystemClock(LabelWriter writeLabel);

}  // namespace net
