// A remote-console client session: connect, log in, run commands one by one and collect each
// reply, over a byte transport behind a seam so the whole conversation is tested without a
// network. Everything here blocks; it runs on a worker thread (rcon_client_win.h). Payload texts
// are the server's bytes (UTF-8, rcon_text.h); messages meant for the log are GBK.
//
// A reply may come in several packets, and the protocol does not say which is the last. After the
// first packet of a reply the session sends an empty packet of the response type; the server
// answers requests in order, so its answer to that marker comes after the reply's last packet.
// The marker waits for the first packet because the game's server takes one packet per read and
// closes the connection when a read holds more than one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/rcon_protocol.h"

namespace net {

using Milliseconds = std::int64_t;

inline constexpr std::uint16_t kRconDefaultPort = 25575;

struct RconLimits {
  Milliseconds connect = 3000;  // from starting to connect to being connected
  Milliseconds reply = 10000;   // from sending a login or command to the end of its answer
  std::size_t maxReplyBytes = 1024 * 1024;
};

// The byte stream under a session. Every call returns within its limit (or at once), and
// kCancelled once the transport has been cancelled.
class RconTransport {
 public:
  enum class Status { kOk, kTimeout, kClosed, kRefused, kUnresolved, kCancelled };
  virtual ~RconTransport() = default;
  // kOk, kTimeout (no connection within limit), kRefused, kUnresolved, kCancelled.
  virtual Status Connect(std::string_view host, std::uint16_t port, Milliseconds limit) = 0;
  // All of bytes (kOk), or kClosed / kCancelled.
  virtual Status Send(std::string_view bytes) = 0;
  // Appends what arrives within wait, at least one byte (kOk); kTimeout when nothing came;
  // kClosed when the peer closed the connection.
  virtual Status Receive(std::string& bytes, Milliseconds wait) = 0;
  virtual void Close() = 0;
  // A monotonic clock, against which the session checks its limits.
  virtual Milliseconds Now() = 0;
};

// What a connection, a login or a command came to.
enum class RconOutcome {
  kLoggedIn,        // connected and logged in
  kReplied,         // the command's whole reply arrived
  kCut,             // the reply was longer than the limit: its start is kept, the rest dropped
  kWrongPassword,   // the server refused the password
  kNotSent,         // refused before sending (see detail); nothing went to the server
  kNotLoggedIn,     // no login, or the server answered as to a client not logged in
  kUnresolved,      // the host name has no address
  kRefused,         // the server refused the connection: nothing listens on that port
  kConnectTimeout,  // no connection within the connect limit
  kDropped,         // the server closed the connection
  kNoReply,         // the answer did not arrive within the reply limit
  kProtocolError,   // the server sent something that is not a packet (see detail)
  kCancelled,
};

// The log's text for an outcome (GBK), e.g. "密码错误". limits gives the figures it names.
std::string RconOutcomeText(RconOutcome outcome, const RconLimits& limits);

// A command as it will be sent: without one leading '/', which the console does not take.
struct RconCommand {
  std::string sent;
  bool slashRemoved = false;
  std::string refusal;  // GBK; not empty when the command cannot be sent
};
// Checks a command (server bytes): not empty once the '/' is gone, no NUL or line break, at most
// kRconMaxRequestPayload bytes.
RconCommand PrepareRconCommand(std::string_view command);

// The lines of a block of commands (GBK or UTF-8), in order, each without its line break; lines
// that are empty or hold only spaces and tabs are left out.
std::vector<std::string> RconCommandLines(std::string_view block);

// Whether host is written as an address on this machine or in a private range (127/8, 10/8,
// 172.16/12, 192.168/16, 169.254/16, ::1, fc00::/7, fe80::/10) or is "localhost". A host name
// is never taken as local: the protocol sends the password unencrypted, so anything else
// deserves a warning.
[[nodiscard]] bool IsLocalOrPrivateHost(std::string_view host);

struct RconLogin {
  RconOutcome outcome = RconOutcome::kNotLoggedIn;
  std::string detail;  // GBK: the protocol error, or why the password was not sent
};

struct RconReply {
  RconOutcome outcome = RconOutcome::kNotSent;
  std::string sent;  // the command as sent (server bytes)
  bool slashRemoved = false;
  std::string text;            // the reply (server bytes), cut on a character boundary
  std::size_t replyBytes = 0;  // every reply byte received, those cut off included
  std::string detail;          // GBK: why it was not sent, or the protocol error
};

class RconSession {
 public:
  explicit RconSession(RconTransport& transport, RconLimits limits = {})
      : transport_(transport), limits_(limits) {}
  ~RconSession() { Close(); }
  RconSession(const RconSession&) = delete;
  RconSession& operator=(const RconSession&) = delete;

  // Connects and logs in. password is in server bytes; the packet that carried it is zeroed once
  // sent. Any outcome but kLoggedIn leaves the session closed.
  RconLogin Open(std::string_view host, std::uint16_t port, std::string_view password);
  // Runs one command (server bytes) and collects its whole reply. After any outcome but
  // kReplied, kCut and kNotSent the connection is closed.
  RconReply Run(std::string_view command);
  void Close();
  [[nodiscard]] bool LoggedIn() const { return loggedIn_; }

 private:
  // The next packet, or false with the outcome that ends the wait.
  [[nodiscard]] bool NextPacket(Milliseconds deadline, RconPacket& packet, RconOutcome& failure);
  std::int32_t NextId();

  RconTransport& transport_;
  RconLimits limits_;
  RconPacketReader reader_;
  bool connected_ = false;
  bool loggedIn_ = false;
  std::int32_t lastId_ = 0;
};

}  // namespace net
