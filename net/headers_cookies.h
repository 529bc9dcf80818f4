// Header lines and cookie lists: the small text operations the web request and the network clock
// rest on. GBK text throughout; searches go through the shared text operations, so they never
// split a double-byte character. None of them keeps state or fails: a missing marker, separator
// or colon gives the empty text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace net {

// "Name: value": the name is everything before the first colon, the value everything after it
// (further colons included), both trimmed. A line without a colon has neither.
std::string HeaderName(std::string_view line);
std::string HeaderValue(std::string_view line);

// The text to the left of marker. A start of 0 or more searches forwards from that position
// (0 counts as 1). A negative start searches backwards for the last occurrence lying wholly in
// the text without its last -start bytes, where -1 means the whole text.
std::string TextBefore(std::string_view text, std::string_view marker, int start = 0,
                       bool ignoreCase = false);

// The text between the first startMarker at or after start and the first endMarker after it. In
// both markers "#引号" stands for a double-quote character.
std::string TextBetween(std::string_view text, std::string_view startMarker,
                        std::string_view endMarker, int start = 0, bool ignoreCase = false);

// The trimmed text before the first "=", or the whole entry trimmed.
std::string CookieName(std::string_view entry);
bool HasCookieNamed(const std::vector<std::string>& entries, std::string_view name);

// Merges two cookie lists ("a=1; b=2"): every cookie of newCookies with its new value, then the
// old cookies newCookies does not name, without deleted ones ("=deleted") and without repeats.
// Both lists are trimmed in place first; oldCookies receives the merged list, which is also
// returned.
std::string MergeCookies(std::string& oldCookies, std::string& newCookies);

// The items of text (split at separator, or its characters) without repeats, in first-seen order,
// joined with separator.
std::string RemoveDuplicates(std::string_view text, std::string_view separator,
                             bool splitBySeparator);

// The characters of text as base/gbk.h walks them (a lead byte from 0x81 to 0xFE with the byte
// after it, an escape), CR LF as one piece, any other byte alone; a lead byte at the end is a
// piece of its own.
std::vector<std::string> SplitCharacters(std::string_view text);

// The 1-based position of the first entry equal to item, or -1.
int IndexOfItem(const std::vector<std::string>& entries, std::string_view item);

}  // namespace net
