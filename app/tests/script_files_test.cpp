// The workbench's files on a real file system with the program's real GBK conversion: a script
// saved byte for byte as UTF-8 (double-byte text, what GBK lacks, half an emoji), never written
// over unasked and never left half-written; huge and missing files refused; a damaged history
// replaced; the recent list with paths GBK cannot spell.
#include "app/script_files_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text_win.h"

namespace {

using app::win::WriteResult;

// Each test gets an application-data folder of its own.
class ScriptFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    static int run = 0;
    appData_ = std::wstring(temp) + L"composer-files-" + std::to_wstring(GetCurrentProcessId()) +
               L"-" + std::to_wstring(++run);
    CreateDirectoryW(appData_.c_str(), nullptr);
    SetEnvironmentVariableW(L"APPDATA", appData_.c_str());
  }

  void TearDown() override { RemoveTree(appData_); }

  static void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(path);
        } else {
          DeleteFileW(path.c_str());
        }
      } while (FindNextFileW(find, &found));
      FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
  }

  static std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
  }

  static std::string Bytes(const std::wstring& path) {
    std::string bytes;
    EXPECT_EQ(app::win::ReadFileUpTo(path, 1 << 20, bytes), app::win::ReadResult::kRead);
    return bytes;
  }

  static void Put(const std::wstring& path, const std::string& bytes) {
    ASSERT_EQ(app::win::WriteFileAtomically(path, bytes, true), WriteResult::kWritten);
  }

  std::wstring appData_;
};

TEST_F(ScriptFilesTest, ScriptSavedByteForByteAndNeverOverwrittenUnasked) {
  const std::wstring path = app::win::DefaultScriptPath("签到");
  EXPECT_EQ(path, appData_ + L"\\CommandComposer\\scripts\\签到.txt");
  // What the user typed, through the program's own conversion: 点, an emoji, U+2603, half an
  // emoji, 乗 (whose GBK trail byte is "\") and the euro sign (0x80 in GBK).
  const std::string typed =
      base::GbkFromWide(L"@msg:点\U0001F600\u2603" + std::wstring(1, L'\xD83D') + L"乗€");
  const std::vector<compose::ScriptLine> rows = {compose::ParseScriptLine(typed),
                                                 compose::ParseScriptLine("")};
  ASSERT_EQ(app::win::SaveScript(path, "签到", rows, false), WriteResult::kWritten);
  const std::string expected =
      "# Varnel script: \xE7\xAD\xBE\xE5\x88\xB0\r\n"
      "@msg:\xE7\x82\xB9\xF0\x9F\x98\x80\xE2\x98\x83\xED\xA0\xBD\xE4\xB9\x97\xE2\x82\xAC\r\n"
      "\r\n";
  EXPECT_EQ(Bytes(path), expected);

  const std::vector<compose::ScriptLine> other = {compose::ParseScriptLine("@delay:20")};
  EXPECT_EQ(app::win::SaveScript(path, "签到", other, false), WriteResult::kExists);
  EXPECT_EQ(Bytes(path), expected);
  EXPECT_EQ(FilesIn(app::win::ScriptsFolder()), std::vector<std::wstring>{L"签到.txt"});

  const compose::ScriptFileContent opened = app::win::OpenScript(path);
  EXPECT_TRUE(opened.opened);
  EXPECT_TRUE(opened.problems.empty());
  EXPECT_EQ(opened.name, "签到");
  EXPECT_EQ(opened.rows, rows);

  ASSERT_EQ(app::win::SaveScript(path, "签到", other, true), WriteResult::kWritten);
  EXPECT_EQ(app::win::OpenScript(path).rows, other);
  EXPECT_EQ(FilesIn(app::win::ScriptsFolder()), std::vector<std::wstring>{L"签到.txt"});
}

TEST_F(ScriptFilesTest, HugeMissingAndForeignFiles) {
  const std::wstring folder = appData_ + L"\\CommandComposer\\scripts";
  const std::wstring huge = app::win::DefaultScriptPath("huge");
  Put(huge, std::string(compose::kMaxScriptFileBytes + 1, '\n'));
  EXPECT_EQ(app::win::OpenScript(huge).problems,
            std::vector<compose::FileProblem>{compose::FileProblem::kTooLarge});
  EXPECT_FALSE(app::win::OpenScript(huge).opened);
  EXPECT_EQ(app::win::OpenScript(folder + L"\\none.txt").problems,
            std::vector<compose::FileProblem>{compose::FileProblem::kMissing});
  // A GBK file from an older editor opens as rows, with the note.
  const std::wstring foreign = folder + L"\\foreign.txt";
  Put(foreign, "@msg:\xB5\xE3\r\n");
  const compose::ScriptFileContent opened = app::win::OpenScript(foreign);
  EXPECT_TRUE(opened.opened);
  EXPECT_EQ(opened.problems,
            (std::vector<compose::FileProblem>{compose::FileProblem::kReadAsGbk,
                                               compose::FileProblem::kNoNameLine}));
  ASSERT_EQ(opened.rows.size(), 1u);
  EXPECT_EQ(compose::ComposeScriptLine(opened.rows[0]), "@msg:点");
}

TEST_F(ScriptFilesTest, DamagedHistoryIsReplaced) {
  const std::wstring path = appData_ + L"\\CommandComposer\\history.txt";
  CreateDirectoryW((appData_ + L"\\CommandComposer").c_str(), nullptr);
  Put(path, std::string("\0\xFF garbage", 10));
  EXPECT_TRUE(app::win::LoadHistory().Entries().empty());
  compose::CommandHistory history;
  history.Add("/vrnl add 签到 @msg:a\r\nb");
  history.Add(base::GbkFromWide(L"/say \U0001F600"));
  ASSERT_TRUE(app::win::SaveHistory(history));
  EXPECT_EQ(Bytes(path),
            "# Command composer: copied commands, newest first\r\n"
            "/say \xF0\x9F\x98\x80\r\n"                               // U+1F600
            "/vrnl add \xE7\xAD\xBE\xE5\x88\xB0 @msg:a\\r\\nb\r\n");  // 签到
  EXPECT_EQ(app::win::LoadHistory().Entries(), history.Entries());
  EXPECT_EQ(FilesIn(appData_ + L"\\CommandComposer"), std::vector<std::wstring>{L"history.txt"});
}

TEST_F(ScriptFilesTest, RecentListKeepsAnyPath) {
  const std::wstring path = L"C:\\脚本\\\U0001F600" + std::wstring(1, L'\xD800') + L".txt";
  compose::RecentScripts recent;
  compose::NoteOpened(recent, app::win::Utf8Path(L"D:\\a.txt"));
  compose::NoteOpened(recent, app::win::Utf8Path(path));
  recent.openAtExit = recent.paths.front();
  ASSERT_TRUE(app::win::SaveRecentScripts(recent));
  // 脚本, an emoji and a lone surrogate, each as the UTF-8 of its units.
  const std::string written = "C:\\\xE8\x84\x9A\xE6\x9C\xAC\\\xF0\x9F\x98\x80\xED\xA0\x80.txt";
  EXPECT_EQ(Bytes(appData_ + L"\\CommandComposer\\recent_scripts.txt"),
            "# Command composer: recent scripts, newest first\r\n"
            "open=" +
                written +
                "\r\n"
                "recent=" +
                written +
                "\r\n"
                "recent=D:\\a.txt\r\n");
  const compose::RecentScripts loaded = app::win::LoadRecentScripts();
  EXPECT_EQ(loaded, recent);
  ASSERT_EQ(loaded.paths.size(), 2u);
  EXPECT_EQ(app::win::WidePath(loaded.openAtExit), path);
}

}  // namespace
