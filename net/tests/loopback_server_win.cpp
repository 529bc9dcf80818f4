// The loopback test server. Every wait is bounded, so stopping it never hangs.
#include "net/tests/loopback_server_win.h"

#include <ws2tcpip.h>

#include <cstdlib>

#include "net/tests/loopback_socket_win.h"

namespace net_test {
namespace {

std::size_t ContentLength(const std::string& head) {
  for (const char* name : {"\r\nContent-Length:", "\r\ncontent-length:"}) {
    const std::size_t at = head.find(name);
    if (at != std::string::npos) return std::strtoul(head.c_str() + at + 17, nullptr, 10);
  }
  return 0;
}

}  // namespace

LoopbackServer::LoopbackServer(std::string response, Mode mode, unsigned short port)
    : response_(std::move(response)), mode_(mode) {
  InitializeCriticalSection(&lock_);
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  listener_ = ListenOnLoopback(port, 16, port_);
  if (listener_ == INVALID_SOCKET) return;
  thread_ = CreateThread(nullptr, 0, &Serve, this, 0, nullptr);
}

LoopbackServer::~LoopbackServer() {
  InterlockedExchange(&stop_, 1);
  if (thread_ != nullptr) {
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
  }
  if (listener_ != INVALID_SOCKET) closesocket(listener_);
  for (SOCKET held : held_) closesocket(held);
  DeleteCriticalSection(&lock_);
  WSACleanup();
}

std::string LoopbackServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> LoopbackServer::Requests() {
  EnterCriticalSection(&lock_);
  std::vector<std::string> requests = requests_;
  LeaveCriticalSection(&lock_);
  return requests;
}

int LoopbackServer::Connections() {
  EnterCriticalSection(&lock_);
  const int connections = connections_;
  LeaveCriticalSection(&lock_);
  return connections;
}

DWORD WINAPI LoopbackServer::Serve(void* self) {
  auto* server = static_cast<LoopbackServer*>(self);
  while (InterlockedCompareExchange(&server->stop_, 0, 0) == 0) {
    if (!Readable(server->listener_, 50)) continue;
    SOCKET client = accept(server->listener_, nullptr, nullptr);
    if (client == INVALID_SOCKET) continue;
    EnterCriticalSection(&server->lock_);
    ++server->connections_;
    LeaveCriticalSection(&server->lock_);
    server->Handle(client);
  }
  return 0;
}

void LoopbackServer::Handle(SOCKET client) {
  std::string request;
  char buffer[4096];
  std::size_t headEnd = std::string::npos;
  // The head, then as much body as it announces; two seconds of silence end the wait.
  while (Readable(client, 2000)) {
    const int received = recv(client, buffer, sizeof(buffer), 0);
    if (received <= 0) break;
    request.append(buffer, static_cast<std::size_t>(received));
    if (headEnd == std::string::npos) headEnd = request.find("\r\n\r\n");
    if (headEnd != std::string::npos &&
        request.size() >= headEnd + 4 + ContentLength(request.substr(0, headEnd + 2))) {
      break;
    }
  }
  EnterCriticalSection(&lock_);
  requests_.push_back(request);
  const bool first = requests_.size() == 1;
  LeaveCriticalSection(&lock_);
  if (mode_ == Mode::kNeverAnswer || (mode_ == Mode::kFirstNeverAnswered && first)) {
    held_.push_back(client);  // open and silent until the server goes
    return;
  }
  send(client, response_.data(), static_cast<int>(response_.size()), 0);
  shutdown(client, SD_SEND);
  // Let the client read the answer before the socket goes.
  while (Readable(client, 500) && recv(client, buffer, sizeof(buffer), 0) > 0) {
  }
  closesocket(client);
}

}  // namespace net_test
