// The remote-console test server. Its packets are written here by hand, not with the client's
// encoder, so that a fault in one cannot hide in the other.
#include "net/tests/rcon_test_server_win.h"

#include <ws2tcpip.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "net/tests/loopback_socket_win.h"

namespace net_test {
namespace {

constexpr int kReadBuffer = 1460;  // the game's request buffer
constexpr int kSlice = 50;

void PutInt32(std::string& bytes, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((value >> shift) & 0xFF);
}

std::int32_t Int32At(const char* bytes) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i)
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
  return static_cast<std::int32_t>(value);
}

// The bytes of text up to count UTF-16 units, as the game cuts its replies (a character beyond the
// basic plane counts two).
std::size_t BytesOfUnits(std::string_view text, std::size_t count) {
  std::size_t at = 0;
  std::size_t units = 0;
  while (at < text.size()) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    const std::size_t width = length == 4 ? 2 : 1;
    if (units + width > count) break;
    units += width;
    at += length;
  }
  return at;
}

}  // namespace

RconTestServer::RconTestServer(std::string password, Mode mode)
    : password_(std::move(password)), mode_(mode) {
  InitializeCriticalSection(&lock_);
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  listener_ = ListenOnLoopback(0, 4, port_);
  if (listener_ == INVALID_SOCKET) return;
  thread_ = CreateThread(nullptr, 0, &Serve, this, 0, nullptr);
}

RconTestServer::~RconTestServer() {
  InterlockedExchange(&stop_, 1);
  if (thread_ != nullptr) {
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
  }
  if (listener_ != INVALID_SOCKET) closesocket(listener_);
  DeleteCriticalSection(&lock_);
  WSACleanup();
}

std::vector<std::string> RconTestServer::Commands() {
  EnterCriticalSection(&lock_);
  std::vector<std::string> commands = commands_;
  LeaveCriticalSection(&lock_);
  return commands;
}

int RconTestServer::Connections() {
  EnterCriticalSection(&lock_);
  const int connections = connections_;
  LeaveCriticalSection(&lock_);
  return connections;
}

int RconTestServer::BadReads() {
  EnterCriticalSection(&lock_);
  const int bad = badReads_;
  LeaveCriticalSection(&lock_);
  return bad;
}

std::string RconTestServer::ReplyTo(const std::string& command) {
  std::string reply;
  if (command.rfind("lines ", 0) == 0) {
    const int count = std::atoi(command.c_str() + 6);
    for (int i = 1; i <= count; ++i) {
      reply +=
          "\xC2\xA7"
          "a line " +
          std::to_string(i) + (i < count ? "\n" : "");
    }
  } else if (command.rfind("chinese ", 0) == 0) {
    for (int i = std::atoi(command.c_str() + 8); i > 0; --i) reply += "\xE6\xB1\x89";  // U+6C49
  } else {
    reply = "ran: " + command;
  }
  return reply;
}

DWORD WINAPI RconTestServer::Serve(void* self) {
  auto* server = static_cast<RconTestServer*>(self);
  while (InterlockedCompareExchange(&server->stop_, 0, 0) == 0) {
    if (!Readable(server->listener_, kSlice)) continue;
    SOCKET client = accept(server->listener_, nullptr, nullptr);
    if (client == INVALID_SOCKET) continue;
    EnterCriticalSection(&server->lock_);
    ++server->connections_;
    LeaveCriticalSection(&server->lock_);
    // A client that stops reading must not hold a send for ever.
    const DWORD sendLimit = 5000;
    setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&sendLimit),
               sizeof sendLimit);
    server->Handle(client);
    closesocket(client);
  }
  return 0;
}

bool RconTestServer::Answer(SOCKET client, int id, int type, const std::string& payload) {
  std::string packet;
  PutInt32(packet, static_cast<std::uint32_t>(payload.size() + 10));
  PutInt32(packet, static_cast<std::uint32_t>(id));
  PutInt32(packet, static_cast<std::uint32_t>(type));
  packet += payload;
  packet.append(2, '\0');
  return send(client, packet.data(), static_cast<int>(packet.size()), 0) ==
         static_cast<int>(packet.size());
}

bool RconTestServer::Reply(SOCKET client, int id, const std::string& text) {
  std::size_t at = 0;
  do {
    const std::size_t size = BytesOfUnits(std::string_view(text).substr(at), 4096);
    if (!Answer(client, id, 0, text.substr(at, size))) return false;
    at += size;
  } while (at < text.size());
  return true;
}

void RconTestServer::Handle(SOCKET client) {
  bool loggedIn = false;
  char buffer[kReadBuffer];
  while (InterlockedCompareExchange(&stop_, 0, 0) == 0) {
    if (!Readable(client, kSlice)) continue;
    const int read = recv(client, buffer, kReadBuffer, 0);
    if (read <= 0) return;
    if (read < 14 || Int32At(buffer) != read - 4) {
      EnterCriticalSection(&lock_);
      ++badReads_;
      LeaveCriticalSection(&lock_);
      return;
    }
    const int id = Int32At(buffer + 4);
    const int type = Int32At(buffer + 8);
    const std::string payload(buffer + 12,
                              strnlen(buffer + 12, static_cast<std::size_t>(read) - 12));
    if (mode_ == Mode::kSilent) continue;
    if (mode_ == Mode::kDropAfterLogin && loggedIn) return;
    bool written = true;
    if (type == 3) {
      loggedIn = !payload.empty() && payload == password_;
      written = Answer(client, loggedIn ? id : -1, 2, "");
    } else if (type == 2 && !loggedIn) {
      written = Answer(client, -1, 2, "");
    } else if (type == 2) {
      EnterCriticalSection(&lock_);
      commands_.push_back(payload);
      LeaveCriticalSection(&lock_);
      if (mode_ == Mode::kHugeReply) {
        written = Reply(client, id, std::string(5 * 1024 * 1024, 'x'));
      } else if (mode_ == Mode::kMaliciousLength) {
        const std::string hostile("\xFF\xFF\xFF\x7Fjunk", 8);
        written = send(client, hostile.data(), static_cast<int>(hostile.size()), 0) > 0;
      } else {
        written = Reply(client, id, ReplyTo(payload));
      }
    } else {
      char hex[16];
      std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(type));
      written = Reply(client, id, std::string("Unknown request ") + hex);
    }
    if (!written) return;
  }
}

}  // namespace net_test
