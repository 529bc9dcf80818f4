// A tiny HTTP server on 127.0.0.1 for the network tests: it takes one connection at a time,
// records each request (head and body) and answers with a fixed response, or never answers (all
// connections, or only the first).
#pragma once

#include <winsock2.h>

#include <string>
#include <vector>

namespace net_test {

class LoopbackServer {
 public:
  enum class Mode { kAnswer, kNeverAnswer, kFirstNeverAnswered };

  // Listens on port (0: any free port) and serves on a thread of its own. Bind() says whether
  // the port could be taken.
  explicit LoopbackServer(std::string response, Mode mode = Mode::kAnswer, unsigned short port = 0);
  // Stops serving (within a fraction of a second; never waits on a client) and closes every
  // connection it holds.
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  bool Listening() const { return listener_ != INVALID_SOCKET; }
  unsigned short Port() const { return port_; }
  std::string Url(const std::string& path = "/") const;
  // The requests received so far, oldest first.
  std::vector<std::string> Requests();
  int Connections();

 private:
  static DWORD WINAPI Serve(void* self);
  void Handle(SOCKET client);

  std::string response_;
  Mode mode_;
  SOCKET listener_ = INVALID_SOCKET;
  unsigned short port_ = 0;
  HANDLE thread_ = nullptr;
  volatile LONG stop_ = 0;
  CRITICAL_SECTION lock_;
  std::vector<std::string> requests_;
  std::vector<SOCKET> held_;
  int connections_ = 0;
};

}  // namespace net_test
