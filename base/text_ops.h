// The text operations every part of the program shares. Texts are GBK bytes walked as
// base/gbk.h says (a byte from 0x81 to 0xFE with the byte after it is one character, and so is an
// escape of a unit GBK cannot hold), so searches never start a match inside a character and case
// folding never touches a trail byte. Positions are 1-based byte positions; a double-byte
// character counts two.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace base {

using Bytes = std::vector<std::uint8_t>;

// The position of the first occurrence of search at or after start (0 or 1: from the beginning),
// or -1. An empty search is never found. ignoreCase folds ASCII letters only.
int Find(std::string_view text, std::string_view search, int start = 1, bool ignoreCase = false);

// The position of the last occurrence lying wholly inside the first start - 1 bytes (no start:
// the whole text), or -1.
int FindLast(std::string_view text, std::string_view search, std::optional<int> start = {},
             bool ignoreCase = false);

// The first or last min(n, length) bytes; n of 0 or less gives the empty text.
std::string Left(std::string_view text, int n);
std::string Right(std::string_view text, int n);

// Replaces occurrences from left to right, starting at start, without rescanning replaced text.
// No count replaces all; a count of 0 or less replaces none. An empty find changes nothing.
std::string Replace(std::string_view text, std::string_view find, std::string_view with = {},
                    int start = 1, std::optional<int> count = {}, bool caseSensitive = false);

// The pieces between separators in order. Empty pieces between separators are kept, the rest after
// the last separator only when it is not empty; the empty text gives no pieces. An empty separator
// gives the whole text as one piece.
std::vector<std::string> Split(std::string_view text, std::string_view separator);

// Removes ASCII spaces and full-width spaces (0xA1 0xA1) at both ends; tabs, CR and LF stay.
std::string Trim(std::string_view text);

// The text's bytes, without a terminating NUL.
Bytes TextToBytes(std::string_view text);

}  // namespace base
