// The remote-console session against an in-memory server that behaves as the game's does: it
// reads requests only while the client waits, takes one read per packet and closes the connection
// when a read holds more than one. Its clock moves only while the session waits, so every limit
// is checked exactly and at once.
#include "net/rcon_session.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using net::Milliseconds;
using net::RconOutcome;
using net::RconPacket;
using net::RconTransport;

class FakeServer final : public RconTransport {
 public:
  // The reply packets' payloads for a command; the default echoes the command in one packet.
  std::function<std::vector<std::string>(const std::string& command)> replies =
      [](const std::string& command) { return std::vector<std::string>{"ran " + command}; };
  std::string password = "pw";
  Status connectStatus = Status::kOk;
  bool emptyValueBeforeLogin = false;  // as some servers answer a login
  bool silent = false;                 // reads requests and never answers
  int dropAfterRequests = -1;          // closes the connection after reading that many requests
  bool cancelled = false;
  std::size_t piece = 0;  // delivers its bytes in reads of this many bytes (0: all at once)

  std::vector<RconPacket> requests;  // every request it read, in order
  Milliseconds now = 1000;
  bool connected = false;

  void Answer(std::int32_t id, std::int32_t type, const std::string& payload) {
    outbox_ += net::EncodeRconPacket(id, type, payload);
  }
  void AnswerBytes(const std::string& bytes) { outbox_ += bytes; }
  void ForgetLogin() { loggedIn_ = false; }

  Status Connect(std::string_view, std::uint16_t, Milliseconds limit) override {
    if (connectStatus == Status::kTimeout) now += limit;
    connected = connectStatus == Status::kOk;
    return connectStatus;
  }
  Status Send(std::string_view bytes) override {
    if (cancelled) return Status::kCancelled;
    if (closed_) return Status::kClosed;
    inbox_.append(bytes);
    return Status::kOk;
  }
  Status Receive(std::string& bytes, Milliseconds wait) override {
    if (cancelled) return Status::kCancelled;
    ReadRequest();
    if (!outbox_.empty()) {
      const std::size_t size = piece == 0 ? outbox_.size() : std::min(piece, outbox_.size());
      bytes += outbox_.substr(0, size);
      outbox_.erase(0, size);
      return Status::kOk;
    }
    if (closed_) return Status::kClosed;
    now += wait;
    return Status::kTimeout;
  }
  void Close() override { connected = false; }
  Milliseconds Now() override { return now; }

  std::vector<std::string> Commands() const {
    std::vector<std::string> commands;
    for (const RconPacket& request : requests) {
      if (request.type == net::kRconCommand) commands.push_back(request.payload);
    }
    return commands;
  }

 private:
  void ReadRequest() {
    if (inbox_.empty() || closed_) return;
    net::RconPacketReader reader;
    reader.Feed(inbox_);
    inbox_.clear();
    RconPacket request;
    if (reader.Next(request) != net::RconPacketReader::Status::kPacket || reader.Pending() != 0) {
      closed_ = true;  // what the game's server does with a read that is not one whole packet
      return;
    }
    requests.push_back(request);
    if (static_cast<int>(requests.size()) == dropAfterRequests) closed_ = true;
    if (closed_ || silent) return;
    if (request.type == net::kRconLogin) {
      loggedIn_ = request.payload == password;
      if (emptyValueBeforeLogin) Answer(request.id, net::kRconResponseValue, "");
      Answer(loggedIn_ ? request.id : net::kRconAuthFailedId, net::kRconAuthResponse, "");
    } else if (!loggedIn_) {
      Answer(net::kRconAuthFailedId, net::kRconAuthResponse, "");
    } else if (request.type == net::kRconCommand) {
      for (const std::string& payload : replies(request.payload)) {
        Answer(request.id, net::kRconResponseValue, payload);
      }
    } else {
      Answer(request.id, net::kRconResponseValue,
             "Unknown request " + std::to_string(request.type));
    }
  }

  std::string inbox_;
  std::string outbox_;
  bool closed_ = false;
  bool loggedIn_ = false;
};

const net::RconLimits kLimits = {.connect = 3000, .reply = 10000, .maxReplyBytes = 1024 * 1024};

TEST(RconSessionTest, LoginOutcomes) {
  struct Row {
    const char* name;
    std::function<void(FakeServer&)> setUp;
    std::string password;
    RconOutcome outcome;
    Milliseconds waited;  // on the server's clock
  };
  const Row rows[] = {
      {"the right password", [](FakeServer&) {}, "pw", RconOutcome::kLoggedIn, 0},
      {"an empty response value first", [](FakeServer& s) { s.emptyValueBeforeLogin = true; }, "pw",
       RconOutcome::kLoggedIn, 0},
      {"a wrong password", [](FakeServer&) {}, "wrong", RconOutcome::kWrongPassword, 0},
      {"a wrong password after an empty response value",
       [](FakeServer& s) { s.emptyValueBeforeLogin = true; }, "", RconOutcome::kWrongPassword, 0},
      {"a silent server", [](FakeServer& s) { s.silent = true; }, "pw", RconOutcome::kNoReply,
       10000},
      {"a server that drops the connection", [](FakeServer& s) { s.dropAfterRequests = 1; }, "pw",
       RconOutcome::kDropped, 0},
      {"a refused connection",
       [](FakeServer& s) { s.connectStatus = RconTransport::Status::kRefused; }, "pw",
       RconOutcome::kRefused, 0},
      {"an unknown host",
       [](FakeServer& s) { s.connectStatus = RconTransport::Status::kUnresolved; }, "pw",
       RconOutcome::kUnresolved, 0},
      {"no connection in time",
       [](FakeServer& s) { s.connectStatus = RconTransport::Status::kTimeout; }, "pw",
       RconOutcome::kConnectTimeout, 3000},
      {"a cancel", [](FakeServer& s) { s.cancelled = true; }, "pw", RconOutcome::kCancelled, 0},
      {"a hostile length", [](FakeServer& s) { s.AnswerBytes(std::string("\xFF\xFF\xFF\x7F", 4)); },
       "pw", RconOutcome::kProtocolError, 0},
      {"a password the server cannot take", [](FakeServer&) {}, std::string(1447, 'p'),
       RconOutcome::kNotSent, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeServer server;
    row.setUp(server);
    net::RconSession session(server, kLimits);
    const net::RconLogin login = session.Open("127.0.0.1", net::kRconDefaultPort, row.password);
    EXPECT_EQ(login.outcome, row.outcome);
    EXPECT_EQ(session.LoggedIn(), row.outcome == RconOutcome::kLoggedIn);
    EXPECT_EQ(server.connected, row.outcome == RconOutcome::kLoggedIn);
    EXPECT_EQ(server.now - 1000, row.waited);
    EXPECT_EQ(login.detail.empty(),
              row.outcome != RconOutcome::kProtocolError && row.outcome != RconOutcome::kNotSent);
  }
}

std::vector<std::string> Packets(const std::string& text, std::size_t size) {
  std::vector<std::string> packets;
  for (std::size_t at = 0; at < text.size(); at += size) packets.push_back(text.substr(at, size));
  return packets;
}

TEST(RconSessionTest, CommandOutcomes) {
  struct Row {
    const char* name;
    std::function<void(FakeServer&)> setUp;
    std::string command;
    RconOutcome outcome;
    std::string text;
    std::string sent;
    Milliseconds waited = 0;
  };
  const Row rows[] = {
      {"a one-packet reply", [](FakeServer&) {}, "list", RconOutcome::kReplied, "ran list", "list"},
      {"a leading slash is removed", [](FakeServer&) {}, "/say hi", RconOutcome::kReplied,
       "ran say hi", "say hi"},
      {"only one slash is removed", [](FakeServer&) {}, "//wand", RconOutcome::kReplied,
       "ran /wand", "/wand"},
      {"a reply in several packets",
       [](FakeServer& s) {
         s.replies = [](const std::string&) { return std::vector<std::string>{"a\n", "b\n", "c"}; };
       },
       "help", RconOutcome::kReplied, "a\nb\nc", "help"},
      {"packets cut into odd reads",
       [](FakeServer& s) {
         s.piece = 7;
         s.replies = [](const std::string&) { return Packets(std::string(100, 'z'), 30); };
       },
       "x", RconOutcome::kReplied, std::string(100, 'z'), "x"},
      {"an empty reply",
       [](FakeServer& s) {
         s.replies = [](const std::string&) { return std::vector<std::string>{""}; };
       },
       "save-all", RconOutcome::kReplied, "", "save-all"},
      {"the longest command the server takes", [](FakeServer&) {}, std::string(1446, 'c'),
       RconOutcome::kReplied, "ran " + std::string(1446, 'c'), std::string(1446, 'c')},
      {"a server that answers as to a stranger", [](FakeServer& s) { s.ForgetLogin(); }, "list",
       RconOutcome::kNotLoggedIn, "", "list"},
      {"a server that never answers the command",
       [](FakeServer& s) {
         s.replies = [](const std::string&) { return std::vector<std::string>{}; };
       },
       "list", RconOutcome::kNoReply, "", "list", 10000},
      {"a server that drops the connection mid-reply",
       [](FakeServer& s) { s.dropAfterRequests = 3; }, "list", RconOutcome::kDropped, "ran list",
       "list"},
      {"a hostile length mid-reply",
       [](FakeServer& s) {
         s.replies = [&s](const std::string&) {
           s.AnswerBytes(std::string("\x0A\x00\x00\x80", 4));
           return std::vector<std::string>{};
         };
       },
       "list", RconOutcome::kProtocolError, "", "list"},
      {"a cancel", [](FakeServer& s) { s.cancelled = true; }, "list", RconOutcome::kCancelled, "",
       "list"},
      {"an empty command", [](FakeServer&) {}, "", RconOutcome::kNotSent, "", ""},
      {"a lone slash", [](FakeServer&) {}, "/", RconOutcome::kNotSent, "", ""},
      {"a line break", [](FakeServer&) {}, "say a\nsay b", RconOutcome::kNotSent, "",
       "say a\nsay b"},
      {"a NUL", [](FakeServer&) {}, std::string("say a\0b", 7), RconOutcome::kNotSent, "",
       std::string("say a\0b", 7)},
      {"one byte more than the server takes", [](FakeServer&) {}, "/" + std::string(1447, 'c'),
       RconOutcome::kNotSent, "", std::string(1447, 'c')},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeServer server;
    net::RconSession session(server, kLimits);
    ASSERT_EQ(session.Open("127.0.0.1", 25575, "pw").outcome, RconOutcome::kLoggedIn);
    row.setUp(server);
    const std::size_t requestsBefore = server.requests.size();
    const Milliseconds before = server.now;
    const net::RconReply reply = session.Run(row.command);
    EXPECT_EQ(reply.outcome, row.outcome);
    EXPECT_EQ(reply.text, row.text);
    EXPECT_EQ(reply.sent, row.sent);
    EXPECT_EQ(reply.slashRemoved, !row.command.empty() && row.command[0] == '/');
    EXPECT_EQ(server.now - before, row.waited);
    const bool kept = row.outcome == RconOutcome::kReplied || row.outcome == RconOutcome::kNotSent;
    EXPECT_EQ(session.LoggedIn(), kept);
    EXPECT_EQ(server.connected, kept);
    if (row.outcome == RconOutcome::kNotSent) {
      EXPECT_EQ(server.requests.size(), requestsBefore);
      EXPECT_FALSE(reply.detail.empty());
    }
  }
}

TEST(RconSessionTest, ABlockRunsInOrderOnOneConnection) {
  FakeServer server;
  net::RconSession session(server, kLimits);
  ASSERT_EQ(session.Open("127.0.0.1", 25575, "pw").outcome, RconOutcome::kLoggedIn);
  std::vector<std::string> expected;
  for (int i = 1; i <= 20; ++i) {
    const std::string command = "say line " + std::to_string(i);
    expected.push_back(command);
    const net::RconReply reply = session.Run("/" + command);
    ASSERT_EQ(reply.outcome, RconOutcome::kReplied) << i;
    EXPECT_EQ(reply.text, "ran " + command);
    // Some servers answer the end marker with a second packet, which comes late and must not be
    // taken for part of the next reply.
    server.Answer(server.requests.back().id, net::kRconResponseValue, std::string("\0\x01", 2));
  }
  EXPECT_EQ(server.Commands(), expected);
  std::vector<std::int32_t> ids;
  for (const RconPacket& request : server.requests) ids.push_back(request.id);
  for (std::size_t i = 1; i < ids.size(); ++i) EXPECT_GT(ids[i], ids[i - 1]);
  EXPECT_EQ(server.now, 1000);  // nobody waited for a limit
}

TEST(RconSessionTest, ALongReplyIsCutOnACharacterAndTheRestDrained) {
  // Three-byte characters, as Chinese is in UTF-8: the limits 1000 and 1001 fall inside one.
  const std::string character = "\xE4\xBD\xA0";  // U+4F60 in UTF-8
  std::string text;
  for (int i = 0; i < 1000; ++i) text += character;
  for (const std::size_t limit : {std::size_t{1000}, std::size_t{1001}, std::size_t{1002}}) {
    SCOPED_TRACE(limit);
    FakeServer server;
    server.replies = [&](const std::string&) { return Packets(text, 128); };
    net::RconSession session(server, {.maxReplyBytes = limit});
    ASSERT_EQ(session.Open("127.0.0.1", 25575, "pw").outcome, RconOutcome::kLoggedIn);
    const net::RconReply reply = session.Run("dump");
    EXPECT_EQ(reply.outcome, RconOutcome::kCut);
    EXPECT_EQ(reply.replyBytes, text.size());
    EXPECT_EQ(reply.text, text.substr(0, limit / 3 * 3));
    // Drained up to the marker's answer: the connection serves the next command as usual.
    server.replies = [](const std::string&) { return std::vector<std::string>{"ok"}; };
    EXPECT_EQ(session.Run("list").text, "ok");
  }
}

TEST(RconSessionTest, HelperTables) {
  const std::pair<const char*, std::vector<std::string>> blocks[] = {
      {"", {}},
      {"a", {"a"}},
      {"/a\r\nb\n\n  \t\r\n\rc\r", {"/a", "b", "c"}},
      {" indented \n", {" indented "}},
  };
  for (const auto& [block, lines] : blocks) EXPECT_EQ(net::RconCommandLines(block), lines) << block;

  const std::pair<const char*, bool> hosts[] = {
      {"127.0.0.1", true},
      {"127.255.0.9", true},
      {"10.1.2.3", true},
      {"172.16.0.1", true},
      {"172.31.255.255", true},
      {"172.32.0.1", false},
      {"172.15.0.1", false},
      {"192.168.1.20", true},
      {"192.169.1.1", false},
      {"169.254.3.4", true},
      {"8.8.8.8", false},
      {"localhost", true},
      {"::1", true},
      {"[::1]", true},
      {"fd12::3", true},
      {"fe80::1%3", true},
      {"2001:db8::1", false},
      {"mc.example.com", false},
      {"10.1.2", false},
      {"10.1.2.3.4", false},
      {"1000.1.1.1", false},
      {"10.0.0.256", false},
      {"", false},
      {"::", false},
  };
  for (const auto& [host, local] : hosts) EXPECT_EQ(net::IsLocalOrPrivateHost(host), local) << host;

  const net::RconLimits limits = {.connect = 3000, .reply = 2500, .maxReplyBytes = 1024 * 1024};
  EXPECT_EQ(net::RconOutcomeText(RconOutcome::kConnectTimeout, limits), "3 秒内连不上服务器");
  EXPECT_EQ(net::RconOutcomeText(RconOutcome::kNoReply, limits),
            "2.5 秒内没有收到服务器的完整回复");
  EXPECT_EQ(net::RconOutcomeText(RconOutcome::kCut, limits),
            "回复超过 1 MiB，只保留开头的 1 MiB，其余已舍弃");
}

}  // namespace
