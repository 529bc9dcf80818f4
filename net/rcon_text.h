// The remote console's text encoding. The game's server reads every payload as UTF-8 and writes
// every answer as UTF-8 (its packet helpers decode and encode with UTF-8 explicitly, whatever the
// server machine's locale), so Chinese text travels as UTF-8 both ways. The program's texts are
// GBK; the Windows side converts GBK to UTF-16 and back (base/text_win.h), and these functions
// take UTF-16 to and from the server's bytes.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace net {

// The UTF-8 bytes of a UTF-16 text. A lone surrogate has no UTF-8 form: the result is then
// nothing, and *badUnit (when given) is the index of that unit. Nothing is ever replaced.
std::optional<std::string> Utf8FromUtf16(std::u16string_view text, std::size_t* badUnit = nullptr);

// The UTF-16 text of a server's answer. Valid UTF-8 is decoded; a byte that starts no valid UTF-8
// sequence is taken as the Latin-1 character of that value, because older servers send the
// colour sign '§' as the single byte 0xA7. No byte is dropped, so the colour codes stay as text.
std::u16string Utf16FromServerBytes(std::string_view bytes);

// The largest n <= limit with bytes.substr(0, n) ending on a character boundary of UTF-8 (n is
// limit when bytes has no more than limit bytes).
std::size_t Utf8CutPoint(std::string_view bytes, std::size_t limit);

// The parts one after the other: how the log's texts are put together from literals and numbers.
std::string Joined(std::initializer_list<std::string_view> parts);

}  // namespace net
