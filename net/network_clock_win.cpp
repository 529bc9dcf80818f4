// The clock's worker threads and the way their answers reach the user-interface thread.
#include "net/network_clock_win.h"

#include <wininet.h>

#include "base/late_bound_win.h"
#include "base/scoped_win.h"
#include "base/win32_win.h"
#include "net/request_object_win.h"

namespace net {

// Shared between the clock and its worker threads; a worker that outlives the clock finds the
// window gone and drops its answer.
struct NetworkClockWin::Mailbox {
  SRWLOCK lock = SRWLOCK_INIT;
  HWND window = nullptr;  // null once the clock is gone
  std::uint64_t answerId = 0;
  std::optional<DateTime> answer;
};

namespace {

constexpr UINT kAnswerMessage = WM_APP + 1;
constexpr wchar_t kWindowClass[] = L"NetworkClockAnswers";

struct Job {
  std::shared_ptr<NetworkClockWin::Mailbox> mailbox;
  std::string url;
  std::optional<int> timeoutSeconds;
  std::uint64_t id;
};

DWORD WINAPI RunRequest(void* parameter) {
  std::unique_ptr<Job> job(static_cast<Job*>(parameter));
  const std::optional<DateTime> time =
      NetworkTime(SystemClockSource(), job->url, job->timeoutSeconds);
  NetworkClockWin::Mailbox& mailbox = *job->mailbox;
  AcquireSRWLockExclusive(&mailbox.lock);
  if (mailbox.window != nullptr) {
    mailbox.answerId = job->id;
    mailbox.answer = time;
    PostMessageW(mailbox.window, kAnswerMessage, 0, 0);
  }
  ReleaseSRWLockExclusive(&mailbox.lock);
  return 0;
}

}  // namespace

std::optional<DateTime> PlatformHttpDate(std::string_view text) {
  const std::wstring wide = WideFromGbk(text);
  SYSTEMTIME parsed{};
  // wininet is loaded when the first answer arrives, not before the window shows.
  static const auto parse = base::LateBound<decltype(&::InternetTimeToSystemTimeW)>(
      L"wininet.dll", "InternetTimeToSystemTimeW");
  if (parse == nullptr || !parse(wide.c_str(), &parsed, 0)) return std::nullopt;
  return DateTime{parsed.wYear, parsed.wMonth,  parsed.wDay,
                  parsed.wHour, parsed.wMinute, parsed.wSecond};
}

ClockSource SystemClockSource() {
  SYSTEMTIME now{};
  GetSystemTime(&now);
  return ClockSource{
      .requests = &ComRequests(), .platformParser = &PlatformHttpDate, .referenceYear = now.wYear};
}

// The message-only window the request threads' answers arrive at. The clock owns the window; the
// window's state only points back at the clock.
struct ClockWindow {
  NetworkClockWin* clock;

  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kAnswerMessage) {
      clock->TakeAnswer(clock->nextId_ - 1);
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
};

NetworkClockWin::NetworkClockWin(std::string url, std::optional<int> timeoutSeconds,
                                 Writer writeLabel)
    : url_(std::move(url)),
      timeoutSeconds_(timeoutSeconds),
      writeLabel_(std::move(writeLabel)),
      ticker_(ClockPatience(timeoutSeconds)),
      mailbox_(std::make_shared<Mailbox>()) {
  base::RegisterWindowClass({.name = kWindowClass,
                             .procedure = &base::WindowState<ClockWindow>::Procedure,
                             .arrowCursor = false});
  window_ =
      base::WindowState<ClockWindow>::Create(new ClockWindow{this}, 0, kWindowClass, L"", 0, 0, 0,
                                             0, 0, HWND_MESSAGE, nullptr, base::ProgramInstance());
  mailbox_->window = window_;
}

NetworkClockWin::~NetworkClockWin() {
  AcquireSRWLockExclusive(&mailbox_->lock);
  mailbox_->window = nullptr;
  ReleaseSRWLockExclusive(&mailbox_->lock);
  if (window_ != nullptr) DestroyWindow(window_);
}

void NetworkClockWin::Tick() {
  const ClockTicker::TickOutcome outcome =
      ticker_.Tick(static_cast<Milliseconds>(GetTickCount64()));
  if (outcome.label) Write(*outcome.label);
  if (outcome.startRequest) StartRequest();
}

void NetworkClockWin::StartRequest() {
  const std::uint64_t id = nextId_++;
  if (window_ != nullptr) {
    auto job = std::make_unique<Job>(Job{mailbox_, url_, timeoutSeconds_, id});
    // A request needs little stack; the program's own reserve is sized for its main thread, and
    // a request that never returns keeps its thread, so each asks for a small reserve of its own.
    constexpr SIZE_T kRequestStack = 1024 * 1024;
    // Nobody waits for the thread: its handle goes at once.
    const base::ScopedHandle thread(CreateThread(nullptr, kRequestStack, &RunRequest, job.get(),
                                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (thread) {
      job.release();  // the thread owns it now
      return;
    }
  }
  // Without a thread or a window to answer to there is no request, hence no time.
  Write(ticker_.Answer(std::nullopt));
}

void NetworkClockWin::TakeAnswer(std::uint64_t expectedId) {
  AcquireSRWLockExclusive(&mailbox_->lock);
  const bool current = mailbox_->answerId == expectedId;
  const std::optional<DateTime> answer = mailbox_->answer;
  ReleaseSRWLockExclusive(&mailbox_->lock);
  if (current) Write(ticker_.Answer(answer));
}

void NetworkClockWin::Write(std::string_view text) {
  if (writeLabel_) writeLabel_(text);
}

std::string ClockUrlOfThisRun() {
  const std::wstring name = WideFromGbk(kClockUrlVariable);
  const DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
  if (size == 0) return ClockUrl(std::nullopt);
  std::wstring value(size, L'\0');
  const DWORD length = GetEnvironmentVariableW(name.c_str(), value.data(), size);
  if (length == 0 || length >= size) return ClockUrl(std::nullopt);
  value.resize(length);
  return ClockUrl(GbkFromWide(value));
}

void TickSystemClock(LabelWriter writeLabel) {
  // Made on the first tick, on the user-interface thread, and never destroyed: a request may
  // still be out when the program ends. The address is read then, once for the run.
  static NetworkClockWin* clock =
      new NetworkClockWin(ClockUrlOfThisRun(), std::nullopt, NetworkClockWin::Writer());
  clock->SetWriter(writeLabel);
  clock->Tick();
}

}  // namespace net
