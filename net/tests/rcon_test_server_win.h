// A remote-console server on 127.0.0.1 for the tests, speaking as the game's server does: one
// read of at most 1460 bytes per request, and the connection closed when that read is not exactly
// one packet; a wrong password answered with id -1; replies cut into packets of 4096 UTF-16
// units, each written as UTF-8; an unknown request type answered "Unknown request <hex>". Hostile
// modes stand for servers that misbehave. It takes one connection at a time; every wait is
// bounded, so stopping it never hangs.
#pragma once

#include <winsock2.h>

#include <string>
#include <vector>

namespace net_test {

class RconTestServer {
 public:
  enum class Mode {
    kGame,             // answers as the game does (replies below)
    kSilent,           // accepts and reads, never answers
    kDropAfterLogin,   // answers the login, closes the connection at the next request
    kHugeReply,        // answers every command with 5 MiB of text
    kMaliciousLength,  // answers a command with a length field of 2^31 - 1 and a little junk
  };

  // password in UTF-8, as the server's configuration holds it. Commands and their replies:
  // "lines N" gives N numbered lines, "chinese N" N times U+6C49, anything else "ran: " and the
  // command.
  explicit RconTestServer(std::string password, Mode mode = Mode::kGame);
  ~RconTestServer();
  RconTestServer(const RconTestServer&) = delete;
  RconTestServer& operator=(const RconTestServer&) = delete;

  bool Listening() const { return listener_ != INVALID_SOCKET; }
  unsigned short Port() const { return port_; }
  // The payloads of the command packets received so far (UTF-8), oldest first.
  std::vector<std::string> Commands();
  int Connections();
  // Reads that held no single whole packet, which make the game's server close the connection.
  int BadReads();

  // The reply of the game mode to a command (UTF-8).
  static std::string ReplyTo(const std::string& command);

 private:
  static DWORD WINAPI Serve(void* self);
  void Handle(SOCKET client);
  bool Answer(SOCKET client, int id, int type, const std::string& payload);
  bool Reply(SOCKET client, int id, const std::string& text);

  std::string password_;
  Mode mode_;
  SOCKET listener_ = INVALID_SOCKET;
  unsigned short port_ = 0;
  HANDLE thread_ = nullptr;
  volatile LONG stop_ = 0;
  CRITICAL_SECTION lock_;
  std::vector<std::string> commands_;
  int connections_ = 0;
  int badReads_ = 0;
};

}  // namespace net_test
