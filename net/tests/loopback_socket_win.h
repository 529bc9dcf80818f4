// What the loopback test servers share: a listening socket on 127.0.0.1 and a bounded wait.
#pragma once

#include <winsock2.h>

namespace net_test {

// A socket listening on 127.0.0.1 at port (0: any free port), with the port it got; an
// INVALID_SOCKET when it could not listen. The caller owns the socket.
inline SOCKET ListenOnLoopback(unsigned short port, int backlog, unsigned short& bound) {
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listener == INVALID_SOCKET) return listener;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  int length = sizeof(address);
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      listen(listener, backlog) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    closesocket(listener);
    return INVALID_SOCKET;
  }
  bound = ntohs(address.sin_port);
  return listener;
}

// Waits up to timeoutMs for the socket to become readable.
inline bool Readable(SOCKET socket, int timeoutMs) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(socket, &set);
  timeval wait{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  return select(0, &set, nullptr, nullptr, &wait) == 1;
}

}  // namespace net_test
