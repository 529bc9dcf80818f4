// The remote console on Windows: the GBK <-> server text conversion, and a client that runs jobs
// (a login test, or a list of commands) one after another over Winsock on a worker thread of its
// own. Each step's result comes back to the user-interface thread through a message-only window,
// in order, so the window never waits for the network and every wait has its limit. Texts given
// and received are GBK. The header pulls in no Windows header (Winsock's must come before
// windows.h), so any file may include it; the handles it keeps are opaque.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/rcon_session.h"
#include "net/secret_bytes.h"

namespace net {

// The server's bytes (UTF-8) of a GBK text; a character GBK lacks, carried as the program's
// escape, is sent as itself. Nothing when the text holds what the server cannot receive (half a
// surrogate pair, bytes that are not GBK): *refusal (GBK) then says what. Nothing is replaced.
[[nodiscard]] std::optional<std::string> ServerBytesFromGbk(std::string_view gbk,
                                                            std::string* refusal = nullptr);
// The GBK text of a server's bytes: the '§' colour codes stay as text, and a character GBK lacks
// becomes the program's escape.
std::string GbkFromServerBytes(std::string_view bytes);

// A command (GBK) checked as the client will send it: sent (GBK) is without its leading '/', and
// refusal (GBK) says why it cannot be sent, or is empty.
RconCommand PrepareRconCommandGbk(std::string_view gbk);

struct RconServerAddress {
  std::string host;  // GBK: a name or an address
  std::uint16_t port = kRconDefaultPort;
};

// One step of a job, delivered on the user-interface thread.
struct RconEvent {
  enum class Stage {
    kLogin,     // the connection and login: outcome kLoggedIn or why not
    kCommand,   // one command: outcome kReplied, kCut or why not
    kFinished,  // the job is over: its last outcome, and how many commands were never sent
  };
  std::uint64_t job = 0;
  Stage stage = Stage::kFinished;
  RconOutcome outcome = RconOutcome::kCancelled;
  std::size_t index = 0;       // kCommand: the command's place in the job, from 0
  std::string command;         // kCommand: exactly as given
  std::string sent;            // kCommand: as sent, without its leading '/'
  bool slashRemoved = false;   // kCommand
  std::string reply;           // kCommand: the server's answer, '§' colour codes kept
  std::size_t replyBytes = 0;  // kCommand: every byte of the answer, those cut off included
  std::size_t unsent = 0;      // kFinished: commands of the job that were never sent
  std::string message;         // a line for the log saying what happened (GBK)
};

// The text of the note that a command went without its leading '/'.
inline constexpr std::string_view kRconSlashNote = "已去掉开头的“/”：控制台的指令不带斜杠";

class RconClientWin {
 public:
  using Receiver = std::function<void(const RconEvent& event)>;

  // Create and use on a thread that pumps messages (the user-interface thread); receiver runs
  // there, once per event, in order. The receiver may destroy the client.
  explicit RconClientWin(Receiver receiver, RconLimits limits = {});
  // Cancels every job and waits at most half a second for the worker; one stuck resolving a host
  // name is left to end by itself, and its events are dropped.
  ~RconClientWin();
  RconClientWin(const RconClientWin&) = delete;
  RconClientWin& operator=(const RconClientWin&) = delete;

  // Connects, logs in and closes again: events kLogin, kFinished. Returns the job's number.
  std::uint64_t TestLogin(RconServerAddress server, SecretBytes password);
  // Connects, logs in and sends the commands (GBK) in order, stopping at the first that fails.
  // Every command is checked first: when one cannot be sent, nothing is sent and its kCommand
  // event says why. Events: kLogin, one kCommand per command tried, kFinished.
  std::uint64_t Send(RconServerAddress server, SecretBytes password,
                     std::vector<std::string> commands);
  // Ends the job under way and every job waiting; each still ends with its kFinished event
  // (kCancelled). Returns at once.
  void Cancel();
  // A job is under way or waiting.
  [[nodiscard]] bool Busy() const;

  struct Shared;

 private:
  friend struct RconClientWindow;
  std::uint64_t Queue(RconServerAddress server, SecretBytes password,
                      std::optional<std::vector<std::string>> commands);

  Receiver receiver_;
  std::shared_ptr<Shared> shared_;
  void* window_ = nullptr;  // the message-only window the events arrive at
  void* thread_ = nullptr;
  std::uint64_t nextJob_ = 1;
  int unfinished_ = 0;  // jobs whose kFinished event has not been delivered
};

}  // namespace net
