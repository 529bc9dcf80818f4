// The workbench's files: scripts under %APPDATA%\CommandComposer\scripts\, the command history
// and the recent list beside the settings. Every write goes to a temporary file beside its target
// that then takes the target's place, so a crash or a full disk never leaves half a file behind,
// and an existing file is replaced only when the caller says so. Reads stop at a size limit, so a
// huge or foreign file is refused before it is read.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "base/unicode.h"
#include "compose/command_history.h"
#include "compose/script_file.h"
#include "compose/script_line.h"
#include "compose/script_session.h"

namespace app::win {

// The program's GBK conversion for the file formats.
const base::GbkCodec& GbkConversion();

// %APPDATA%\CommandComposer\scripts; empty when there is no application-data folder.
std::wstring ScriptsFolder();

// Where a new script of that name is saved: in ScriptsFolder, named by compose::ScriptFileName.
// Empty when the name gives no file name or there is no folder.
std::wstring DefaultScriptPath(std::string_view gbkName);

enum class WriteResult {
  kWritten,
  kExists,  // replaceExisting was false and a file is there: ask, then write again with true
  kFailed,  // nothing changed on disk
};

// Writes bytes to path through a temporary file in its folder, creating the folder when it is
// ScriptsFolder.
[[nodiscard]] WriteResult WriteFileAtomically(const std::wstring& path, std::string_view bytes,
                                              bool replaceExisting);

enum class ReadResult { kRead, kMissing, kTooLarge, kFailed };

// The whole file into bytes, when it holds at most limit bytes.
[[nodiscard]] ReadResult ReadFileUpTo(const std::wstring& path, std::size_t limit,
                                      std::string& bytes);

// A script file, opened or refused with the problem noted (compose::DescribeFileProblem).
compose::ScriptFileContent OpenScript(const std::wstring& path);
[[nodiscard]] WriteResult SaveScript(const std::wstring& path, std::string_view gbkName,
                                     std::span<const compose::ScriptLine> rows,
                                     bool replaceExisting);

// The history: empty when missing or damaged (the next save replaces a damaged file).
compose::CommandHistory LoadHistory();
[[nodiscard]] bool SaveHistory(const compose::CommandHistory& history);

// The recent list (paths as UTF-8): empty when missing.
compose::RecentScripts LoadRecentScripts();
[[nodiscard]] bool SaveRecentScripts(const compose::RecentScripts& recent);
std::string Utf8Path(std::wstring_view path);
std::wstring WidePath(std::string_view utf8);

// All of the above as the open script's storage (paths in UTF-8).
compose::ScriptStorage& ProgramScriptStorage();

}  // namespace app::win
