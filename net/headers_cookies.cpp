// Header lines and cookie lists over the shared GBK text operations.
#include "net/headers_cookies.h"

#include "base/gbk.h"
#include "net/text_ops.h"

namespace net {
namespace {

constexpr std::string_view kQuotePlaceholder = "#引号";
constexpr std::string_view kCookieSeparator = "; ";
constexpr std::string_view kDeletedMark = "=deleted";

// Trims a cookie list in place; a list that then ends in ";" gets its space back, so that
// splitting at "; " sees the separator.
void NormaliseCookieList(std::string& list) {
  list = Trim(list);
  if (!list.empty() && list.back() == ';') list += ' ';
}

}  // namespace

std::string HeaderName(std::string_view line) {
  const int colon = Find(line, ":");
  if (colon == -1) return {};
  return Trim(line.substr(0, static_cast<std::size_t>(colon) - 1));
}

std::string HeaderValue(std::string_view line) {
  const int colon = Find(line, ":");
  if (colon == -1) return {};
  return Trim(line.substr(static_cast<std::size_t>(colon)));
}

std::string TextBefore(std::string_view text, std::string_view marker, int start, bool ignoreCase) {
  int position;
  if (start < 0) {
    long long ignored = -static_cast<long long>(start);
    if (ignored == 1) ignored = 0;
    const long long kept = static_cast<long long>(text.size()) - ignored;
    if (kept < 0) return {};
    position = FindLast(text, marker, static_cast<int>(kept) + 1, ignoreCase);
  } else {
    position = Find(text, marker, start, ignoreCase);
  }
  if (position == -1) return {};
  return std::string(text.substr(0, static_cast<std::size_t>(position) - 1));
}

std::string TextBetween(std::string_view text, std::string_view startMarker,
                        std::string_view endMarker, int start, bool ignoreCase) {
  const std::string opening = Replace(startMarker, kQuotePlaceholder, "\"", 1, {}, true);
  const std::string closing = Replace(endMarker, kQuotePlaceholder, "\"", 1, {}, true);
  const int found = Find(text, opening, start, ignoreCase);
  if (found == -1) return {};
  const int after = found + static_cast<int>(opening.size());
  const int end = Find(text, closing, after, ignoreCase);
  if (end == -1) return {};
  return std::string(
      text.substr(static_cast<std::size_t>(after) - 1, static_cast<std::size_t>(end - after)));
}

std::string CookieName(std::string_view entry) {
  const int equals = Find(entry, "=");
  if (equals == -1) return Trim(entry);
  return Trim(entry.substr(0, static_cast<std::size_t>(equals) - 1));
}

bool HasCookieNamed(const std::vector<std::string>& entries, std::string_view name) {
  for (const std::string& entry : entries) {
    if (CookieName(entry) == name) return true;
  }
  return false;
}

std::string MergeCookies(std::string& oldCookies, std::string& newCookies) {
  NormaliseCookieList(oldCookies);
  NormaliseCookieList(newCookies);
  const std::vector<std::string> oldEntries = Split(oldCookies, kCookieSeparator);
  std::vector<std::string> merged = Split(newCookies, kCookieSeparator);
  for (const std::string& entry : oldEntries) {
    // Sees the entries appended before it: of several old entries with one name the first wins.
    if (!HasCookieNamed(merged, CookieName(entry))) merged.push_back(entry);
  }
  oldCookies.clear();
  for (const std::string& entry : merged) {
    if (Right(entry, static_cast<int>(kDeletedMark.size())) == kDeletedMark) continue;
    oldCookies += entry;
    oldCookies += kCookieSeparator;
  }
  oldCookies = Left(oldCookies, static_cast<int>(oldCookies.size()) - 2);
  oldCookies = RemoveDuplicates(oldCookies, kCookieSeparator, true);
  return oldCookies;
}

std::string RemoveDuplicates(std::string_view text, std::string_view separator,
                             bool splitBySeparator) {
  const std::vector<std::string> items =
      splitBySeparator ? Split(text, separator) : SplitCharacters(text);
  std::vector<std::string> seen;
  std::string result;
  for (const std::string& item : items) {
    if (IndexOfItem(seen, item) != -1) continue;
    seen.push_back(item);
    result += item;
    result += separator;
  }
  return Left(result, static_cast<int>(result.size()) - static_cast<int>(separator.size()));
}

std::vector<std::string> SplitCharacters(std::string_view text) {
  std::vector<std::string> pieces;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t length = base::CharLength(text, i);
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') length = 2;
    pieces.emplace_back(text.substr(i, length));
    i += length;
  }
  return pieces;
}

int IndexOfItem(const std::vector<std::string>& entries, std::string_view item) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i] == item) return static_cast<int>(i) + 1;
  }
  return -1;
}

}  // namespace net
