// Measures a running program from outside, as a user's machine would see it: start-up time until
// the main window is shown and painted, round trips of messages while the network clock's server
// misbehaves, and the process's resource counts over time. Talks only to 127.0.0.1.
//
//   bench_driver startup RUNS EXE...             median start-up of each program, alternating
//   bench_driver respond MODE SECONDS PORT EXE   round trips while the clock server on PORT is
//                                                normal | silent | refuse | slow
//   bench_driver stability SECONDS PERIOD PORT EXE
//                                                GDI, USER, handles and private bytes every PERIOD
//                                                seconds while tips and windows come and go
//   bench_driver large UNITS... EXE              a builder click and a copy with an input of
//                                                UNITS UTF-16 units each, timed from outside,
//                                                and the edit control's own copy of the same text
//   bench_driver workbench ROWS SECONDS EXE PLAIN
//                                                the workbench opened on a script of ROWS rows,
//                                                then round trips while it scrolls, moves, edits
//                                                and undoes rows; the same for PLAIN, a plain
//                                                window with the system's list box
//
// Results go to standard output as "key value" lines, one figure per line, for bench.sh.
// winsock2.h goes before windows.h.
#include <winsock2.h>
// (kept apart so formatting does not reorder them)
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/gdi_objects_win.h"
#include "base/scoped_win.h"
#include "ui/ids.h"

namespace {

using namespace ui::ids;

// ---- Time -----------------------------------------------------------------------------------

double NowMs() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / frequency;
}

double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t index = std::min(values.size() - 1,
                                static_cast<size_t>(fraction * static_cast<double>(values.size())));
  return values[index];
}

double Median(const std::vector<double>& values) {
  return Percentile(values, 0.5);
}

// ---- The program under measurement ---------------------------------------------------------

struct Program {
  PROCESS_INFORMATION info{};  // its handles are owned by process and thread
  bool started = false;
  base::ScopedHandle process;
  base::ScopedHandle thread;

  explicit Program(const std::string& exe, const std::string& arguments = {}) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string command = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &info) != 0;
    if (started) {
      process.Reset(info.hProcess);
      thread.Reset(info.hThread);
    }
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Closes the main window and waits for the end; a program that will not end is ended.
  void Close(HWND main) {
    if (!started) return;
    if (main != nullptr) PostMessageW(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0) {
      TerminateProcess(info.hProcess, 1);
      WaitForSingleObject(info.hProcess, 5000);
    }
  }

  ~Program() {
    if (!started) return;
    if (WaitForSingleObject(info.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 1);
  }
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param) {
  auto* found = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner == found->first) found->second.push_back(hwnd);
  return TRUE;
}

// The process's top-level windows, topmost first.
std::vector<HWND> TopLevelWindowsOf(DWORD processId) {
  std::pair<DWORD, std::vector<HWND>> found{processId, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&found));
  return found.second;
}

// The process's shown main window: the first visible, unowned top-level window of some size
// (tips and dialogs are owned).
HWND FindMainWindow(DWORD processId) {
  for (HWND hwnd : TopLevelWindowsOf(processId)) {
    RECT rect;
    GetWindowRect(hwnd, &rect);
    if (IsWindowVisible(hwnd) && GetWindow(hwnd, GW_OWNER) == nullptr &&
        rect.right - rect.left >= 400) {
      return hwnd;
    }
  }
  return nullptr;
}

BOOL CALLBACK CheckPainted(HWND hwnd, LPARAM param) {
  if (IsWindowVisible(hwnd) && GetUpdateRect(hwnd, nullptr, FALSE)) {
    *reinterpret_cast<bool*>(param) = false;
    return FALSE;
  }
  return TRUE;
}

// Shown, answering, and no part of it waiting to be painted.
bool FullyPainted(HWND main) {
  DWORD_PTR ignored = 0;
  if (!SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored)) return false;
  bool painted = !GetUpdateRect(main, nullptr, FALSE);
  if (painted) EnumChildWindows(main, CheckPainted, reinterpret_cast<LPARAM>(&painted));
  return painted;
}

HWND WaitForMainWindow(const Program& program, double timeoutMs) {
  const double deadline = NowMs() + timeoutMs;
  while (NowMs() < deadline) {
    if (HWND main = FindMainWindow(program.info.dwProcessId)) return main;
    if (WaitForSingleObject(program.info.hProcess, 0) == WAIT_OBJECT_0) return nullptr;
    Sleep(1);
  }
  return nullptr;
}

// ---- A clock server on loopback ---------------------------------------------------------------

// The composer asks the clock address its environment names (COMPOSER_CLOCK_URL) instead of the
// public one it carries; the programs this driver starts inherit the driver's environment.
void PointClockAt(unsigned short port) {
  const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/";
  SetEnvironmentVariableA("COMPOSER_CLOCK_URL", url.c_str());
}

// Keeps a loopback address the caller chose; anything else becomes a closed loopback port.
void KeepClockOnLoopback() {
  char value[512] = {};
  const DWORD length = GetEnvironmentVariableA("COMPOSER_CLOCK_URL", value, sizeof value);
  if (length == 0 || length >= sizeof value ||
      std::string(value).rfind("http://127.0.0.1:", 0) != 0) {
    PointClockAt(18080);
  }
}

enum class ServerMode { kNormal, kSilent, kRefuse, kSlow };

bool ParseMode(const std::string& text, ServerMode& mode) {
  if (text == "normal")
    mode = ServerMode::kNormal;
  else if (text == "silent")
    mode = ServerMode::kSilent;
  else if (text == "refuse")
    mode = ServerMode::kRefuse;
  else if (text == "slow")
    mode = ServerMode::kSlow;
  else
    return false;
  return true;
}

// Answers every HEAD with a Date header (after 3 s in slow mode), or accepts and never answers.
// In refuse mode nothing listens, so connections are refused.
class ClockServer {
 public:
  ClockServer(ServerMode mode, unsigned short port) : mode_(mode) {
    if (mode == ServerMode::kRefuse) return;
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    BOOL reuse = TRUE;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse),
               sizeof reuse);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 64) != 0) {
      std::fprintf(stderr, "bench_driver: cannot listen on 127.0.0.1:%u\n", port);
      std::exit(2);
    }
    std::thread([this] { Serve(); }).detach();
  }

  int Requests() const { return requests_.load(); }

 private:
  void Serve() {
    for (;;) {
      SOCKET client = accept(listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET) return;
      ++requests_;
      if (mode_ == ServerMode::kSilent) continue;  // held open, never answered
      std::thread([this, client] { Answer(client); }).detach();
    }
  }

  void Answer(SOCKET client) {
    char buffer[2048];
    recv(client, buffer, sizeof buffer, 0);
    if (mode_ == ServerMode::kSlow) Sleep(3000);
    SYSTEMTIME now;
    GetSystemTime(&now);
    static const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char response[256];
    const int length = std::snprintf(
        response, sizeof response,
        "HTTP/1.1 200 OK\r\nDate: %s, %02d %s %04d %02d:%02d:%02d GMT\r\nContent-Length: 0\r\n"
        "Connection: close\r\n\r\n",
        kDays[now.wDayOfWeek], now.wDay, kMonths[now.wMonth - 1], now.wYear, now.wHour, now.wMinute,
        now.wSecond);
    send(client, response, length, 0);
    shutdown(client, SD_SEND);
    closesocket(client);
  }

  ServerMode mode_;
  SOCKET listener_ = INVALID_SOCKET;
  std::atomic<int> requests_{0};
};

// ---- Commands -----------------------------------------------------------------------------------

int Startup(int runs, const std::vector<std::string>& programs) {
  std::vector<std::vector<double>> times(programs.size());
  for (int run = 0; run < runs; ++run) {
    for (size_t p = 0; p < programs.size(); ++p) {
      const double start = NowMs();
      Program program(programs[p]);
      if (!program.started) {
        std::fprintf(stderr, "bench_driver: cannot start %s\n", programs[p].c_str());
        return 1;
      }
      HWND main = WaitForMainWindow(program, 30000);
      if (main == nullptr) {
        std::fprintf(stderr, "bench_driver: %s showed no window\n", programs[p].c_str());
        return 1;
      }
      while (!FullyPainted(main)) Sleep(1);
      times[p].push_back(NowMs() - start);
      program.Close(main);
    }
  }
  for (size_t p = 0; p < programs.size(); ++p) {
    std::printf("startup_median_ms[%zu] %.1f\n", p, Median(times[p]));
    std::printf("startup_min_ms[%zu] %.1f\n", p, Percentile(times[p], 0));
  }
  return 0;
}

int Respond(ServerMode mode, double seconds, unsigned short port, const std::string& exe) {
  ClockServer server(mode, port);
  PointClockAt(port);
  Program program(exe);
  HWND main = program.started ? WaitForMainWindow(program, 30000) : nullptr;
  if (main == nullptr) {
    std::fprintf(stderr, "bench_driver: %s showed no window\n", exe.c_str());
    return 1;
  }
  // Round trips are measured once the window is up and painted: start-up is measured apart.
  while (!FullyPainted(main)) Sleep(1);
  Sleep(500);
  std::vector<double> roundTrips;
  int unanswered = 0;
  const double end = NowMs() + seconds * 1000.0;
  while (NowMs() < end) {
    const double sent = NowMs();
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &ignored)) ++unanswered;
    const double taken = NowMs() - sent;
    roundTrips.push_back(taken);
    if (taken < 5) Sleep(static_cast<DWORD>(5 - taken));
  }
  std::printf("round_trips %zu\n", roundTrips.size());
  std::printf("worst_ms %.2f\n", Percentile(roundTrips, 1.0));
  std::printf("p99_ms %.2f\n", Percentile(roundTrips, 0.99));
  std::printf("unanswered %d\n", unanswered);
  std::printf("server_requests %d\n", server.Requests());
  program.Close(main);
  return 0;
}

// ---- Resource counts of another process
// ---------------------------------------------------------- The system's own counters where they
// answer; where a platform leaves them unimplemented (Wine answers 0), the same figure read another
// way: GDI objects from the process's GDI handle table, handles from the system handle list, USER
// objects as the process's windows, private bytes as the commit charge.

struct Sample {
  DWORD gdi, user, handles;
  SIZE_T privateBytes;
};

using NtQuerySystemInformationFn = LONG(NTAPI*)(int, PVOID, ULONG, PULONG);

FARPROC NtFunction(const char* name) {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name);
}

DWORD CountHandles(DWORD processId) {
  struct Entry {
    USHORT processId;
    USHORT backTrace;
    UCHAR type;
    UCHAR attributes;
    USHORT value;
    PVOID object;
    ULONG access;
  };
  auto query = reinterpret_cast<NtQuerySystemInformationFn>(
      reinterpret_cast<void*>(NtFunction("NtQuerySystemInformation")));
  if (query == nullptr) return 0;
  constexpr int kSystemHandleInformation = 16;
  constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004L);
  std::vector<char> buffer(1 << 18);
  LONG status;
  while ((status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                         nullptr)) == kInfoLengthMismatch) {
    buffer.resize(buffer.size() * 2);
  }
  if (status != 0) return 0;
  const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
  const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG_PTR));
  DWORD mine = 0;
  for (ULONG i = 0; i < count; ++i) {
    if (entries[i].processId == static_cast<USHORT>(processId)) ++mine;
  }
  return mine;
}

BOOL CALLBACK CountWindow(HWND, LPARAM param) {
  ++*reinterpret_cast<DWORD*>(param);
  return TRUE;
}

DWORD CountWindows(DWORD processId) {
  DWORD count = 0;
  for (HWND hwnd : TopLevelWindowsOf(processId)) {
    ++count;
    EnumChildWindows(hwnd, CountWindow, reinterpret_cast<LPARAM>(&count));
  }
  return count;
}

Sample Measure(HANDLE process, DWORD processId) {
  Sample sample{};
  sample.gdi = base::CountGdiObjects(process);
  sample.user = GetGuiResources(process, GR_USEROBJECTS);
  if (sample.user == 0) sample.user = CountWindows(processId);
  GetProcessHandleCount(process, &sample.handles);
  if (sample.handles == 0) sample.handles = CountHandles(processId);
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
  sample.privateBytes = memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
  return sample;
}

struct ChildSearch {
  int id;
  HWND found;
};

BOOL CALLBACK MatchChildId(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<ChildSearch*>(param);
  if (GetDlgCtrlID(hwnd) == search->id) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND ChildById(HWND top, unsigned id) {
  ChildSearch search{static_cast<int>(id), nullptr};
  EnumChildWindows(top, MatchChildId, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

constexpr UINT kSelectTab = 0x1300 + 12;  // TCM_SETCURSEL, without pulling in commctrl.h

// Rests the pointer on a control long enough for its tip, then moves it away.
void HoverAndLeave(HWND control) {
  if (control == nullptr) return;
  RECT rect;
  GetWindowRect(control, &rect);
  SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  Sleep(1200);
  SetCursorPos(2, 2);
  Sleep(200);
}

// A shown, enabled composer window of the process other than the main window.
HWND FindSecondaryWindow(DWORD processId, HWND main) {
  for (HWND hwnd : TopLevelWindowsOf(processId)) {
    wchar_t className[32] = {};
    GetClassNameW(hwnd, className, 32);
    if (hwnd != main && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd) &&
        lstrcmpW(className, L"ComposerWindow") == 0) {
      return hwnd;
    }
  }
  return nullptr;
}

// Opens a secondary window with its button and closes it again.
void OpenAndClose(DWORD processId, HWND main, HWND tab, int page, HWND button) {
  if (button == nullptr) return;
  SendMessageW(tab, kSelectTab, page, 0);
  PostMessageW(button, BM_CLICK, 0, 0);
  // The main window is disabled before the secondary window is shown: wait for the window itself.
  HWND secondary = nullptr;
  for (int i = 0; i < 250 && secondary == nullptr; ++i) {
    Sleep(20);
    secondary = FindSecondaryWindow(processId, main);
  }
  if (secondary) PostMessageW(secondary, WM_CLOSE, 0, 0);
  for (int i = 0; i < 100 && !IsWindowEnabled(main); ++i) Sleep(20);
}

void PrintSample(double seconds, const Sample& sample) {
  std::printf("sample %.0f %lu %lu %lu %llu\n", seconds, static_cast<unsigned long>(sample.gdi),
              static_cast<unsigned long>(sample.user), static_cast<unsigned long>(sample.handles),
              static_cast<unsigned long long>(sample.privateBytes / 1024));
  std::fflush(stdout);
}

int Stability(double seconds, double period, unsigned short port, const std::string& exe) {
  ClockServer server(ServerMode::kNormal, port);
  PointClockAt(port);
  Program program(exe);
  HWND main = program.started ? WaitForMainWindow(program, 30000) : nullptr;
  if (main == nullptr) {
    std::fprintf(stderr, "bench_driver: %s showed no window\n", exe.c_str());
    return 1;
  }
  HANDLE process = program.info.hProcess;
  HWND tab = ChildById(main, 高级选择夹1);
  // Two tip targets and two secondary windows, each on its page (0-based).
  const struct {
    int page;
    unsigned control;
  } kTipTargets[] = {{1, 编辑框2}, {2, 编辑框13}}, kWindows[] = {{0, 按钮5}, {3, 按钮12}};

  const double start = NowMs();
  double nextSample = start;
  int round = 0;
  std::printf("# seconds gdi user handles private_kib\n");
  while (NowMs() - start < seconds * 1000.0) {
    if (NowMs() >= nextSample) {
      const Sample s = Measure(process, program.info.dwProcessId);
      PrintSample((NowMs() - start) / 1000.0, s);
      nextSample += period * 1000.0;
    }
    const auto& window = kWindows[round % 2];
    OpenAndClose(program.info.dwProcessId, main, tab, window.page, ChildById(main, window.control));
    const auto& tip = kTipTargets[round % 2];
    SendMessageW(tab, kSelectTab, tip.page, 0);
    HoverAndLeave(ChildById(main, tip.control));
    ++round;
  }
  const Sample last = Measure(process, program.info.dwProcessId);
  PrintSample((NowMs() - start) / 1000.0, last);
  std::printf("rounds %d\n", round);
  std::printf("server_requests %d\n", server.Requests());
  program.Close(main);
  return 0;
}

// ---- Large texts -------------------------------------------------------------------------------

// A text of about the given number of UTF-16 units as a user might paste it: Chinese, ASCII, and
// now and then characters GBK cannot hold (an emoji, the snowman), which take the slow path of
// the program's conversion.
std::wstring LargeText(size_t units) {
  static const std::wstring kPiece =
      L"点券 /give %player% 264 1 你必须拥有3个名为&b&l点券&c的钻石块";
  std::wstring text;
  text.reserve(units + kPiece.size());
  size_t pieces = 0;
  while (text.size() < units) {
    text += kPiece;
    if (++pieces % 64 == 0) text += L"\U0001F600\u2603";
  }
  text.resize(units);
  return text;
}

// Sends a message and gives the time until it was answered.
double TimedSend(HWND hwnd, UINT message) {
  const double start = NowMs();
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(hwnd, message, 0, 0, SMTO_NORMAL, 120000, &ignored);
  return NowMs() - start;
}

// The worst round trip of WM_NULL over the next period: what the window leaves undone after a
// handler returned (painting a long line, for one) shows here.
double WorstRoundTrip(HWND main, double periodMs) {
  double worst = 0;
  const double end = NowMs() + periodMs;
  while (NowMs() < end) {
    worst = std::max(worst, TimedSend(main, WM_NULL));
    Sleep(2);
  }
  return worst;
}

// The edit control's own copy of its whole text, as Ctrl+A and Ctrl+C do: the yardstick of
// "复制指令".
double TimedEditCopy(HWND edit) {
  SendMessageW(edit, EM_SETSEL, 0, -1);
  const double took = TimedSend(edit, WM_COPY);
  SendMessageW(edit, EM_SETSEL, 0, 0);
  return took;
}

// What a program that reads only CF_TEXT waits for when it pastes.
double TimedTextPaste() {
  const double start = NowMs();
  if (!OpenClipboard(nullptr)) return -1;
  HANDLE data = GetClipboardData(CF_TEXT);
  CloseClipboard();
  return data != nullptr ? NowMs() - start : -1;
}

SIZE_T PrivateKib(HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
  return (memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage) / 1024;
}

// A builder click (按钮7, "@command " + 编辑框2) and a copy of the script-line box (按钮21) with an
// input of each size: how long each click leaves the window unanswering, the worst round trip in
// the second after it, and the private bytes before the click, after it, after the copy, after
// the box is cleared, and after a second round of all three.
int LargeTexts(const std::vector<size_t>& sizes, const std::string& exe) {
  Program program(exe);
  HWND main = program.started ? WaitForMainWindow(program, 30000) : nullptr;
  if (main == nullptr) {
    std::fprintf(stderr, "bench_driver: %s showed no window\n", exe.c_str());
    return 1;
  }
  while (!FullyPainted(main)) Sleep(1);
  HWND tab = ChildById(main, 高级选择夹1);
  HWND input = ChildById(main, 编辑框2);
  HWND build = ChildById(main, 按钮7);
  HWND copy = ChildById(main, 按钮21);
  HWND output = ChildById(main, 编辑框16);
  HWND clear = ChildById(main, 按钮22);
  SendMessageW(tab, kSelectTab, 1, 0);
  SendMessageW(ChildById(main, 单选框2), BM_CLICK, 0, 0);
  for (const size_t units : sizes) {
    const std::wstring text = LargeText(units);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(input, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                        120000, &ignored);
    WorstRoundTrip(main, 500);
    const SIZE_T before = PrivateKib(program.info.hProcess);
    const double click = TimedSend(build, BM_CLICK);
    const double clickAfter = WorstRoundTrip(main, 1000);
    const SIZE_T afterClick = PrivateKib(program.info.hProcess);
    const LRESULT copiedUnits = SendMessageW(output, WM_GETTEXTLENGTH, 0, 0);
    const double copied = TimedSend(copy, BM_CLICK);
    const double copyAfter = WorstRoundTrip(main, 1000);
    const SIZE_T afterCopy = PrivateKib(program.info.hProcess);
    // The copy button against the box's own copy of the same text, taking turns.
    constexpr int kCopyRounds = 5;
    std::vector<double> buttonCopies;
    std::vector<double> editCopies;
    std::vector<double> textPastes;
    for (int round = 0; round < kCopyRounds; ++round) {
      buttonCopies.push_back(TimedSend(copy, BM_CLICK));
      textPastes.push_back(TimedTextPaste());
      WorstRoundTrip(main, 100);
      editCopies.push_back(TimedEditCopy(output));
      WorstRoundTrip(main, 100);
    }
    TimedSend(clear, BM_CLICK);
    WorstRoundTrip(main, 500);
    const SIZE_T after = PrivateKib(program.info.hProcess);
    // The same again: what a click or a copy keeps beyond the box's and the clipboard's own
    // content shows as growth from one round to the next.
    TimedSend(build, BM_CLICK);
    TimedSend(copy, BM_CLICK);
    TimedSend(clear, BM_CLICK);
    WorstRoundTrip(main, 500);
    const SIZE_T afterSecond = PrivateKib(program.info.hProcess);
    const LRESULT held = SendMessageW(input, WM_GETTEXTLENGTH, 0, 0);
    std::printf("units[%zu] %ld\n", units, static_cast<long>(held));
    std::printf("click_ms[%zu] %.1f\n", units, click);
    std::printf("click_after_worst_ms[%zu] %.1f\n", units, clickAfter);
    std::printf("copy_ms[%zu] %.1f\n", units, copied);
    std::printf("copy_after_worst_ms[%zu] %.1f\n", units, copyAfter);
    std::printf("copied_units[%zu] %ld\n", units, static_cast<long>(copiedUnits));
    std::printf("copy_median_ms[%zu] %.1f\n", units, Median(buttonCopies));
    std::printf("edit_copy_median_ms[%zu] %.1f\n", units, Median(editCopies));
    std::printf("text_paste_median_ms[%zu] %.1f\n", units, Median(textPastes));
    std::printf("private_kib_before[%zu] %llu\n", units, static_cast<unsigned long long>(before));
    std::printf("private_kib_after_click[%zu] %llu\n", units,
                static_cast<unsigned long long>(afterClick));
    std::printf("private_kib_after_copy[%zu] %llu\n", units,
                static_cast<unsigned long long>(afterCopy));
    std::printf("private_kib_after_clear[%zu] %llu\n", units,
                static_cast<unsigned long long>(after));
    std::printf("private_kib_after_second_round[%zu] %llu\n", units,
                static_cast<unsigned long long>(afterSecond));
    std::fflush(stdout);
  }
  program.Close(main);
  return 0;
}

// ---- The workbench with a long script -----------------------------------------------------

constexpr unsigned kWorkbenchRows = 0x16012E1B;  // the workbench's row list (ui/ids.h)

// Keys as a user presses them, to the foreground window's focus.
void PressKeys(std::initializer_list<WORD> held, WORD key) {
  std::vector<INPUT> inputs;
  const auto add = [&inputs](WORD vk, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = flags;
    inputs.push_back(input);
  };
  for (WORD modifier : held) add(modifier, 0);
  add(key, 0);
  add(key, KEYEVENTF_KEYUP);
  for (auto modifier = std::rbegin(held); modifier != std::rend(held); ++modifier) {
    add(*modifier, KEYEVENTF_KEYUP);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void Wheel(HWND over, int notches) {
  RECT rect;
  GetWindowRect(over, &rect);
  SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = MOUSEEVENTF_WHEEL;
  input.mi.mouseData = static_cast<DWORD>(notches * WHEEL_DELTA);
  SendInput(1, &input, sizeof input);
}

// One round of what an admin does to a long script: scroll by page and by wheel, move a row and
// take it back, change a row and take that back. Each round leaves the script as it found it.
void WorkbenchRound(HWND list, int step) {
  switch (step % 12) {
    case 0:
      PressKeys({}, VK_PRIOR);
      break;
    case 1:
      PressKeys({}, VK_PRIOR);
      break;
    case 2:
      Wheel(list, 2);
      break;
    case 3:
      Wheel(list, -1);
      break;
    case 4:
      PressKeys({VK_MENU}, VK_UP);
      break;
    case 5:
      PressKeys({VK_CONTROL}, 'Z');
      break;
    case 6:
      PressKeys({VK_MENU}, VK_DOWN);
      break;
    case 7:
      PressKeys({VK_CONTROL}, 'Z');
      break;
    case 8:
      PressKeys({}, VK_RETURN);
      break;  // to the row's first field
    case 9:
      PressKeys({}, 'X');
      break;
    case 10:
      PressKeys({}, VK_RETURN);
      break;  // the change applied
    case 11:
      PressKeys({VK_CONTROL}, 'Z');
      break;
    default:
      break;
  }
}

struct RoundTrips {
  std::vector<double> samples;
  int unanswered = 0;
};

// Round trips of WM_NULL, back to back, while this thread gives the rounds' input every 40 ms.
RoundTrips Drive(HWND window, HWND list, double seconds) {
  SetForegroundWindow(window);
  Sleep(300);
  std::atomic<bool> stop{false};
  RoundTrips trips;
  std::thread measure([&] {
    while (!stop.load()) {
      const double sent = NowMs();
      DWORD_PTR ignored = 0;
      if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &ignored)) {
        ++trips.unanswered;
      }
      trips.samples.push_back(NowMs() - sent);
      Sleep(1);
    }
  });
  const double end = NowMs() + seconds * 1000.0;
  for (int step = 0; NowMs() < end || step % 12 != 0; ++step) {
    WorkbenchRound(list, step);
    Sleep(40);
  }
  Sleep(300);
  stop = true;
  measure.join();
  return trips;
}

void PrintTrips(const char* name, const RoundTrips& trips) {
  std::printf("%s_round_trips %zu\n", name, trips.samples.size());
  std::printf("%s_worst_ms %.2f\n", name, Percentile(trips.samples, 1.0));
  std::printf("%s_p99_ms %.2f\n", name, Percentile(trips.samples, 0.99));
  std::printf("%s_median_ms %.3f\n", name, Median(trips.samples));
  std::printf("%s_unanswered %d\n", name, trips.unanswered);
}

// The script the workbench restores at start: rows of the kinds admins write, over and over.
bool WriteLongScript(const std::wstring& appData, int rows) {
  const std::wstring folder = appData + L"\\CommandComposer";
  CreateDirectoryW(appData.c_str(), nullptr);
  CreateDirectoryW(folder.c_str(), nullptr);
  CreateDirectoryW((folder + L"\\scripts").c_str(), nullptr);
  const char* const lines[] = {
      "@console give %player% diamond 5", "$cost:100 &c金币不足100，无法领取",
      "@title:&6欢迎##&7回来##10##60##10", "$item:57#####&b&l点券 100 &c你当前有%amount%个！",
      "@papi:%player_level%>=30 &c你必须达到30级才能使用它！"};
  std::string text = "# Varnel script: bench\r\n";
  for (int i = 0; i < rows; ++i) text += std::string(lines[i % 5]) + "\r\n";
  const std::wstring script = folder + L"\\scripts\\bench.txt";
  const auto write = [](const std::wstring& path, const std::string& bytes) {
    const base::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size();
  };
  char utf8Path[MAX_PATH * 3] = {};
  WideCharToMultiByte(CP_UTF8, 0, script.c_str(), -1, utf8Path, sizeof utf8Path, nullptr, nullptr);
  return write(script, text) &&
         write(folder + L"\\recent_scripts.txt",
               std::string("# Command composer: recent scripts, newest first\r\nopen=") + utf8Path +
                   "\r\n");
}

int Workbench(int rows, double seconds, const std::string& exe, const std::string& plainExe) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring appData =
      std::wstring(temp) + L"composer-bench-" + std::to_wstring(GetCurrentProcessId());
  if (!WriteLongScript(appData, rows)) return 1;
  SetEnvironmentVariableW(L"APPDATA", appData.c_str());
  Program composer(exe);
  HWND main = composer.started ? WaitForMainWindow(composer, 30000) : nullptr;
  if (main == nullptr) return 1;
  while (!FullyPainted(main)) Sleep(1);
  SetForegroundWindow(main);
  Sleep(300);
  // Ctrl+E restores the script and shows it: from the keys to a painted, answering window.
  const double asked = NowMs();
  PressKeys({VK_CONTROL}, 'E');
  HWND workbench = nullptr;
  while (NowMs() - asked < 30000) {
    workbench = FindWindowW(L"ComposerWorkbench", nullptr);
    if (workbench != nullptr && IsWindowVisible(workbench) && FullyPainted(workbench)) break;
    workbench = nullptr;
    Sleep(1);
  }
  if (workbench == nullptr) return 1;
  std::printf("workbench_open_ms %.1f\n", NowMs() - asked);
  const RoundTrips script = Drive(workbench, ChildById(workbench, kWorkbenchRows), seconds);
  PostMessageW(workbench, WM_CLOSE, 0, 0);
  composer.Close(main);

  Program plain(plainExe, std::to_string(rows));
  HWND plainWindow = plain.started ? WaitForMainWindow(plain, 30000) : nullptr;
  if (plainWindow == nullptr) return 1;
  while (!FullyPainted(plainWindow)) Sleep(1);
  const RoundTrips trips = Drive(plainWindow, GetWindow(plainWindow, GW_CHILD), seconds);
  plain.Close(plainWindow);
  PrintTrips("workbench", script);
  PrintTrips("plain", trips);
  std::fflush(stdout);
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: bench_driver startup RUNS EXE... | respond MODE SECONDS PORT EXE |"
               " stability SECONDS PERIOD PORT EXE | large UNITS... EXE |"
               " workbench ROWS SECONDS EXE PLAIN\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  const std::vector<std::string> args(argv + 1, argv + argc);
  KeepClockOnLoopback();
  if (args.size() >= 3 && args[0] == "startup") {
    return Startup(std::atoi(args[1].c_str()), {args.begin() + 2, args.end()});
  }
  ServerMode mode;
  if (args.size() == 5 && args[0] == "respond" && ParseMode(args[1], mode)) {
    return Respond(mode, std::atof(args[2].c_str()),
                   static_cast<unsigned short>(std::atoi(args[3].c_str())), args[4]);
  }
  if (args.size() == 5 && args[0] == "stability") {
    return Stability(std::atof(args[1].c_str()), std::atof(args[2].c_str()),
                     static_cast<unsigned short>(std::atoi(args[3].c_str())), args[4]);
  }
  if (args.size() == 5 && args[0] == "workbench") {
    return Workbench(std::atoi(args[1].c_str()), std::atof(args[2].c_str()), args[3], args[4]);
  }
  if (args.size() >= 3 && args[0] == "large") {
    std::vector<size_t> sizes;
    for (size_t i = 1; i + 1 < args.size(); ++i)
      sizes.push_back(std::strtoull(args[i].c_str(), nullptr, 10));
    return LargeTexts(sizes, args.back());
  }
  return Usage();
}
