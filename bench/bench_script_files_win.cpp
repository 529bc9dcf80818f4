// Times the workbench's work on a script of 10,000 rows with the shipped program's code and its
// real GBK conversion: saving (the UTF-8 text made and written through a temporary file), opening
// (read back and parsed), exporting every command (the block, its UTF-16 and its plain GBK for the
// clipboard), and moving one row from the end to the top and undoing it. Prints medians over the
// runs as "NAME_ms VALUE" lines, and the first open in the process, which builds the conversion's
// table when a text holds a character GBK lacks ("escaped_").
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/script_files_win.h"
#include "base/gbk.h"
#include "base/text_win.h"
#include "compose/script_commands.h"
#include "compose/script_model.h"

namespace {

constexpr std::size_t kRows = 10000;

double NowMs() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

// Five lines of the kinds admins write, over and over; escaped puts a snowman (U+2603) in one.
std::vector<compose::ScriptLine> Script(bool escaped) {
  const std::string lines[] = {
      "@console give %player% diamond 5",
      "$cost:100 &c金币不足100，无法领取" + std::string(escaped ? "\xFF"
                                                                  "2603"
                                                                : ""),
      "@title:&6欢迎##&7回来##10##60##10",
      "$item:57#####&b&l点券 100 &c你当前有%amount%个！",
      "@papi:%player_level%>=30 &c你必须达到30级才能使用它！",
  };
  std::vector<compose::ScriptLine> rows;
  for (std::size_t i = 0; i < kRows; ++i) rows.push_back(compose::ParseScriptLine(lines[i % 5]));
  return rows;
}

struct Samples {
  std::vector<double> save, open, exportAll, moveUndo;
  double firstOpen = 0;
};

bool Measure(const std::wstring& path, bool escaped, int runs, Samples& samples) {
  const std::vector<compose::ScriptLine> rows = Script(escaped);
  for (int run = 0; run < runs; ++run) {
    const double t0 = NowMs();
    if (app::win::SaveScript(path, "bench", rows, true) != app::win::WriteResult::kWritten) {
      return false;
    }
    const double t1 = NowMs();
    compose::ScriptFileContent opened = app::win::OpenScript(path);
    const double t2 = NowMs();
    if (!opened.opened || opened.rows != rows) return false;
    const std::string block =
        compose::CommandBlock(compose::ScriptCommands("bench", opened.rows, true));
    const std::wstring unicodeText = base::WideFromGbk(block);
    const std::string plainText = base::PlainGbk(block);
    const double t3 = NowMs();
    if (unicodeText.empty() || plainText.empty()) return false;
    compose::ScriptModel model;
    model.Reset(std::move(opened.name), std::move(opened.rows));
    const double t4 = NowMs();
    if (!model.Move(kRows - 1, 1, 0) || !model.Undo()) return false;
    const double t5 = NowMs();
    samples.save.push_back(t1 - t0);
    samples.open.push_back(t2 - t1);
    samples.exportAll.push_back(t3 - t2);
    samples.moveUndo.push_back(t5 - t4);
    if (run == 0) samples.firstOpen = t2 - t1;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = std::max(1, argc > 1 ? std::atoi(argv[1]) : 11);
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring path =
      std::wstring(temp) + L"composer-bench-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
  Samples plain, escaped;
  const bool ok = Measure(path, false, runs, plain) && Measure(path, true, runs, escaped);
  DeleteFileW(path.c_str());
  if (!ok) {
    std::fprintf(stderr, "bench_script_files: a script did not save, open or export as made\n");
    return 1;
  }
  std::printf("rows %zu\nruns %d\n", kRows, runs);
  for (const auto& [prefix, samples] : {std::pair{"", &plain}, std::pair{"escaped_", &escaped}}) {
    std::printf("%ssave_ms %.2f\n%sopen_ms %.2f\n%sexport_ms %.2f\n%smove_undo_ms %.3f\n", prefix,
                Median(samples->save), prefix, Median(samples->open), prefix,
                Median(samples->exportAll), prefix, Median(samples->moveUndo));
    std::printf("%sfirst_open_ms %.2f\n", prefix, samples->firstOpen);
  }
  return 0;
}
