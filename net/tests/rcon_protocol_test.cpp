// The remote console's packets and text encoding: exact bytes out, and a reader that gives the
// same packets however the stream is cut into reads, and refuses hostile lengths unread.
#include "net/rcon_protocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/rcon_text.h"

namespace {

using net::RconPacket;
using net::RconPacketReader;

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (const int value : values) bytes += static_cast<char>(value);
  return bytes;
}

std::string LengthField(std::uint32_t length) {
  return Bytes({static_cast<int>(length & 0xFF), static_cast<int>((length >> 8) & 0xFF),
                static_cast<int>((length >> 16) & 0xFF), static_cast<int>(length >> 24)});
}

TEST(EncodeRconPacketTest, WritesLittleEndianFieldsAndTwoNuls) {
  EXPECT_EQ(net::EncodeRconPacket(1, net::kRconLogin, "pw"),
            Bytes({12, 0, 0, 0,  // length: id, type, "pw", two NULs
                   1, 0, 0, 0,   // id
                   3, 0, 0, 0,   // type: login
                   'p', 'w', 0, 0}));
  EXPECT_EQ(net::EncodeRconPacket(net::kRconAuthFailedId, net::kRconAuthResponse, ""),
            Bytes({10, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 0, 0}));
  EXPECT_EQ(net::EncodeRconPacket(0x12345678, net::kRconResponseValue, "\xE4\xB8\xAD"),
            Bytes({13, 0, 0, 0, 0x78, 0x56, 0x34, 0x12, 0, 0, 0, 0,  //
                   0xE4, 0xB8, 0xAD,                                 // U+4E2D in UTF-8
                   0, 0}));
}

struct StreamRow {
  const char* name;
  std::string stream;
  std::vector<RconPacket> packets;
  const char* reason = nullptr;  // part of the refusal, or nullptr when the stream stays whole
  std::size_t pending = 0;       // bytes left waiting for the rest of a packet
};

// Every way of reading the stream: whole, a byte at a time, and in two reads cut at each point.
std::vector<std::vector<std::string>> Readings(const std::string& stream) {
  std::vector<std::vector<std::string>> readings = {{stream}, {}};
  for (const char byte : stream) readings[1].emplace_back(1, byte);
  // Long streams are cut at a few points only, to keep the test quick.
  const std::size_t step = stream.size() > 200 ? stream.size() / 50 + 1 : 1;
  for (std::size_t cut = 1; cut < stream.size(); cut += step) {
    readings.push_back({stream.substr(0, cut), stream.substr(cut)});
  }
  return readings;
}

TEST(RconPacketReaderTest, GivesTheSamePacketsHoweverTheStreamIsRead) {
  const std::string largest(net::kRconMaxResponsePayload, 'x');
  const std::string login = net::EncodeRconPacket(7, net::kRconAuthResponse, "");
  const std::vector<StreamRow> rows = {
      {"an empty payload", login, {{7, 2, ""}}, nullptr},
      {"several packets in one stream",
       login + net::EncodeRconPacket(8, 0, "§a你好") + net::EncodeRconPacket(-1, 2, ""),
       {{7, 2, ""}, {8, 0, "§a你好"}, {-1, 2, ""}},
       nullptr},
      {"the largest payload a server sends",
       net::EncodeRconPacket(1, 0, largest),
       {{1, 0, largest}},
       nullptr},
      {"a NUL inside the payload ends it",
       LengthField(15) + Bytes({2, 0, 0, 0, 0, 0, 0, 0, 'a', 'b', 0, 'c', 'd', 0, 0}),
       {{2, 0, "ab"}},
       nullptr},
      {"a truncated packet waits for the rest", login.substr(0, 13), {}, nullptr, 13},
      {"a truncated length field waits for the rest", Bytes({10, 0, 0}), {}, nullptr, 3},
      {"one byte over the largest length",
       net::EncodeRconPacket(1, 0, largest + "y"),
       {},
       "超过上限 12298"},
      {"a length below the minimum", LengthField(9) + std::string(9, '\0'), {}, "小于最小的 10"},
      {"a length of zero", LengthField(0), {}, "长度 0 小于"},
      {"a negative length", LengthField(0xFFFFFFF6) + login, {}, "长度 -10 小于"},
      // Refused on its four bytes alone, without waiting for two gigabytes to arrive.
      {"a malicious length after a good packet",
       login + LengthField(0x7FFFFFFF) + "junk",
       {{7, 2, ""}},
       "2147483647 超过上限"},
      {"no NULs at the end",
       LengthField(10) + Bytes({1, 0, 0, 0, 0, 0, 0, 0, 'a', 'b'}),
       {},
       "没有以两个零字节结尾"},
      {"one NUL at the end",
       LengthField(10) + Bytes({1, 0, 0, 0, 0, 0, 0, 0, 0, 'b'}) + login,
       {},
       "没有以两个零字节结尾"},
  };
  for (const StreamRow& row : rows) {
    for (const std::vector<std::string>& reads : Readings(row.stream)) {
      SCOPED_TRACE(std::string(row.name) + ", read in " + std::to_string(reads.size()) + " pieces");
      RconPacketReader reader;
      std::vector<RconPacket> packets;
      RconPacketReader::Status status = RconPacketReader::Status::kNeedMore;
      for (const std::string& piece : reads) {
        reader.Feed(piece);
        RconPacket packet;
        // At most one packet per six bytes fed: the loop ends even on a reader that never breaks.
        for (std::size_t i = 0; i <= row.stream.size() / 6; ++i) {
          status = reader.Next(packet);
          if (status != RconPacketReader::Status::kPacket) break;
          packets.push_back(packet);
        }
      }
      EXPECT_EQ(packets, row.packets);
      if (row.reason == nullptr) {
        EXPECT_EQ(status, RconPacketReader::Status::kNeedMore);
        EXPECT_FALSE(reader.Broken());
        EXPECT_EQ(reader.Pending(), row.pending);
      } else {
        EXPECT_EQ(status, RconPacketReader::Status::kBroken);
        EXPECT_NE(reader.Reason().find(row.reason), std::string::npos) << reader.Reason();
        reader.Feed(login);  // a broken stream stays broken
        RconPacket packet;
        EXPECT_EQ(reader.Next(packet), RconPacketReader::Status::kBroken);
        EXPECT_EQ(reader.Pending(), 0u);
      }
    }
  }
}

TEST(RconTextTest, Utf8FromUtf16RefusesOnlyLoneSurrogates) {
  struct Row {
    std::u16string text;
    std::optional<std::string> utf8;
    std::size_t badUnit;
  };
  const Row rows[] = {
      {u"", "", 0},
      {u"say hi", "say hi", 0},
      {u"\u00A7a\u4F60\u597D",
       "\xC2\xA7"  // U+00A7 section sign
       "a"
       "\xE4\xBD\xA0"   // U+4F60
       "\xE5\xA5\xBD",  // U+597D
       0},
      {u"\U0001F600!", "\xF0\x9F\x98\x80!", 0},  // a surrogate pair: one four-byte character
      {u"\u07FF\u0800\uFFFF", "\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF", 0},
      {u"ab\xD83D", std::nullopt, 2},             // a high surrogate at the end
      {u"a\xDE00z", std::nullopt, 1},             // a low surrogate alone
      {u"x\xD83D\xD83D\xDE00", std::nullopt, 1},  // a high surrogate before a whole pair
  };
  for (const Row& row : rows) {
    std::size_t badUnit = 99;
    EXPECT_EQ(net::Utf8FromUtf16(row.text, &badUnit), row.utf8);
    EXPECT_EQ(badUnit, row.utf8 ? 99 : row.badUnit);
  }
}

TEST(RconTextTest, ServerBytesAreReadAsUtf8WithLatin1ForStrayBytes) {
  const std::pair<std::string, std::u16string> rows[] = {
      {"", u""},
      {"\xC2\xA7"
       "a\xE4\xBD\xA0",
       u"\u00A7a\u4F60"},
      {"\xF0\x9F\x98\x80", u"\U0001F600"},
      {"\xA7"
       "c",
       u"\u00A7c"},                             // an older server's single-byte colour sign
      {"\xC0\xAF", u"\u00C0\u00AF"},            // an overlong '/' is not UTF-8
      {"\xED\xA0\x80", u"\u00ED\u00A0\u0080"},  // nor is an encoded surrogate
      {"\xF4\x90\x80\x80", u"\u00F4\u0090\u0080\u0080"},  // nor anything beyond U+10FFFF
      {"\xE4\xBD", u"\u00E4\u00BD"},                      // a character cut off at the end
      {"\xE4"
       "a",
       u"\u00E4a"},
  };
  for (const auto& [bytes, text] : rows) EXPECT_EQ(net::Utf16FromServerBytes(bytes), text);
}

TEST(RconTextTest, CutPointNeverSplitsACharacter) {
  const std::string text = "ab\xE4\xBD\xA0\xF0\x9F\x98\x80";  // a, b, U+4F60, U+1F600
  const std::size_t expected[] = {0, 1, 2, 2, 2, 5, 5, 5, 5, 9, 9};
  for (std::size_t limit = 0; limit < std::size(expected); ++limit) {
    EXPECT_EQ(net::Utf8CutPoint(text, limit), expected[limit]) << "limit " << limit;
  }
}

}  // namespace
