// Feeds arbitrary bytes to the shared text operations and the cookie merge: none may read out of
// bounds, and the results must keep the shapes their contracts promise.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/text_ops.h"
#include "net/headers_cookies.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  // The first two bytes pick a start and a split point; the rest is text and pattern.
  const int start = static_cast<std::int8_t>(data[0]);
  const std::size_t cut = data[1] % (size - 1);
  const std::string_view all(reinterpret_cast<const char*>(data + 2), size - 2);
  const std::string_view text = all.substr(0, cut);
  const std::string_view pattern = all.substr(cut);

  const int found = base::Find(text, pattern, start, data[0] & 1);
  Check(found == -1 ||
        (found >= 1 && static_cast<std::size_t>(found) - 1 + pattern.size() <= text.size()));
  const int last = base::FindLast(text, pattern, start, data[0] & 2);
  Check(last == -1 || static_cast<std::size_t>(last) - 1 + pattern.size() <= text.size());
  base::Left(text, start);
  base::Right(text, start);
  base::Replace(text, pattern, "xy", start, data[1] % 4, data[0] & 4);
  std::size_t joined = 0;
  const auto pieces = base::Split(text, pattern);
  for (const std::string& piece : pieces) joined += piece.size();
  Check(joined <= text.size());
  const std::string trimmed = base::Trim(text);
  Check(trimmed.size() <= text.size() && base::Trim(trimmed) == trimmed);

  net::HeaderName(text);
  net::HeaderValue(text);
  net::TextBefore(text, pattern, start, data[0] & 8);
  net::TextBetween(text, pattern, ";", start, data[0] & 16);

  std::string oldCookies(text);
  std::string newCookies(pattern);
  const std::string merged = net::MergeCookies(oldCookies, newCookies);
  Check(merged == oldCookies);
  return 0;
}
