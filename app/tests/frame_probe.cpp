// A small program on the composer's frame, started by the end-to-end tests to watch what only a
// whole process shows: the run-time error box with its exit code, and normal termination with
// its exit routines. Usage:
//   frame_probe error NUMBER MARKER   raise run-time error NUMBER
//   frame_probe memory MARKER         ask for more memory than there is
//   frame_probe normal MARKER         show the main window and end normally when it is closed
// MARKER is a file that the probe's exit routine writes; it must not appear after an error.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/startup_win.h"
#include "base/runtime.h"
#include "ui/frame_win.h"
#include "ui/ids.h"

namespace {

std::string g_marker;

void WriteMarker(int position) {
  if (FILE* file = std::fopen(g_marker.c_str(), "w")) {
    std::fprintf(file, "exit routine at position %d\n", position);
    std::fclose(file);
  }
}

void Unused(int) {}

#if defined(__i386__)
constexpr std::size_t kUnreachableSize = 0xFFFFF000u;
#else
constexpr std::size_t kUnreachableSize = 0x00FFFFFFFFFFF000u;  // beyond any 64-bit address space
#endif

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string mode = argv[1];
  g_marker = argv[argc - 1];
  if (!app::InitializeProgram()) return 3;
  base::RegisterExitRoutine(&Unused);
  base::RegisterExitRoutine(&WriteMarker);
  if (mode == "error" && argc == 4) {
    base::RaiseRuntimeError(std::atoi(argv[2]));
  }
  if (mode == "memory") {
    // More than the process can address.
    volatile std::size_t size = kUnreachableSize;
    // Kept in a volatile, so the compiler cannot leave the allocation out.
    char* volatile block = new char[size];
    return block != nullptr ? 4 : 5;
  }
  if (mode == "normal") {
    if (ui::win::ShowStartWindow(ui::ids::kMainWindow) == nullptr) return 3;
    ui::win::RunMessageLoop();
    ui::win::TerminateNormally();
  }
  return 2;
}
