// The script the program has open and the commands the admin copied, kept for the program's
// whole run: each builder adds its line to the open script whether or not the workbench shows
// it, and every command copied from the composer goes into the history. Files go through a
// storage seam: the program's own files on Windows, none (nothing kept) until one is installed.
// The last open script and the history are read on first use, so start-up reads no file.
// GBK texts; paths are UTF-8.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compose/command_history.h"
#include "compose/script_file.h"
#include "compose/script_line.h"
#include "compose/script_model.h"

namespace compose {

class ScriptStorage {
 public:
  enum class Written { kWritten, kExists, kFailed };

  virtual ~ScriptStorage() = default;
  virtual ScriptFileContent OpenScript(const std::string& path) = 0;
  // kExists: replaceExisting was false and a file is there; nothing was written.
  virtual Written SaveScript(const std::string& path, std::string_view name,
                             std::span<const ScriptLine> rows, bool replaceExisting) = 0;
  // Where a new script of that name goes by default; empty when there is no such place.
  virtual std::string DefaultScriptPath(std::string_view name) = 0;
  virtual CommandHistory LoadHistory() = 0;
  virtual void SaveHistory(const CommandHistory& history) = 0;
  virtual RecentScripts LoadRecentScripts() = 0;
  virtual void SaveRecentScripts(const RecentScripts& recent) = 0;
};

struct SaveResult {
  enum class Kind {
    kSaved,
    kBadName,  // the name does not fit the plugin's commands (ScriptNameProblem says why)
    kNoPath,   // no place is known: ask the user where
    kExists,   // path holds a file this script did not come from: ask before replacing it
    kFailed,   // nothing changed on disk
  };
  Kind kind = Kind::kFailed;
  std::string path;  // where it was saved, or the file kExists asks about
};

class ScriptSession {
 public:
  explicit ScriptSession(ScriptStorage* storage = nullptr) : storage_(storage) {}

  void SetStorage(ScriptStorage* storage) { storage_ = storage; }

  // The open script; on first use the one open when the program last ended.
  ScriptModel& Script();
  // Where the open script was opened from or saved to; empty for a script never saved.
  const std::string& Path();
  // What was odd about the file last opened or restored and has not been told yet.
  std::vector<FileProblem> TakeProblems();

  // A builder's line, added as a new row at the end of the open script.
  void AddBuiltLine(std::string_view line);

  // The history, newest first, and a copied command put first in it and saved.
  const CommandHistory& History();
  bool NoteCopied(std::string_view command);
  const RecentScripts& Recent();

  // Opens a script file instead of the open one. When the file is refused the open script stays
  // and the problems say why; a missing file leaves the recent list.
  struct OpenResult {
    bool opened = false;
    std::vector<FileProblem> problems;  // what was odd about an opened file, or the refusal
  };
  [[nodiscard]] OpenResult Open(const std::string& path);
  // An empty script without a name or a file.
  void StartNew();
  // Saves to the script's file, or a new one named after the script in the default place.
  [[nodiscard]] SaveResult Save();
  // Saves to path; with replaceExisting false a file already there is left alone (kExists).
  [[nodiscard]] SaveResult SaveAs(const std::string& path, bool replaceExisting);
  // Forgets the changes since the last save or open: the file's script again, or an empty one.
  void Revert();

 private:
  void Restore();
  void Adopt(ScriptFileContent content, const std::string& path);
  void RememberOpen(const std::string& path);

  ScriptStorage* storage_;
  bool restored_ = false;
  bool historyLoaded_ = false;
  bool recentLoaded_ = false;
  ScriptModel script_;
  std::string path_;
  // The file was no script of ours (read as rows, or as GBK): its first save asks before
  // replacing it.
  bool askBeforeReplacing_ = false;
  std::vector<FileProblem> problems_;
  CommandHistory history_;
  RecentScripts recent_;
};

// The program's session. Its storage is none until the program installs one.
ScriptSession& Session();

}  // namespace compose
