// Packet framing of the remote console. Every length is checked before anything is taken from the
// buffer, so a hostile length costs nothing but the refusal.
#include "net/rcon_protocol.h"

#include "net/rcon_text.h"

namespace net {
namespace {

constexpr std::size_t kLengthField = 4;
constexpr std::size_t kHeader = 8;  // id and type, counted in the length

void AppendInt32(std::string& bytes, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((bits >> shift) & 0xFF);
}

std::int32_t Int32At(std::string_view bytes, std::size_t at) {
  std::uint32_t bits = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    bits |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  }
  return static_cast<std::int32_t>(bits);
}

}  // namespace

std::string EncodeRconPacket(std::int32_t id, std::int32_t type, std::string_view payload) {
  std::string bytes;
  bytes.reserve(kLengthField + kHeader + payload.size() + 2);
  AppendInt32(bytes, static_cast<std::int32_t>(kHeader + payload.size() + 2));
  AppendInt32(bytes, id);
  AppendInt32(bytes, type);
  bytes.append(payload);
  bytes.append(2, '\0');
  return bytes;
}

void RconPacketReader::Feed(std::string_view bytes) {
  if (Broken()) return;
  // Drop what was read before growing the buffer, so it never holds more than one packet beyond
  // the latest piece.
  if (consumed_ > 0) {
    buffer_.erase(0, consumed_);
    consumed_ = 0;
  }
  buffer_.append(bytes);
}

RconPacketReader::Status RconPacketReader::Next(RconPacket& packet) {
  if (Broken()) return Status::kBroken;
  const std::string_view pending = std::string_view(buffer_).substr(consumed_);
  if (pending.size() < kLengthField) return Status::kNeedMore;
  const std::int32_t length = Int32At(pending, 0);
  if (length < kRconMinLength) {
    reason_ = Joined({"数据包长度 ", std::to_string(length), " 小于最小的 ",
                      std::to_string(kRconMinLength), " 字节"});
  } else if (length > maxLength_) {
    reason_ = Joined(
        {"数据包长度 ", std::to_string(length), " 超过上限 ", std::to_string(maxLength_), " 字节"});
  }
  if (Broken()) {
    buffer_.clear();
    consumed_ = 0;
    return Status::kBroken;
  }
  const auto size = static_cast<std::size_t>(length);
  if (pending.size() - kLengthField < size) return Status::kNeedMore;
  const std::string_view body = pending.substr(kLengthField, size);
  if (body[size - 2] != '\0' || body[size - 1] != '\0') {
    reason_ = "数据包没有以两个零字节结尾";
    buffer_.clear();
    consumed_ = 0;
    return Status::kBroken;
  }
  packet.id = Int32At(body, 0);
  packet.type = Int32At(body, 4);
  const std::string_view payload = body.substr(kHeader, size - kHeader - 2);
  packet.payload.assign(payload.substr(0, payload.find('\0')));
  consumed_ += kLengthField + size;
  return Status::kPacket;
}

}  // namespace net
