// Feeds arbitrary bytes to the remote console as a server's answer stream, read in pieces of a
// fuzzed size: the packet reader, the session above it and the text decoding may not read out of
// bounds or hang, and their results must keep the shapes their contracts promise.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "net/rcon_protocol.h"
#include "net/rcon_session.h"
#include "net/rcon_text.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// Answers with the fuzzed stream, in pieces, whatever is sent; its clock moves only while the
// session waits, so a stream that runs out ends in the reply limit.
class StreamTransport final : public net::RconTransport {
 public:
  StreamTransport(std::string_view stream, std::size_t piece) : stream_(stream), piece_(piece) {}
  Status Connect(std::string_view, std::uint16_t, net::Milliseconds) override {
    return Status::kOk;
  }
  Status Send(std::string_view) override { return Status::kOk; }
  Status Receive(std::string& bytes, net::Milliseconds wait) override {
    if (stream_.empty()) {
      now_ += wait;
      return Status::kTimeout;
    }
    const std::size_t size = std::min(piece_, stream_.size());
    bytes.append(stream_.substr(0, size));
    stream_.remove_prefix(size);
    return Status::kOk;
  }
  void Close() override {}
  net::Milliseconds Now() override { return now_; }

 private:
  std::string_view stream_;
  std::size_t piece_;
  net::Milliseconds now_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::size_t piece = data[0] % 64 + 1;
  const std::string_view stream(reinterpret_cast<const char*>(data + 1), size - 1);

  net::RconPacketReader reader;
  for (std::size_t at = 0; at < stream.size(); at += piece) {
    reader.Feed(stream.substr(at, piece));
    net::RconPacket packet;
    while (reader.Next(packet) == net::RconPacketReader::Status::kPacket) {
      Check(packet.payload.size() <= net::kRconMaxResponsePayload);
      Check(packet.payload.find('\0') == std::string::npos);
    }
    Check(reader.Broken() == !reader.Reason().empty());
    Check(reader.Pending() <= stream.size());
  }

  // The login's answer (the session's first id is 1) ahead of the stream, so that the command's
  // reply is fuzzed too.
  const std::string answers =
      net::EncodeRconPacket(1, net::kRconAuthResponse, "") + std::string(stream);
  StreamTransport transport(answers, piece);
  net::RconSession session(transport, {.maxReplyBytes = 100});
  const net::RconLogin login = session.Open("127.0.0.1", 25575, "pw");
  Check(login.outcome == net::RconOutcome::kLoggedIn);
  const net::RconReply reply = session.Run("/list");
  Check(reply.text.size() <= 100 && reply.sent == "list" && reply.slashRemoved);
  Check((reply.outcome == net::RconOutcome::kCut) ==
        (reply.replyBytes > 100 && session.LoggedIn()));

  const std::u16string text = net::Utf16FromServerBytes(stream);
  Check(text.size() <= stream.size());
  Check(net::Utf8FromUtf16(text).has_value());  // decoding never makes a lone surrogate
  Check(net::Utf8CutPoint(stream, piece) <= std::min(piece, stream.size()));
  return 0;
}
