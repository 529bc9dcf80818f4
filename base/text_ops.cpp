// Shared GBK text operations. Every walk goes character by character from the start of the text,
// because only from there can a byte be told to be a lead byte or a trail byte.
#include "base/text_ops.h"

#include <algorithm>

#include "base/gbk.h"

namespace base {
namespace {

unsigned char FoldAscii(unsigned char byte) {
  return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - 'a' + 'A') : byte;
}

// Whether search lies at i, where i starts a character. Only single-byte characters of the text
// are folded: a trail byte that happens to be a letter, or an escape's hex digits, compare as is.
bool MatchAt(std::string_view text, std::size_t i, std::string_view search, bool ignoreCase) {
  if (i + search.size() > text.size()) return false;
  for (std::size_t k = 0; k < search.size();) {
    const std::size_t length = CharLength(text, i + k);
    if (length == 1) {
      const auto a = static_cast<unsigned char>(text[i + k]);
      const auto b = static_cast<unsigned char>(search[k]);
      if (ignoreCase ? FoldAscii(a) != FoldAscii(b) : a != b) return false;
    } else {
      const std::size_t compared = std::min(length, search.size() - k);
      if (text.compare(i + k, compared, search.substr(k, compared)) != 0) return false;
    }
    k += length;
  }
  return true;
}

std::size_t ClampedLength(std::string_view text, int n) {
  if (n <= 0) return 0;
  return std::min(text.size(), static_cast<std::size_t>(n));
}

bool IsSpaceAt(std::string_view text, std::size_t i, std::size_t length) {
  if (length == 1) return text[i] == ' ';
  return static_cast<unsigned char>(text[i]) == 0xA1 &&
         static_cast<unsigned char>(text[i + 1]) == 0xA1;
}

}  // namespace

int Find(std::string_view text, std::string_view search, int start, bool ignoreCase) {
  if (search.empty()) return -1;
  const std::size_t from = start <= 1 ? 0 : static_cast<std::size_t>(start) - 1;
  for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    if (i >= from && MatchAt(text, i, search, ignoreCase)) return static_cast<int>(i) + 1;
  }
  return -1;
}

int FindLast(std::string_view text, std::string_view search, std::optional<int> start,
             bool ignoreCase) {
  if (search.empty()) return -1;
  std::size_t limit = text.size();
  if (start) limit = *start <= 1 ? 0 : std::min(text.size(), static_cast<std::size_t>(*start) - 1);
  int found = -1;
  for (std::size_t i = 0; i + search.size() <= limit; i += CharLength(text, i)) {
    if (MatchAt(text.substr(0, limit), i, search, ignoreCase)) found = static_cast<int>(i) + 1;
  }
  return found;
}

std::string Left(std::string_view text, int n) {
  return std::string(text.substr(0, ClampedLength(text, n)));
}

std::string Right(std::string_view text, int n) {
  return std::string(text.substr(text.size() - ClampedLength(text, n)));
}

std::string Replace(std::string_view text, std::string_view find, std::string_view with, int start,
                    std::optional<int> count, bool caseSensitive) {
  int left = count ? *count : -1;
  if (find.empty() || left == 0 || (count && *count < 0)) return std::string(text);
  const std::size_t from = start <= 1 ? 0 : static_cast<std::size_t>(start) - 1;
  std::string result;
  result.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    if (i >= from && left != 0 && MatchAt(text, i, find, !caseSensitive)) {
      result += with;
      i += find.size();
      if (left > 0) --left;
      continue;
    }
    const std::size_t length = CharLength(text, i);
    result += text.substr(i, length);
    i += length;
  }
  return result;
}

std::vector<std::string> Split(std::string_view text, std::string_view separator) {
  std::vector<std::string> pieces;
  if (text.empty()) return pieces;
  if (separator.empty()) return {std::string(text)};
  std::size_t pieceStart = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    if (MatchAt(text, i, separator, false)) {
      pieces.emplace_back(text.substr(pieceStart, i - pieceStart));
      i += separator.size();
      pieceStart = i;
    } else {
      i += CharLength(text, i);
    }
  }
  if (pieceStart < text.size()) pieces.emplace_back(text.substr(pieceStart));
  return pieces;
}

std::string Trim(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size()) {
    const std::size_t length = CharLength(text, begin);
    if (!IsSpaceAt(text, begin, length)) break;
    begin += length;
  }
  std::size_t end = begin;
  for (std::size_t i = begin; i < text.size();) {
    const std::size_t length = CharLength(text, i);
    if (!IsSpaceAt(text, i, length)) end = i + length;
    i += length;
  }
  return std::string(text.substr(begin, end - begin));
}

Bytes TextToBytes(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

}  // namespace base
