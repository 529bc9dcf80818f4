// The program's GBK conversion for native tests and fuzzers, where there is no Windows: code page
// 936 from the C library, with the same escapes as on Windows. As there, a UTF-16 unit has a GBK
// code only when it comes back unchanged and the code holds no 0xFF; every other unit travels as
// the escape of base/gbk.h.
#pragma once

#include <iconv.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/gbk.h"
#include "base/unicode.h"

namespace compose::testing {

class GbkTables {
 public:
  static const GbkTables& Get() {
    static const GbkTables tables;
    return tables;
  }

  std::u16string Wide(std::string_view gbk) const {
    std::u16string wide;
    wide.reserve(gbk.size());
    for (std::size_t at = 0; at < gbk.size();) {
      const std::size_t length = base::CharLength(gbk, at);
      if (length == base::kUnitEscapeLength) {
        wide += *base::EscapedUnitAt(gbk, at);
      } else {
        const auto first = static_cast<unsigned char>(gbk[at]);
        const unsigned code =
            length == 2 ? first * 256 + static_cast<unsigned char>(gbk[at + 1]) : first;
        wide += units_[code] != kNone ? units_[code] : u'\xFFFD';
      }
      at += length;
    }
    return wide;
  }

  std::string Gbk(std::u16string_view wide) const {
    std::string gbk;
    gbk.reserve(wide.size() * 2);
    for (const char16_t unit : wide) {
      const std::uint16_t code = codes_[unit];
      if (code == kNone) {
        base::AppendEscapedUnit(gbk, unit);
      } else if (code < 0x100) {
        gbk += static_cast<char>(code);
      } else {
        gbk += static_cast<char>(code >> 8);
        gbk += static_cast<char>(code & 0xFF);
      }
    }
    return gbk;
  }

 private:
  static constexpr std::uint16_t kNone = 0xFFFF;

  GbkTables() {
    codes_.fill(kNone);
    units_.fill(kNone);
    const iconv_t toGbk = iconv_open("CP936", "UTF-16LE");
    const iconv_t toWide = iconv_open("UTF-16LE", "CP936");
    for (unsigned u = 0; u < 0x10000; ++u) {
      if (u >= 0xD800 && u <= 0xDFFF) continue;
      char in[2] = {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
      unsigned char out[4] = {};
      const std::size_t length = Convert(toGbk, in, 2, reinterpret_cast<char*>(out), 4);
      if (length < 1 || length > 2 || out[0] == 0xFF || (length == 2 && out[1] == 0xFF)) continue;
      if ((length == 2) != base::IsLeadByte(out[0])) continue;
      char back[4] = {};
      if (Convert(toWide, reinterpret_cast<char*>(out), length, back, 4) != 2) continue;
      const unsigned backUnit =
          static_cast<unsigned char>(back[0]) | static_cast<unsigned char>(back[1]) << 8;
      if (backUnit != u) continue;
      const unsigned code = length == 2 ? out[0] * 256 + out[1] : out[0];
      codes_[u] = static_cast<std::uint16_t>(code);
      units_[code] = static_cast<char16_t>(u);
    }
    iconv_close(toGbk);
    iconv_close(toWide);
  }

  // Bytes written, or 0 when the conversion failed.
  static std::size_t Convert(iconv_t cd, char* in, std::size_t inSize, char* out,
                             std::size_t outSize) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::size_t inLeft = inSize;
    std::size_t outLeft = outSize;
    if (iconv(cd, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) {
      return 0;
    }
    return outSize - outLeft;
  }

  std::array<std::uint16_t, 0x10000> codes_{};  // GBK code of each unit
  std::array<char16_t, 0x10000> units_{};       // unit of each GBK code
};

inline const base::GbkCodec kGbkCodec{
    [](std::string_view gbk) { return GbkTables::Get().Wide(gbk); },
    [](std::u16string_view wide) { return GbkTables::Get().Gbk(wide); },
};

}  // namespace compose::testing
