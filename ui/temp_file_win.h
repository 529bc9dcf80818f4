// Text files the program hands to other programs (the help page for the browser), written to the
// user's temporary folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ui::win {

// GBK to UTF-8 (through UTF-16).
std::string Utf8FromGbk(std::string_view gbk);

// Writes the GBK text, as UTF-8, to fileName in the user's temporary folder: first under a name
// of its own, then renamed over fileName, so nobody ever sees a half-written file. Returns the
// file's path as GBK text for the shell, or nothing when it could not be written (nothing is
// left behind).
[[nodiscard]] std::optional<std::string> WriteTemporaryTextFile(std::string_view fileName,
                                                                std::string_view text);

}  // namespace ui::win
