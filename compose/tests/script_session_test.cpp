// The program's open script over a storage held in memory as the bytes of real files: builder
// lines collected before anything is shown, the last script back on first use, saving to the
// default place without replacing what is there unasked, a foreign file asked about before its
// first save, refusals that leave the open script alone, reverting, and the history and recent
// list written as they change.
#include "compose/script_session.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "compose/tests/gbk_test_codec.h"

namespace {

using compose::FileProblem;
using compose::SaveResult;
using compose::ScriptSession;
using compose::ScriptStorage;
using compose::testing::kGbkCodec;

// Files and paths are UTF-8; the literals here are GBK, as the program's texts.
std::string Utf8(std::string_view gbk) {
  return base::Utf8FromUtf16(kGbkCodec.wideFromGbk(gbk));
}

class MemoryStorage final : public ScriptStorage {
 public:
  compose::ScriptFileContent OpenScript(const std::string& path) override {
    const auto file = files.find(path);
    if (file == files.end()) return {.problems = {FileProblem::kMissing}};
    return compose::ReadScriptFile(file->second, kGbkCodec);
  }
  Written SaveScript(const std::string& path, std::string_view name,
                     std::span<const compose::ScriptLine> rows, bool replaceExisting) override {
    if (refuseWrites) return Written::kFailed;
    if (!replaceExisting && files.contains(path)) return Written::kExists;
    files[path] = compose::WriteScriptFile(name, rows, kGbkCodec);
    return Written::kWritten;
  }
  std::string DefaultScriptPath(std::string_view name) override {
    const std::string file = compose::ScriptFileName(name);
    return file.empty() ? std::string() : "scripts\\" + Utf8(file);
  }
  compose::CommandHistory LoadHistory() override {
    return compose::ParseHistory(historyFile, kGbkCodec);
  }
  void SaveHistory(const compose::CommandHistory& history) override {
    historyFile = compose::FormatHistory(history, kGbkCodec);
    ++historySaves;
  }
  compose::RecentScripts LoadRecentScripts() override {
    return compose::ParseRecentScripts(recentFile);
  }
  void SaveRecentScripts(const compose::RecentScripts& recent) override {
    recentFile = compose::FormatRecentScripts(recent);
  }

  std::map<std::string, std::string> files;
  std::string historyFile;
  std::string recentFile;
  int historySaves = 0;
  bool refuseWrites = false;
};

std::vector<std::string> Texts(compose::ScriptModel& model) {
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < model.RowCount(); ++i) texts.push_back(model.RowText(i));
  return texts;
}

const std::string kFile = Utf8("# Varnel script: 签到\r\n@command /spawn\r\n$cost:100 &c不足\r\n");

TEST(ScriptSession, BuiltLinesAreCollectedAndTheScriptIsBackAfterARestart) {
  MemoryStorage storage;
  {
    ScriptSession session(&storage);
    session.AddBuiltLine("@command /spawn");
    session.AddBuiltLine("@msg:a\nb");  // automation may put a line break into an input
    EXPECT_EQ(Texts(session.Script()),
              (std::vector<std::string>{"@command /spawn", "@msg:a", "b"}));
    EXPECT_EQ(session.Save().kind, SaveResult::Kind::kBadName) << "a script needs a name";
    session.Script().Rename("每日签到");
    const SaveResult saved = session.Save();
    EXPECT_EQ(saved.kind, SaveResult::Kind::kSaved);
    EXPECT_EQ(saved.path, Utf8("scripts\\每日签到.txt"));
    EXPECT_FALSE(session.Script().Modified());
    session.AddBuiltLine("@delay:20");
  }
  ScriptSession restarted(&storage);
  EXPECT_EQ(restarted.Path(), Utf8("scripts\\每日签到.txt"));
  EXPECT_EQ(restarted.Script().Name(), "每日签到");
  EXPECT_EQ(Texts(restarted.Script()),
            (std::vector<std::string>{"@command /spawn", "@msg:a", "b"}));
  EXPECT_TRUE(restarted.TakeProblems().empty());
  EXPECT_FALSE(restarted.Script().CanUndo());
}

TEST(ScriptSession, NothingIsReplacedUnasked) {
  MemoryStorage storage;
  const std::string path = Utf8("scripts\\签到.txt");
  storage.files[path] = kFile;
  ScriptSession session(&storage);
  session.Script().Rename("签到");
  session.AddBuiltLine("@delay:20");
  // A new script whose default file exists already: asked, and written only when told to.
  SaveResult result = session.Save();
  EXPECT_EQ(result.kind, SaveResult::Kind::kExists);
  EXPECT_EQ(storage.files[path], kFile);
  result = session.SaveAs(result.path, true);
  EXPECT_EQ(result.kind, SaveResult::Kind::kSaved);
  EXPECT_EQ(storage.files[path], Utf8("# Varnel script: 签到\r\n@delay:20\r\n"));
  // Saved once, the file is the script's own: the next save replaces it without asking.
  session.AddBuiltLine("@delay:40");
  EXPECT_EQ(session.Save().kind, SaveResult::Kind::kSaved);

  // A file that was no script of ours opens as rows and is asked about before its first save.
  storage.files["foreign.txt"] = "@command /spawn\n@delay:20\n";
  const auto opened = session.Open("foreign.txt");
  EXPECT_TRUE(opened.opened);
  EXPECT_EQ(opened.problems, (std::vector<FileProblem>{FileProblem::kNoNameLine}));
  EXPECT_EQ(Texts(session.Script()), (std::vector<std::string>{"@command /spawn", "@delay:20"}));
  session.Script().Rename("外来");
  EXPECT_EQ(session.Save().kind, SaveResult::Kind::kExists);
  EXPECT_EQ(storage.files["foreign.txt"], "@command /spawn\n@delay:20\n");
  EXPECT_EQ(session.SaveAs("foreign.txt", true).kind, SaveResult::Kind::kSaved);

  // A failed write changes nothing, not even the modified mark.
  storage.refuseWrites = true;
  session.AddBuiltLine("@delay:60");
  EXPECT_EQ(session.Save().kind, SaveResult::Kind::kFailed);
  EXPECT_TRUE(session.Script().Modified());
  ScriptSession noFiles;
  noFiles.Script().Rename("a");
  EXPECT_EQ(noFiles.Save().kind, SaveResult::Kind::kNoPath);
}

TEST(ScriptSession, RefusedFilesLeaveTheOpenScriptAndRevertGoesBackToTheFile) {
  MemoryStorage storage;
  storage.files["a.txt"] = kFile;
  storage.files["binary.txt"] = std::string("@msg:\0x", 7);
  ScriptSession session(&storage);
  ASSERT_TRUE(session.Open("a.txt").opened);
  session.Script().Remove(0);
  for (const auto& [path, problem] : {std::pair{"binary.txt", FileProblem::kNotText},
                                      std::pair{"gone.txt", FileProblem::kMissing}}) {
    const auto refused = session.Open(path);
    EXPECT_FALSE(refused.opened) << path;
    EXPECT_EQ(refused.problems, (std::vector<FileProblem>{problem})) << path;
    EXPECT_EQ(session.Path(), "a.txt") << path;
    EXPECT_EQ(Texts(session.Script()), (std::vector<std::string>{"$cost:100 &c不足"})) << path;
  }
  EXPECT_EQ(session.Recent().paths, (std::vector<std::string>{"a.txt"}));
  session.Revert();
  EXPECT_EQ(session.Script().RowCount(), 2u);
  EXPECT_FALSE(session.Script().Modified());

  // The file went while the program was closed: the next start opens an empty script.
  storage.files.erase("a.txt");
  ScriptSession restarted(&storage);
  EXPECT_EQ(restarted.Script().RowCount(), 0u);
  EXPECT_EQ(restarted.Path(), "");
  EXPECT_EQ(compose::ParseRecentScripts(storage.recentFile).openAtExit, "");
  restarted.AddBuiltLine("@delay:1");
  restarted.Revert();
  EXPECT_EQ(restarted.Script().RowCount(), 0u);
}

TEST(ScriptSession, ARestoredForeignFileIsToldOnce) {
  MemoryStorage storage;
  storage.files["old.txt"] = "\xB5\xE3\xFE";  // GBK with a cut character: not UTF-8
  storage.recentFile = compose::FormatRecentScripts({{"old.txt"}, "old.txt"});
  ScriptSession session(&storage);
  EXPECT_EQ(session.TakeProblems(),
            (std::vector<FileProblem>{FileProblem::kReadAsGbk, FileProblem::kNoNameLine}));
  EXPECT_TRUE(session.TakeProblems().empty());
  EXPECT_EQ(session.Script().RowCount(), 1u);
}

TEST(ScriptSession, CopiedCommandsGoIntoTheHistoryAndItsFile) {
  MemoryStorage storage;
  ScriptSession session(&storage);
  EXPECT_TRUE(session.NoteCopied("/vrnl create a"));
  EXPECT_TRUE(session.NoteCopied("/vrnl add a @delay:20"));
  EXPECT_TRUE(session.NoteCopied("/vrnl create a"));
  EXPECT_FALSE(session.NoteCopied(""));
  EXPECT_EQ(storage.historySaves, 3);
  ScriptSession later(&storage);
  EXPECT_EQ(later.History().Entries(),
            (std::vector<std::string>{"/vrnl create a", "/vrnl add a @delay:20"}));
  // A session without storage keeps its history in memory only.
  ScriptSession memoryOnly;
  EXPECT_TRUE(memoryOnly.NoteCopied("x"));
  EXPECT_EQ(memoryOnly.History().Entries().size(), 1u);
}

TEST(ScriptSession, NewScriptsAreRememberedAsNoFileToRestore) {
  MemoryStorage storage;
  storage.files["a.txt"] = kFile;
  ScriptSession session(&storage);
  ASSERT_TRUE(session.Open("a.txt").opened);
  EXPECT_EQ(compose::ParseRecentScripts(storage.recentFile).openAtExit, "a.txt");
  session.StartNew();
  EXPECT_EQ(session.Script().Name(), "");
  EXPECT_EQ(session.Path(), "");
  const compose::RecentScripts recent = compose::ParseRecentScripts(storage.recentFile);
  EXPECT_EQ(recent.openAtExit, "");
  EXPECT_EQ(recent.paths, (std::vector<std::string>{"a.txt"}));
}

}  // namespace
