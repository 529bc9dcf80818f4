// The remote console's Winsock transport, its worker thread and the way each step's result
// reaches the user-interface thread.
// Winsock before windows.h, which would otherwise pull in the old winsock.
#include <winsock2.h>

#include <ws2tcpip.h>

#include "net/rcon_client_win.h"

#include <algorithm>
#include <atomic>
#include <deque>

#include "base/scoped_win.h"
#include "base/text_win.h"
#include "base/win32_win.h"
#include "net/rcon_text.h"

namespace net {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows texts are UTF-16");

namespace {

constexpr UINT kEventMessage = WM_APP + 2;
constexpr wchar_t kWindowClass[] = L"RconClientEvents";
// Every wait is cut into slices this long, so a cancel is seen within one.
constexpr Milliseconds kSlice = 50;
// Sending a packet of at most 1460 bytes waits only when the connection is stuck.
constexpr Milliseconds kSendPatience = 10000;

std::u16string Utf16(const std::wstring& wide) {
  return std::u16string(wide.begin(), wide.end());
}

std::string HexUnit(char16_t unit) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text = "U+";
  for (int shift = 12; shift >= 0; shift -= 4) text += kDigits[(unit >> shift) & 0xF];
  return text;
}

// A TCP connection over Winsock. Waits in slices of at most 50 ms and answers kCancelled within
// one slice of cancelled() turning true. Use it on one thread.
class WinsockTransport final : public RconTransport {
 public:
  explicit WinsockTransport(std::function<bool()> cancelled);
  ~WinsockTransport() override;
  WinsockTransport(const WinsockTransport&) = delete;
  WinsockTransport& operator=(const WinsockTransport&) = delete;

  Status Connect(std::string_view host, std::uint16_t port, Milliseconds limit) override;
  Status Send(std::string_view bytes) override;
  Status Receive(std::string& bytes, Milliseconds wait) override;
  void Close() override;
  Milliseconds Now() override;

 private:
  std::function<bool()> cancelled_;
  SOCKET socket_ = INVALID_SOCKET;
  bool started_ = false;
};

enum class Ready { kReady, kFailed, kTimeout, kCancelled };

// Waits until the socket can be read (or, forWrite, written) or has failed, up to deadline.
Ready WaitFor(SOCKET socket, bool forWrite, Milliseconds deadline,
              const std::function<bool()>& cancelled) {
  for (;;) {
    if (cancelled && cancelled()) return Ready::kCancelled;
    const auto now = static_cast<Milliseconds>(GetTickCount64());
    if (now >= deadline) return Ready::kTimeout;
    const Milliseconds slice = std::min(kSlice, deadline - now);
    fd_set ready;
    fd_set failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(socket, &ready);
    FD_SET(socket, &failed);
    timeval wait{0, static_cast<long>(slice * 1000)};
    const int count =
        select(0, forWrite ? nullptr : &ready, forWrite ? &ready : nullptr, &failed, &wait);
    if (count == SOCKET_ERROR) return Ready::kFailed;
    if (count > 0) return FD_ISSET(socket, &failed) ? Ready::kFailed : Ready::kReady;
  }
}

}  // namespace

std::optional<std::string> ServerBytesFromGbk(std::string_view gbk, std::string* refusal) {
  std::wstring wide = base::WideFromGbk(gbk);
  std::string back = base::GbkFromWide(wide);
  const bool isGbk = back == gbk;
  WipeBytes(back);
  std::u16string units = Utf16(wide);
  WipeBytes(wide);
  std::size_t badUnit = 0;
  std::optional<std::string> bytes;
  if (isGbk) bytes = Utf8FromUtf16(units, &badUnit);
  if (!bytes && refusal != nullptr) {
    *refusal = isGbk
                   ? Joined({"有服务器无法接收的字符 ", HexUnit(units[badUnit]), "（半个代理对）"})
                   : std::string("有不成字的 GBK 字节");
  }
  WipeBytes(units);
  return bytes;
}

std::string GbkFromServerBytes(std::string_view bytes) {
  const std::u16string units = Utf16FromServerBytes(bytes);
  return base::GbkFromWide(std::wstring(units.begin(), units.end()));
}

RconCommand PrepareRconCommandGbk(std::string_view gbk) {
  // The slash, line breaks and NULs are ASCII, which GBK and UTF-8 write alike; the length
  // counts the bytes that will be sent.
  std::string refusal;
  const std::optional<std::string> bytes = ServerBytesFromGbk(gbk, &refusal);
  RconCommand prepared = PrepareRconCommand(bytes ? std::string_view(*bytes) : gbk);
  prepared.sent = gbk.substr(prepared.slashRemoved ? 1 : 0);
  if (!bytes) prepared.refusal = Joined({"指令中", refusal});
  return prepared;
}

namespace {

WinsockTransport::WinsockTransport(std::function<bool()> cancelled)
    : cancelled_(std::move(cancelled)) {
  WSADATA data;
  started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

WinsockTransport::~WinsockTransport() {
  Close();
  if (started_) WSACleanup();
}

Milliseconds WinsockTransport::Now() {
  return static_cast<Milliseconds>(GetTickCount64());
}

void WinsockTransport::Close() {
  if (socket_ != INVALID_SOCKET) closesocket(socket_);
  socket_ = INVALID_SOCKET;
}

RconTransport::Status WinsockTransport::Connect(std::string_view host, std::uint16_t port,
                                                Milliseconds limit) {
  Close();
  if (!started_) return Status::kRefused;
  const Milliseconds deadline = Now() + limit;
  ADDRINFOW hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  ADDRINFOW* found = nullptr;
  // A host name is resolved by the system, which has its own limits and cannot be cancelled.
  if (GetAddrInfoW(base::WideFromGbk(host).c_str(), std::to_wstring(port).c_str(), &hints,
                   &found) != 0 ||
      found == nullptr) {
    return Status::kUnresolved;
  }
  Status result = Status::kRefused;
  for (const ADDRINFOW* address = found; address != nullptr; address = address->ai_next) {
    SOCKET candidate = socket(address->ai_family, address->ai_socktype, address->ai_protocol);
    if (candidate == INVALID_SOCKET) continue;
    u_long nonBlocking = 1;
    ioctlsocket(candidate, FIONBIO, &nonBlocking);
    // Each packet goes out in one send; waiting to gather more would only delay it.
    const BOOL noDelay = TRUE;
    setsockopt(candidate, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
               sizeof noDelay);
    Ready ready = Ready::kFailed;
    if (connect(candidate, address->ai_addr, static_cast<int>(address->ai_addrlen)) == 0) {
      ready = Ready::kReady;
    } else if (WSAGetLastError() == WSAEWOULDBLOCK) {
      ready = WaitFor(candidate, true, deadline, cancelled_);
    }
    int error = 0;
    int size = sizeof error;
    if (ready == Ready::kReady &&
        getsockopt(candidate, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0 &&
        error == 0) {
      socket_ = candidate;
      result = Status::kOk;
      break;
    }
    closesocket(candidate);
    if (ready == Ready::kTimeout || ready == Ready::kCancelled) {
      result = ready == Ready::kTimeout ? Status::kTimeout : Status::kCancelled;
      break;
    }
  }
  FreeAddrInfoW(found);
  return result;
}

RconTransport::Status WinsockTransport::Send(std::string_view bytes) {
  const Milliseconds deadline = Now() + kSendPatience;
  while (!bytes.empty()) {
    if (socket_ == INVALID_SOCKET) return Status::kClosed;
    const int size = static_cast<int>(std::min<std::size_t>(bytes.size(), 65536));
    const int sent = send(socket_, bytes.data(), size, 0);
    if (sent > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(sent));
      continue;
    }
    if (WSAGetLastError() != WSAEWOULDBLOCK) return Status::kClosed;
    const Ready ready = WaitFor(socket_, true, deadline, cancelled_);
    if (ready == Ready::kCancelled) return Status::kCancelled;
    if (ready != Ready::kReady) return Status::kClosed;
  }
  return Status::kOk;
}

RconTransport::Status WinsockTransport::Receive(std::string& bytes, Milliseconds wait) {
  if (socket_ == INVALID_SOCKET) return Status::kClosed;
  if (cancelled_ && cancelled_()) return Status::kCancelled;
  const Milliseconds deadline = Now() + wait;
  // The socket is non-blocking: a long reply is read without a wait between its pieces, and only
  // an empty socket is waited on.
  char buffer[65536];
  for (;;) {
    const int received = recv(socket_, buffer, sizeof buffer, 0);
    if (received > 0) {
      bytes.append(buffer, static_cast<std::size_t>(received));
      return Status::kOk;
    }
    if (received == 0 || WSAGetLastError() != WSAEWOULDBLOCK) return Status::kClosed;
    switch (WaitFor(socket_, false, deadline, cancelled_)) {
      case Ready::kReady:
        break;  // read it
      case Ready::kTimeout:
        return Status::kTimeout;
      case Ready::kCancelled:
        return Status::kCancelled;
      case Ready::kFailed:
        return Status::kClosed;
    }
  }
}

struct Job {
  std::uint64_t number = 0;
  RconServerAddress server;
  SecretBytes password;
  bool loginOnly = false;
  std::vector<std::string> commands;
};

}  // namespace

// Shared by the client and its worker; a worker that outlives the client finds no window and
// drops its events.
struct RconClientWin::Shared {
  SRWLOCK lock = SRWLOCK_INIT;
  CONDITION_VARIABLE wake = CONDITION_VARIABLE_INIT;
  HWND window = nullptr;  // null once the client is gone
  bool stopping = false;
  std::deque<Job> jobs;
  std::deque<RconEvent> events;
  // One message at a time is on its way to the window, however many events wait: a long block
  // never floods the thread's message queue.
  bool messagePosted = false;
  // Every job numbered up to this one is cancelled.
  std::atomic<std::uint64_t> cancelledUpTo{0};
  RconLimits limits;
};

namespace {

using Shared = RconClientWin::Shared;

void Emit(Shared& shared, RconEvent event) {
  AcquireSRWLockExclusive(&shared.lock);
  if (shared.window != nullptr) {
    shared.events.push_back(std::move(event));
    if (!shared.messagePosted) {
      shared.messagePosted = PostMessageW(shared.window, kEventMessage, 0, 0) != 0;
    }
  }
  ReleaseSRWLockExclusive(&shared.lock);
}

std::string WithDetail(RconOutcome outcome, const std::string& detail, const RconLimits& limits) {
  std::string text = RconOutcomeText(outcome, limits);
  if (!detail.empty()) text = Joined({text, "：", detail});
  return text;
}

void Finish(Shared& shared, const Job& job, RconOutcome outcome, std::size_t unsent) {
  RconEvent event{.job = job.number, .stage = RconEvent::Stage::kFinished, .outcome = outcome};
  event.unsent = unsent;
  event.message = RconOutcomeText(outcome, shared.limits);
  if (unsent > 0) {
    event.message = Joined({event.message, "；还有 ", std::to_string(unsent), " 条指令没有发送"});
  } else if (!job.loginOnly) {
    event.message = Joined({std::to_string(job.commands.size()), " 条指令都已发送"});
  }
  Emit(shared, std::move(event));
}

RconEvent CommandEvent(const Job& job, std::size_t index, const RconCommand& prepared) {
  return RconEvent{.job = job.number,
                   .stage = RconEvent::Stage::kCommand,
                   .outcome = RconOutcome::kNotSent,
                   .index = index,
                   .command = job.commands[index],
                   .sent = prepared.sent,
                   .slashRemoved = prepared.slashRemoved};
}

void RunJob(Shared& shared, Job& job) {
  const RconLimits limits = shared.limits;
  const std::size_t count = job.commands.size();
  const auto cancelled = [&shared, number = job.number] {
    return shared.cancelledUpTo.load() >= number;
  };
  if (cancelled()) return Finish(shared, job, RconOutcome::kCancelled, count);

  // Every command is checked before anything goes out, so a block is never sent in part for a
  // line that could not have been sent anyway.
  std::vector<RconCommand> prepared;
  std::vector<std::string> wire;
  for (std::size_t i = 0; i < count; ++i) {
    prepared.push_back(PrepareRconCommandGbk(job.commands[i]));
    if (!prepared[i].refusal.empty()) {
      RconEvent event = CommandEvent(job, i, prepared[i]);
      event.message = WithDetail(RconOutcome::kNotSent, prepared[i].refusal, limits);
      Emit(shared, std::move(event));
      return Finish(shared, job, RconOutcome::kNotSent, count);
    }
    wire.push_back(*ServerBytesFromGbk(job.commands[i]));
  }

  WinsockTransport transport(cancelled);
  RconSession session(transport, limits);
  std::string refusal;
  std::optional<std::string> password = ServerBytesFromGbk(job.password.View(), &refusal);
  job.password.Wipe();
  RconLogin login{.outcome = RconOutcome::kNotSent, .detail = Joined({"密码中", refusal})};
  if (password) {
    login = session.Open(job.server.host, job.server.port, *password);
    WipeBytes(*password);
  }
  Emit(shared, RconEvent{.job = job.number,
                         .stage = RconEvent::Stage::kLogin,
                         .outcome = login.outcome,
                         .message = WithDetail(login.outcome, login.detail, limits)});
  if (login.outcome != RconOutcome::kLoggedIn) return Finish(shared, job, login.outcome, count);

  for (std::size_t i = 0; i < count; ++i) {
    const RconReply reply = session.Run(wire[i]);
    RconEvent event = CommandEvent(job, i, prepared[i]);
    event.outcome = reply.outcome;
    event.reply = GbkFromServerBytes(reply.text);
    event.replyBytes = reply.replyBytes;
    event.message = WithDetail(reply.outcome, reply.detail, limits);
    if (reply.outcome == RconOutcome::kCut) {
      event.message =
          Joined({event.message, "（回复共 ", std::to_string(reply.replyBytes), " 字节）"});
    }
    if (reply.slashRemoved) event.message = Joined({event.message, "；", kRconSlashNote});
    Emit(shared, std::move(event));
    if (reply.outcome != RconOutcome::kReplied && reply.outcome != RconOutcome::kCut) {
      return Finish(shared, job, reply.outcome, count - i - 1);
    }
  }
  session.Close();
  Finish(shared, job, job.loginOnly ? RconOutcome::kLoggedIn : RconOutcome::kReplied, 0);
}

DWORD WINAPI Work(void* parameter) {
  const std::unique_ptr<std::shared_ptr<Shared>> owner(
      static_cast<std::shared_ptr<Shared>*>(parameter));
  Shared& shared = **owner;
  for (;;) {
    AcquireSRWLockExclusive(&shared.lock);
    while (shared.jobs.empty() && !shared.stopping) {
      SleepConditionVariableSRW(&shared.wake, &shared.lock, INFINITE, 0);
    }
    if (shared.stopping) {
      ReleaseSRWLockExclusive(&shared.lock);
      return 0;
    }
    Job job = std::move(shared.jobs.front());
    shared.jobs.pop_front();
    ReleaseSRWLockExclusive(&shared.lock);
    RunJob(shared, job);
  }
}

}  // namespace

// The window the worker's events arrive at, one message at a time. The client owns the window;
// the window's state only points back at the client, and forgets it when the client goes.
struct RconClientWindow {
  RconClientWin* client;

  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kEventMessage) {
      if (client == nullptr) return 0;
      Shared& shared = *client->shared_;
      AcquireSRWLockExclusive(&shared.lock);
      const bool any = !shared.events.empty();
      RconEvent event;
      if (any) {
        event = std::move(shared.events.front());
        shared.events.pop_front();
      }
      shared.messagePosted =
          !shared.events.empty() && PostMessageW(window, kEventMessage, 0, 0) != 0;
      ReleaseSRWLockExclusive(&shared.lock);
      if (!any) return 0;
      if (event.stage == RconEvent::Stage::kFinished) --client->unfinished_;
      // A copy: the receiver may destroy the client, and with it the client's own copy.
      const RconClientWin::Receiver receiver = client->receiver_;
      if (receiver) receiver(event);
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
};

RconClientWin::RconClientWin(Receiver receiver, RconLimits limits)
    : receiver_(std::move(receiver)), shared_(std::make_shared<Shared>()) {
  shared_->limits = limits;
  base::RegisterWindowClass({.name = kWindowClass,
                             .procedure = &base::WindowState<RconClientWindow>::Procedure,
                             .arrowCursor = false});
  HWND window = base::WindowState<RconClientWindow>::Create(
      new RconClientWindow{this}, 0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
      base::ProgramInstance());
  window_ = window;
  shared_->window = window;
}

RconClientWin::~RconClientWin() {
  AcquireSRWLockExclusive(&shared_->lock);
  shared_->window = nullptr;
  shared_->stopping = true;
  shared_->cancelledUpTo = UINT64_MAX;
  WakeAllConditionVariable(&shared_->wake);
  ReleaseSRWLockExclusive(&shared_->lock);
  if (window_ != nullptr) {
    // Events still queued for the window must not reach a client being destroyed.
    if (auto* state = base::WindowState<RconClientWindow>::Of(static_cast<HWND>(window_))) {
      state->client = nullptr;
    }
    DestroyWindow(static_cast<HWND>(window_));
  }
  if (thread_ != nullptr) {
    const base::ScopedHandle thread(thread_);
    WaitForSingleObject(thread.Get(), 500);
  }
}

std::uint64_t RconClientWin::TestLogin(RconServerAddress server, SecretBytes password) {
  return Queue(std::move(server), std::move(password), std::nullopt);
}

std::uint64_t RconClientWin::Send(RconServerAddress server, SecretBytes password,
                                  std::vector<std::string> commands) {
  return Queue(std::move(server), std::move(password), std::move(commands));
}

std::uint64_t RconClientWin::Queue(RconServerAddress server, SecretBytes password,
                                   std::optional<std::vector<std::string>> commands) {
  const std::uint64_t number = nextJob_++;
  ++unfinished_;
  Job job{.number = number,
          .server = std::move(server),
          .password = std::move(password),
          .loginOnly = !commands.has_value()};
  if (commands) job.commands = std::move(*commands);
  if (thread_ == nullptr) {
    auto owner = std::make_unique<std::shared_ptr<Shared>>(shared_);
    // The program's own stack reserve is sized for its main thread; the worker asks for its own.
    constexpr SIZE_T kWorkerStack = 1024 * 1024;
    thread_ = CreateThread(nullptr, kWorkerStack, &Work, owner.get(),
                           STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (thread_ != nullptr) owner.release();  // the thread owns it now
  }
  AcquireSRWLockExclusive(&shared_->lock);
  if (thread_ != nullptr) {
    shared_->jobs.push_back(std::move(job));
    WakeAllConditionVariable(&shared_->wake);
  }
  ReleaseSRWLockExclusive(&shared_->lock);
  // Without a worker the job ends at once, and says so as any other would.
  if (thread_ == nullptr) Finish(*shared_, job, RconOutcome::kCancelled, job.commands.size());
  return number;
}

void RconClientWin::Cancel() {
  shared_->cancelledUpTo = nextJob_ - 1;
}

bool RconClientWin::Busy() const {
  return unfinished_ > 0;
}

}  // namespace net
