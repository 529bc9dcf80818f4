// The remote-console conversation: login, one command at a time, replies collected up to the
// answer to an end marker. Every wait is bounded by a deadline on the transport's clock.
#include "net/rcon_session.h"

#include <array>
#include <cstdlib>

#include "net/rcon_text.h"
#include "net/secret_bytes.h"

namespace net {
namespace {

std::string SecondsText(Milliseconds ms) {
  const std::string tenths = std::to_string(ms % 1000 / 100);
  return Joined(
      {std::to_string(ms / 1000), ms % 1000 != 0 ? "." : "", ms % 1000 != 0 ? tenths : "", " 秒"});
}

std::string SizeText(std::size_t bytes) {
  constexpr std::size_t kMiB = 1024 * 1024;
  if (bytes % kMiB == 0) return Joined({std::to_string(bytes / kMiB), " MiB"});
  return Joined({std::to_string(bytes), " 字节"});
}

bool IsBlank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

// Reads a dotted IPv4 address written in full (four parts, nothing after them).
bool ReadIpv4(std::string_view text, std::array<int, 4>& parts) {
  std::size_t at = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    if (i > 0) {
      if (at >= text.size() || text[at] != '.') return false;
      ++at;
    }
    const std::size_t start = at;
    int value = 0;
    while (at < text.size() && at - start < 3 && text[at] >= '0' && text[at] <= '9') {
      value = value * 10 + (text[at] - '0');
      ++at;
    }
    if (at == start || value > 255) return false;
    parts[i] = value;
  }
  return at == text.size();
}

// Whether the text is an IPv6 address (brackets allowed) that is loopback, unique local or link
// local: "::1", or a first group in fc00::/7 or fe80::/10.
bool IsLocalIpv6(std::string_view text) {
  if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
    text = text.substr(1, text.size() - 2);
  }
  if (text.find(':') == std::string_view::npos) return false;
  for (const char c : text) {
    const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!hex && c != ':' && c != '.' && c != '%') return false;
  }
  if (text == "::1") return true;
  const std::size_t end = text.find(':');
  if (end == 0 || end > 4) return false;
  const unsigned first =
      static_cast<unsigned>(std::strtoul(std::string(text.substr(0, end)).c_str(), nullptr, 16));
  return (first & 0xFE00) == 0xFC00 || (first & 0xFFC0) == 0xFE80;
}

}  // namespace

std::string RconOutcomeText(RconOutcome outcome, const RconLimits& limits) {
  switch (outcome) {
    case RconOutcome::kLoggedIn:
      return "已登录服务器";
    case RconOutcome::kReplied:
      return "服务器已回复";
    case RconOutcome::kCut:
      return Joined({"回复超过 ", SizeText(limits.maxReplyBytes), "，只保留开头的 ",
                     SizeText(limits.maxReplyBytes), "，其余已舍弃"});
    case RconOutcome::kWrongPassword:
      return "密码错误，服务器拒绝登录";
    case RconOutcome::kNotSent:
      return "未发送";
    case RconOutcome::kNotLoggedIn:
      return "服务器回答尚未登录";
    case RconOutcome::kUnresolved:
      return "找不到这个服务器地址";
    case RconOutcome::kRefused:
      return "服务器拒绝连接：这个端口没有开启远程控制台";
    case RconOutcome::kConnectTimeout:
      return Joined({SecondsText(limits.connect), "内连不上服务器"});
    case RconOutcome::kDropped:
      return "服务器断开了连接";
    case RconOutcome::kNoReply:
      return Joined({SecondsText(limits.reply), "内没有收到服务器的完整回复"});
    case RconOutcome::kProtocolError:
      return "服务器发来的数据不合远程控制台协议";
    case RconOutcome::kCancelled:
      return "已取消";
  }
  return {};
}

RconCommand PrepareRconCommand(std::string_view command) {
  RconCommand prepared;
  prepared.slashRemoved = !command.empty() && command.front() == '/';
  if (prepared.slashRemoved) command.remove_prefix(1);
  prepared.sent.assign(command);
  if (command.empty()) {
    prepared.refusal = "指令是空的";
  } else if (command.find('\0') != std::string_view::npos) {
    prepared.refusal = "指令中有零字节，服务器只会收到它前面的部分";
  } else if (command.find_first_of("\r\n") != std::string_view::npos) {
    prepared.refusal = "一条指令不能换行";
  } else if (command.size() > kRconMaxRequestPayload) {
    prepared.refusal =
        Joined({"指令有 ", std::to_string(command.size()), " 字节，服务器一次最多接收 ",
                std::to_string(kRconMaxRequestPayload), " 字节"});
  }
  return prepared;
}

std::vector<std::string> RconCommandLines(std::string_view block) {
  std::vector<std::string> lines;
  while (!block.empty()) {
    const std::size_t end = block.find_first_of("\r\n");
    const std::string_view line = block.substr(0, end);
    if (!IsBlank(line)) lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    const bool crlf = block[end] == '\r' && end + 1 < block.size() && block[end + 1] == '\n';
    block.remove_prefix(end + (crlf ? 2 : 1));
  }
  return lines;
}

bool IsLocalOrPrivateHost(std::string_view host) {
  if (host == "localhost") return true;
  std::array<int, 4> ip{};
  if (ReadIpv4(host, ip)) {
    return ip[0] == 127 || ip[0] == 10 || (ip[0] == 172 && ip[1] >= 16 && ip[1] <= 31) ||
           (ip[0] == 192 && ip[1] == 168) || (ip[0] == 169 && ip[1] == 254);
  }
  return IsLocalIpv6(host);
}

std::int32_t RconSession::NextId() {
  // Positive and never the failure id; a session would need two billion requests to wrap.
  lastId_ = lastId_ >= 0x7FFFFFFF - 1 ? 1 : lastId_ + 1;
  return lastId_;
}

void RconSession::Close() {
  if (connected_) transport_.Close();
  connected_ = false;
  loggedIn_ = false;
  reader_ = RconPacketReader();
}

bool RconSession::NextPacket(Milliseconds deadline, RconPacket& packet, RconOutcome& failure) {
  for (;;) {
    switch (reader_.Next(packet)) {
      case RconPacketReader::Status::kPacket:
        return true;
      case RconPacketReader::Status::kBroken:
        failure = RconOutcome::kProtocolError;
        return false;
      case RconPacketReader::Status::kNeedMore:
        break;
    }
    const Milliseconds remaining = deadline - transport_.Now();
    if (remaining <= 0) {
      failure = RconOutcome::kNoReply;
      return false;
    }
    std::string bytes;
    switch (transport_.Receive(bytes, remaining)) {
      case RconTransport::Status::kOk:
        // A transport that reports bytes must have some; none would spin here without end.
        if (bytes.empty()) {
          failure = RconOutcome::kDropped;
          return false;
        }
        reader_.Feed(bytes);
        break;
      case RconTransport::Status::kTimeout:
        break;  // the deadline decides
      case RconTransport::Status::kCancelled:
        failure = RconOutcome::kCancelled;
        return false;
      default:
        failure = RconOutcome::kDropped;
        return false;
    }
  }
}

namespace {

RconOutcome OutcomeOfTransport(RconTransport::Status status) {
  switch (status) {
    case RconTransport::Status::kTimeout:
      return RconOutcome::kConnectTimeout;
    case RconTransport::Status::kRefused:
      return RconOutcome::kRefused;
    case RconTransport::Status::kUnresolved:
      return RconOutcome::kUnresolved;
    case RconTransport::Status::kCancelled:
      return RconOutcome::kCancelled;
    default:
      return RconOutcome::kDropped;
  }
}

}  // namespace

RconLogin RconSession::Open(std::string_view host, std::uint16_t port, std::string_view password) {
  Close();
  RconLogin login;
  if (password.find('\0') != std::string_view::npos) {
    login.outcome = RconOutcome::kNotSent;
    login.detail = "密码中有零字节";
    return login;
  }
  if (password.size() > kRconMaxRequestPayload) {
    login.outcome = RconOutcome::kNotSent;
    login.detail = Joined({"密码超过 ", std::to_string(kRconMaxRequestPayload), " 字节"});
    return login;
  }
  const RconTransport::Status connected = transport_.Connect(host, port, limits_.connect);
  if (connected != RconTransport::Status::kOk) {
    login.outcome = OutcomeOfTransport(connected);
    return login;
  }
  connected_ = true;
  const std::int32_t id = NextId();
  std::string packet = EncodeRconPacket(id, kRconLogin, password);
  const RconTransport::Status sent = transport_.Send(packet);
  WipeBytes(packet);
  if (sent != RconTransport::Status::kOk) {
    login.outcome = OutcomeOfTransport(sent);
    Close();
    return login;
  }
  const Milliseconds deadline = transport_.Now() + limits_.reply;
  RconPacket answer;
  for (;;) {
    if (!NextPacket(deadline, answer, login.outcome)) {
      login.detail = reader_.Reason();
      break;
    }
    if (answer.id == kRconAuthFailedId) {
      login.outcome = RconOutcome::kWrongPassword;
      break;
    }
    // Some servers send an empty response value ahead of the login's answer; it is skipped.
    if (answer.id == id && answer.type == kRconAuthResponse) {
      loggedIn_ = true;
      login.outcome = RconOutcome::kLoggedIn;
      return login;
    }
  }
  Close();
  return login;
}

RconReply RconSession::Run(std::string_view command) {
  RconReply reply;
  RconCommand prepared = PrepareRconCommand(command);
  reply.sent = std::move(prepared.sent);
  reply.slashRemoved = prepared.slashRemoved;
  if (!prepared.refusal.empty()) {
    reply.outcome = RconOutcome::kNotSent;
    reply.detail = std::move(prepared.refusal);
    return reply;
  }
  if (!loggedIn_) {
    reply.outcome = RconOutcome::kNotLoggedIn;
    return reply;
  }
  const std::int32_t id = NextId();
  const std::int32_t marker = NextId();
  const Milliseconds deadline = transport_.Now() + limits_.reply;
  RconTransport::Status sent = transport_.Send(EncodeRconPacket(id, kRconCommand, reply.sent));
  bool markerSent = false;
  RconPacket packet;
  while (sent == RconTransport::Status::kOk) {
    if (!NextPacket(deadline, packet, reply.outcome)) {
      reply.detail = reader_.Reason();
      break;
    }
    if (packet.id == kRconAuthFailedId) {
      reply.outcome = RconOutcome::kNotLoggedIn;
      break;
    }
    if (packet.id == id) {
      reply.replyBytes += packet.payload.size();
      if (reply.text.size() < limits_.maxReplyBytes + 4) {
        // A little beyond the limit, so that the cut can find the character boundary.
        reply.text.append(packet.payload, 0, limits_.maxReplyBytes + 4 - reply.text.size());
      }
      if (!markerSent) {
        sent = transport_.Send(EncodeRconPacket(marker, kRconResponseValue, ""));
        markerSent = true;
      }
    } else if (packet.id == marker && markerSent) {
      const bool cut = reply.replyBytes > limits_.maxReplyBytes;
      if (cut) reply.text.resize(Utf8CutPoint(reply.text, limits_.maxReplyBytes));
      reply.outcome = cut ? RconOutcome::kCut : RconOutcome::kReplied;
      return reply;
    }
    // Anything else answers an earlier marker (some servers answer one with two packets).
  }
  if (sent != RconTransport::Status::kOk) reply.outcome = OutcomeOfTransport(sent);
  if (reply.replyBytes > limits_.maxReplyBytes) {
    reply.text.resize(Utf8CutPoint(reply.text, limits_.maxReplyBytes));
  }
  Close();
  return reply;
}

}  // namespace net
