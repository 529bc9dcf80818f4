// The program's open script, history and recent list (GBK texts, UTF-8 paths).
#include "compose/script_session.h"

#include <utility>

#include "compose/script_commands.h"

namespace compose {
namespace {

bool AskedAgain(FileProblem problem) {
  return problem == FileProblem::kReadAsGbk || problem == FileProblem::kNoNameLine;
}

}  // namespace

ScriptModel& ScriptSession::Script() {
  Restore();
  return script_;
}

const std::string& ScriptSession::Path() {
  Restore();
  return path_;
}

std::vector<FileProblem> ScriptSession::TakeProblems() {
  Restore();
  return std::exchange(problems_, {});
}

void ScriptSession::AddBuiltLine(std::string_view line) {
  Script().Append(line);
}

const CommandHistory& ScriptSession::History() {
  if (!historyLoaded_ && storage_ != nullptr) history_ = storage_->LoadHistory();
  historyLoaded_ = true;
  return history_;
}

bool ScriptSession::NoteCopied(std::string_view command) {
  History();
  if (!history_.Add(command)) return false;
  if (storage_ != nullptr) storage_->SaveHistory(history_);
  return true;
}

const RecentScripts& ScriptSession::Recent() {
  if (!recentLoaded_ && storage_ != nullptr) recent_ = storage_->LoadRecentScripts();
  recentLoaded_ = true;
  return recent_;
}

ScriptSession::OpenResult ScriptSession::Open(const std::string& path) {
  Restore();
  ScriptFileContent content = storage_ != nullptr
                                  ? storage_->OpenScript(path)
                                  : ScriptFileContent{.problems = {FileProblem::kUnreadable}};
  OpenResult result{content.opened, content.problems};
  if (!content.opened) {
    if (!result.problems.empty() && result.problems.front() == FileProblem::kMissing) {
      Recent();
      Forget(recent_, path);
      if (storage_ != nullptr) storage_->SaveRecentScripts(recent_);
    }
    return result;
  }
  problems_.clear();
  Adopt(std::move(content), path);
  RememberOpen(path);
  return result;
}

void ScriptSession::StartNew() {
  Restore();
  script_.Reset({}, {});
  path_.clear();
  askBeforeReplacing_ = false;
  problems_.clear();
  RememberOpen({});
}

SaveResult ScriptSession::Save() {
  Restore();
  if (!ScriptNameProblem(script_.Name()).empty()) return {SaveResult::Kind::kBadName, {}};
  if (!path_.empty()) return SaveAs(path_, !askBeforeReplacing_);
  const std::string path =
      storage_ != nullptr ? storage_->DefaultScriptPath(script_.Name()) : std::string();
  if (path.empty()) return {SaveResult::Kind::kNoPath, {}};
  return SaveAs(path, false);
}

SaveResult ScriptSession::SaveAs(const std::string& path, bool replaceExisting) {
  Restore();
  if (!ScriptNameProblem(script_.Name()).empty()) return {SaveResult::Kind::kBadName, {}};
  if (storage_ == nullptr) return {SaveResult::Kind::kFailed, path};
  switch (storage_->SaveScript(path, script_.Name(), script_.Rows(), replaceExisting)) {
    case ScriptStorage::Written::kWritten:
      break;
    case ScriptStorage::Written::kExists:
      return {SaveResult::Kind::kExists, path};
    case ScriptStorage::Written::kFailed:
      return {SaveResult::Kind::kFailed, path};
  }
  path_ = path;
  askBeforeReplacing_ = false;
  script_.MarkSaved();
  RememberOpen(path);
  return {SaveResult::Kind::kSaved, path};
}

void ScriptSession::Revert() {
  Restore();
  if (!path_.empty() && storage_ != nullptr) {
    ScriptFileContent content = storage_->OpenScript(path_);
    if (content.opened) {
      const std::string path = path_;
      Adopt(std::move(content), path);
      return;
    }
  }
  StartNew();
}

void ScriptSession::Restore() {
  if (restored_) return;
  restored_ = true;
  const std::string last = Recent().openAtExit;
  if (last.empty() || storage_ == nullptr) return;
  ScriptFileContent content = storage_->OpenScript(last);
  if (content.opened) {
    problems_ = content.problems;
    Adopt(std::move(content), last);
    return;
  }
  // Gone or unreadable since: the program starts with an empty script and says nothing, as it
  // would for a file deleted while it was closed.
  Forget(recent_, last);
  recent_.openAtExit.clear();
  storage_->SaveRecentScripts(recent_);
}

void ScriptSession::Adopt(ScriptFileContent content, const std::string& path) {
  script_.Reset(std::move(content.name), std::move(content.rows));
  path_ = path;
  askBeforeReplacing_ = false;
  for (FileProblem problem : content.problems) askBeforeReplacing_ |= AskedAgain(problem);
}

void ScriptSession::RememberOpen(const std::string& path) {
  Recent();
  if (!path.empty()) NoteOpened(recent_, path);
  recent_.openAtExit = path;
  if (storage_ != nullptr) storage_->SaveRecentScripts(recent_);
}

ScriptSession& Session() {
  static ScriptSession session;
  return session;
}

}  // namespace compose
