// Script files as admins keep them beside their server or in version control: UTF-8 text whose
// first line names the script ("# Varnel script: NAME") and whose every further line is one row,
// each line ended by CRLF. Reading takes a byte-order mark, CRLF, LF or CR; a file that is not a
// script of ours opens as rows with a note saying why, or is refused with a message: it never
// brings the program down. Also the list of recently opened scripts. Rows and names are GBK;
// the conversion to and from UTF-8 goes through the program's own GBK conversion, passed in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/unicode.h"
#include "compose/script_line.h"

namespace compose {

// Larger files are no scripts (10,000 long rows take about 2 MiB) and are not read.
inline constexpr std::size_t kMaxScriptFileBytes = 16 * 1024 * 1024;
inline constexpr std::string_view kScriptFileHeader = "# Varnel script: ";
inline constexpr std::string_view kScriptFileExtension = ".txt";

enum class FileProblem : std::uint8_t {
  kMissing,     // refused: there is no such file
  kUnreadable,  // refused: the system could not read it
  kTooLarge,    // refused: over kMaxScriptFileBytes
  kNotText,     // refused: it holds NUL bytes
  kReadAsGbk,   // opened: not UTF-8, so read as GBK
  kNoNameLine,  // opened: no name line, so every line is a row
};

// What to tell the user, one sentence (GBK).
std::string_view DescribeFileProblem(FileProblem problem);

struct ScriptFileContent {
  bool opened = false;  // false: refused, for the problem noted
  std::string name;
  std::vector<ScriptLine> rows;
  std::vector<FileProblem> problems;
};

// Reads a file's bytes.
ScriptFileContent ReadScriptFile(std::string_view bytes, const base::GbkCodec& codec);

// The file's bytes. Rows hold no line breaks (the script model sees to that); a line break in the
// name is written as a space.
std::string WriteScriptFile(std::string_view name, std::span<const ScriptLine> rows,
                            const base::GbkCodec& codec);

// The name of the script's file (GBK, kScriptFileExtension at its end), made fit for Windows:
// each character a file name cannot hold becomes "_", as do a trailing dot or space, and a device
// name ("CON", "LPT1") gets "_" in front. Empty for an empty name.
std::string ScriptFileName(std::string_view name);

// Shared by the files of the program: the GBK text of a UTF-8 file (a byte-order mark skipped),
// or nothing when it is not UTF-8 or holds a NUL.
std::optional<std::string> GbkFromUtf8File(std::string_view bytes, const base::GbkCodec& codec);

// The lines of a file's text: each ends at CRLF, LF or CR; text after the last break is a line
// only when it is not empty.
std::vector<std::string_view> FileLines(std::string_view text);

// The scripts opened last, newest first, and the one open when the program ended, to open again
// at start. Paths are UTF-8 (Windows paths may hold any character); two paths that differ only
// in the case of ASCII letters are one, as on Windows.
inline constexpr std::size_t kRecentScriptsLimit = 10;
struct RecentScripts {
  std::vector<std::string> paths;
  std::string openAtExit;  // empty: none
  bool operator==(const RecentScripts&) const = default;
};

// Puts path first, dropping the oldest beyond the limit.
void NoteOpened(RecentScripts& recent, std::string_view path);
// Drops a path that can no longer be opened.
void Forget(RecentScripts& recent, std::string_view path);

// The list's file: "open=" and "recent=" lines under a comment line. Reading never fails: what
// cannot be read is left out.
RecentScripts ParseRecentScripts(std::string_view bytes);
std::string FormatRecentScripts(const RecentScripts& recent);

}  // namespace compose
