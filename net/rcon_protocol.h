// The game server's remote-console packet: a little-endian int32 length (of what follows it), an
// int32 request id, an int32 type, the payload bytes, a NUL ending the payload and a NUL for the
// empty second string. Payloads are bytes in the server's encoding (rcon_text.h); nothing here
// interprets them.
//
// The limits are those of the game's dedicated server, as its protocol documentation (wiki.vg,
// page "RCON", section "Fragmentation") and its own request reader show:
// - it reads each request with one read into a 1460-byte buffer and closes the connection unless
//   the length field equals the bytes read less four, so a request is one packet of at most 1460
//   bytes, 1446 of them payload, and a second packet must not follow before the first is answered;
// - it cuts a long answer into packets of 4096 UTF-16 units of text each and writes each as
//   UTF-8, so one answer packet carries at most 4096 * 3 payload bytes (4096 bytes only while the
//   text is ASCII, which is the figure the documentation gives).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace net {

inline constexpr std::int32_t kRconResponseValue = 0;  // the server's answer to a command
inline constexpr std::int32_t kRconCommand = 2;        // a command to run
inline constexpr std::int32_t kRconAuthResponse = 2;   // the server's answer to a login
inline constexpr std::int32_t kRconLogin = 3;          // a login with the password as payload
// The request id of the server's answer to a login with a wrong password (and to a command sent
// before logging in).
inline constexpr std::int32_t kRconAuthFailedId = -1;

// The length of a packet with an empty payload: id, type and the two NULs.
inline constexpr std::int32_t kRconMinLength = 10;
inline constexpr std::size_t kRconMaxRequestPayload = 1446;
inline constexpr std::size_t kRconMaxResponsePayload = 4096 * 3;
// The longest length field accepted from a server; anything longer is refused unread.
inline constexpr std::int32_t kRconMaxLength =
    static_cast<std::int32_t>(kRconMaxResponsePayload) + kRconMinLength;

struct RconPacket {
  std::int32_t id = 0;
  std::int32_t type = 0;
  std::string payload;  // the bytes before the payload's NUL
  friend bool operator==(const RconPacket&, const RconPacket&) = default;
};

// The bytes of one packet. The payload is written as given; keeping it free of NULs and within
// kRconMaxRequestPayload is the caller's part (RconSession checks both before it sends).
std::string EncodeRconPacket(std::int32_t id, std::int32_t type, std::string_view payload);

// Reads packets from a byte stream that arrives in pieces of any size: a packet split over several
// pieces, several packets in one piece. A length below kRconMinLength or above maxLength, and a
// packet whose last two bytes are not NULs, break the stream for good: the reader keeps the
// reason and gives nothing more. No length is trusted before it is checked, and nothing is read
// beyond the bytes fed.
class RconPacketReader {
 public:
  explicit RconPacketReader(std::int32_t maxLength = kRconMaxLength) : maxLength_(maxLength) {}

  void Feed(std::string_view bytes);

  enum class Status { kNeedMore, kPacket, kBroken };
  // The next whole packet into packet (kPacket), or why there is none.
  [[nodiscard]] Status Next(RconPacket& packet);

  [[nodiscard]] bool Broken() const { return !reason_.empty(); }
  // Why the stream broke (GBK, for the log), or the empty text.
  const std::string& Reason() const { return reason_; }
  // Bytes fed that belong to no whole packet yet.
  std::size_t Pending() const { return buffer_.size() - consumed_; }

 private:
  std::int32_t maxLength_;
  std::string buffer_;
  std::size_t consumed_ = 0;
  std::string reason_;
};

}  // namespace net
