// Start-up phases of a program measured from inside it: milliseconds since the process was
// created, written as "phase NAME MS" lines to standard output, plus how often windows were
// painted until the window settled. The peer and the composer's phase run share it, so their
// phases are taken the same way.
#pragma once

#include <windows.h>

#include <cstdio>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace bench {

// Milliseconds since the system created this process.
inline double MsSinceProcessStart() {
  FILETIME created, exited, kernel, user, now;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  GetSystemTimeAsFileTime(&now);  // precise under Wine; 10-16 ms steps on old Windows
  const auto ticks = [](FILETIME time) {
    return static_cast<double>(static_cast<unsigned long long>(time.dwHighDateTime) << 32 |
                               time.dwLowDateTime);
  };
  return (ticks(now) - ticks(created)) / 10000.0;
}

class PhaseClock {
 public:
  void Mark(const char* name) { marks_.emplace_back(name, MsSinceProcessStart()); }

  void Report() const {
    std::string out;
    char line[128];
    for (const auto& [name, ms] : marks_) {
      std::snprintf(line, sizeof line, "phase %s %.2f\n", name, ms);
      out += line;
    }
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &written,
              nullptr);
  }

 private:
  std::vector<std::pair<const char*, double>> marks_;
};

// Counts the paint messages each window of the thread receives (WM_PAINT, WM_NCPAINT,
// WM_ERASEBKGND), to show what is painted more than once. Installing it slows every message, so
// phase times are taken without it.
class PaintCounter {
 public:
  void Install() {
    self_ = this;
    sent_ = SetWindowsHookExW(WH_CALLWNDPROC, &Sent, nullptr, GetCurrentThreadId());
    returned_ = SetWindowsHookExW(WH_CALLWNDPROCRET, &Returned, nullptr, GetCurrentThreadId());
    posted_ = SetWindowsHookExW(WH_GETMESSAGE, &Posted, nullptr, GetCurrentThreadId());
  }

  // From here on, paints are also listed as coming after the first paint.
  void Split() {
    split_ = true;
    late_.clear();
  }

  void Report() const {
    for (const auto& [hwnd, count] : late_) {
      wchar_t name[64] = {};
      GetClassNameW(hwnd, name, 64);
      std::printf("  after first paint: %ls id 0x%lx paint %d ncpaint %d erase %d\n", name,
                  static_cast<unsigned long>(GetDlgCtrlID(hwnd)), count.paint, count.nonClient,
                  count.erase);
    }
    for (const auto& [key, ms] : spent_) std::printf("  time %ls %.2f ms\n", key.c_str(), ms);
    int paints = 0, twice = 0, nonClient = 0, erases = 0;
    for (const auto& [hwnd, count] : counts_) {
      paints += count.paint;
      nonClient += count.nonClient;
      erases += count.erase;
      if (count.paint > 1 || count.nonClient > 1) ++twice;
    }
    std::printf(
        "paints %d\nncpaints %d\nerases %d\nwindows_painted %zu\npainted_more_than_once %d\n",
        paints, nonClient, erases, counts_.size(), twice);
    for (const auto& [hwnd, count] : counts_) {
      if (count.paint == 1 && count.nonClient <= 1) continue;
      wchar_t name[64] = {};
      GetClassNameW(hwnd, name, 64);
      std::printf("  again: %ls id 0x%lx paint %d ncpaint %d erase %d\n", name,
                  static_cast<unsigned long>(GetDlgCtrlID(hwnd)), count.paint, count.nonClient,
                  count.erase);
    }
    std::fflush(stdout);
  }

 private:
  struct Count {
    int paint = 0, nonClient = 0, erase = 0;
  };

  void Note(HWND hwnd, UINT message) {
    if (message != WM_PAINT && message != WM_NCPAINT && message != WM_ERASEBKGND) return;
    for (auto* counts : {&counts_, &late_}) {
      if (counts == &late_ && !split_) break;
      Count& count = (*counts)[hwnd];
      if (message == WM_PAINT) ++count.paint;
      if (message == WM_NCPAINT) ++count.nonClient;
      if (message == WM_ERASEBKGND) ++count.erase;
    }
  }

  static LRESULT CALLBACK Sent(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
      const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
      self_->Note(message->hwnd, message->message);
      if (message->message == WM_PAINT || message->message == WM_NCPAINT ||
          message->message == WM_ERASEBKGND) {
        self_->starts_.push_back(Now());
      }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static double Now() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
  }

  // Time spent in sent paint messages, by window class (nested ones count in both).
  static LRESULT CALLBACK Returned(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
      const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
      if (message->message == WM_PAINT || message->message == WM_NCPAINT ||
          message->message == WM_ERASEBKGND) {
        auto& starts = self_->starts_;
        if (!starts.empty()) {
          wchar_t name[64] = {};
          GetClassNameW(message->hwnd, name, 64);
          std::wstring key = std::wstring(name) + (message->message == WM_PAINT     ? L" paint"
                                                   : message->message == WM_NCPAINT ? L" ncpaint"
                                                                                    : L" erase");
          self_->spent_[key] += Now() - starts.back();
          starts.pop_back();
        }
      }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static LRESULT CALLBACK Posted(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
      const auto* message = reinterpret_cast<const MSG*>(lParam);
      if (message->message == WM_PAINT) self_->Note(message->hwnd, message->message);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static inline PaintCounter* self_ = nullptr;
  HHOOK sent_ = nullptr;
  HHOOK posted_ = nullptr;
  HHOOK returned_ = nullptr;
  std::vector<double> starts_;
  std::map<std::wstring, double> spent_;
  std::unordered_map<HWND, Count> counts_;
  std::unordered_map<HWND, Count> late_;
  bool split_ = false;
};

inline BOOL CALLBACK FindUnpainted(HWND hwnd, LPARAM param) {
  if (IsWindowVisible(hwnd) && GetUpdateRect(hwnd, nullptr, FALSE)) {
    *reinterpret_cast<bool*>(param) = false;
    return FALSE;
  }
  return TRUE;
}

// Dispatches this thread's messages until the window and every visible child have nothing left
// to paint and no message waits; what the bench driver sees from outside as "painted".
inline void PumpUntilPainted(HWND main) {
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    bool painted = !GetUpdateRect(main, nullptr, FALSE);
    if (painted) EnumChildWindows(main, FindUnpainted, reinterpret_cast<LPARAM>(&painted));
    if (painted) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  }
}

}  // namespace bench
