// The help page's file where there is no Windows (the native build, whose users are the unit
// tests): iconv for UTF-8, and the temporary folder of TMPDIR or /tmp, written under a name of
// its own and renamed over the page's name.
#include <fcntl.h>
#include <iconv.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "compose/help_page.h"

namespace compose {

std::string Utf8FromGbk(std::string_view gbk) {
  iconv_t convert = iconv_open("UTF-8", "GBK");
  if (convert == reinterpret_cast<iconv_t>(-1)) return {};
  std::string utf8;
  char buffer[4096];
  char* in = const_cast<char*>(gbk.data());
  std::size_t inLeft = gbk.size();
  while (inLeft > 0) {
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t result = iconv(convert, &in, &inLeft, &out, &outLeft);
    utf8.append(buffer, static_cast<std::size_t>(out - buffer));
    if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // Not a GBK character: one replacement character, and on after the byte.
      utf8 += "\xEF\xBF\xBD";
      ++in;
      --inLeft;
    }
  }
  iconv_close(convert);
  return utf8;
}

std::optional<std::string> WriteTemporaryFile(std::string_view fileName, std::string_view content) {
  const char* folder = std::getenv("TMPDIR");
  std::string target = folder != nullptr && *folder != '\0' ? folder : "/tmp";
  target += "/" + std::string(fileName);
  static std::atomic<int> counter{0};
  const std::string partial =
      target + "." + std::to_string(getpid()) + "-" + std::to_string(++counter) + ".partial";
  const int file = open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  if (file == -1) return std::nullopt;
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t wrote = write(file, content.data() + done, content.size() - done);
    if (wrote <= 0) break;
    done += static_cast<std::size_t>(wrote);
  }
  const bool closed = close(file) == 0;
  if (done != content.size() || !closed || std::rename(partial.c_str(), target.c_str()) != 0) {
    unlink(partial.c_str());
    return std::nullopt;
  }
  return target;
}

}  // namespace compose
