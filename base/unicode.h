// UTF-8 and UTF-16 for texts that leave the program as files, and the seam through which
// portable code reaches the program's one GBK conversion. Texts inside the program stay GBK
// bytes (base/gbk.h); only files are UTF-8, so that any editor and any version control read them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace base {

// UTF-8 of a UTF-16 text. A lone surrogate, which UTF-8 cannot spell, is written as the three
// bytes its code would take (as WTF-8 does), so that every UTF-16 text comes back unchanged.
std::string Utf8FromUtf16(std::u16string_view text);

// The UTF-16 of a UTF-8 text, or nothing when the text is not UTF-8: a stray or missing
// continuation byte, an overlong or out-of-range form. The three-byte form of a lone surrogate
// is read as Utf8FromUtf16 writes it; the forms of a surrogate pair written apart are refused,
// so each text has one spelling.
std::optional<std::u16string> Utf16FromUtf8(std::string_view text);

// The UTF-16 of two bytes a unit, little- or big-endian; an odd last byte is dropped.
std::u16string Utf16FromBytes(std::string_view bytes, bool bigEndian);

// The program's GBK conversion, passed to portable code that turns GBK into files and back. It
// must be exact both ways, escapes included: on Windows it is base/text_win's.
struct GbkCodec {
  std::u16string (*wideFromGbk)(std::string_view gbk);
  std::string (*gbkFromWide)(std::u16string_view wide);
};

}  // namespace base
