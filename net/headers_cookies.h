// Header lines and cookie lists: the small text operations the web request and the network clock
// rest on. GBK text throughout; searches go through the shared text operations, so they never
// split a double-byte character. None of them keeps state or fails: a missing marker, separator
// or colon gives the empty text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace net {

// "Name: value": the name is everything before the first colon, the value everything after it
// (further colons included), both trimmed. A line without a colon has neither.
std::string HeaderName(std::string_view line);
std::string HeaderValue(std::string_view line);

// Whether two header names are the same name: equal bytes, ASCII letters in any case.
[[nodiscard]] bool SameHeaderName(std::string_view a, std::string_view b);

// The value of a response header line named name, whatever the letter case of the name, which
// must open the line and be followed directly by the colon: the rest of the line without the
// spaces and tabs that may follow the colon. Nothing for a line with another name.
[[nodiscard]] std::optional<std::string_view> FieldValue(std::string_view line,
                                                         std::string_view name);

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
[[nodiscard]] bool HasCookieNamed(const std::vector<std::string>& entries, std::string_view name);

// Merges two cookie lists ("a=1; b=2"): every cookie of newCookies with its new value, then the
// old cookies newCookies does not name, without deleted ones ("=deleted") and without repeats.
// Both lists are trimmed in place first; oldCookies receives the merged list, which is also
// returned.
std::string MergeCookies(std::string& oldCookies, std::string& newCookies);

// The items of text split at separator, without repeats, in first-seen order, joined with
// separator.
std::string RemoveDuplicates(std::string_view text, std::string_view separator);

// The 1-based position of the first entry equal to item, or -1.
int IndexOfItem(const std::vector<std::string>& entries, std::string_view item);

}  // namespace net
