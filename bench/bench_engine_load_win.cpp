// Times what start-up spends on the skin engine: mapping its image with the in-memory loader and
// the first attach of skin 7 to the main window with its hundred controls. One sample per
// process, since an attached engine stays attached to its thread. With "relocated", the image's
// preferred address is taken first, so the loader has to map it elsewhere and apply its
// relocations.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <span>

#include "app/startup_win.h"
#include "skin/module_loader.h"
#include "skin/skins_win.h"
#include "ui/frame_win.h"
#include "ui/ids.h"

namespace {

double NowMs() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Reserves the range the engine image asks for, so that it cannot be mapped there.
bool TakePreferredAddress(std::span<const std::uint8_t> image) {
  std::uint32_t headers = 0;
  if (image.size() < 0x40) return false;
  std::memcpy(&headers, image.data() + 0x3C, sizeof headers);
  const std::size_t optional = headers + 24;
  if (image.size() < optional + 64) return false;
  std::uint16_t magic = 0;
  std::memcpy(&magic, image.data() + optional, sizeof magic);
  std::uint64_t base = 0;
  if (magic == 0x20B) {
    std::memcpy(&base, image.data() + optional + 24, 8);
  } else {
    std::uint32_t base32 = 0;
    std::memcpy(&base32, image.data() + optional + 28, 4);
    base = base32;
  }
  std::uint32_t size = 0;
  std::memcpy(&size, image.data() + optional + 56, sizeof size);
  return VirtualAlloc(reinterpret_cast<void*>(static_cast<std::uintptr_t>(base)), size, MEM_RESERVE,
                      PAGE_NOACCESS) != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const bool relocated = argc > 1 && std::strcmp(argv[1], "relocated") == 0;
  if (relocated && !TakePreferredAddress(skin::EngineImage())) {
    std::fprintf(stderr, "bench_engine_load: the image's preferred range could not be taken\n");
    return 1;
  }
  // The image is mapped first, while its preferred range is still free (unless taken above).
  const double start = NowMs();
  skin::CreateGlobalLoader();
  if (!skin::LoadIntoGlobalLoader(skin::EngineImage())) {
    std::fprintf(stderr, "bench_engine_load: the engine image was refused\n");
    return 1;
  }
  const double loaded = NowMs();

  if (!app::InitializeProgram()) return 1;
  // At start-up the creation handler applies skin 7 to the main window before it is shown. Here
  // the window is built without an engine host, so that first attach can be timed on its own, on
  // the window with all its controls, hidden again as before it is first shown.
  skin::SetEngineHost(nullptr);
  HWND main = ui::win::ShowStartWindow(ui::ids::kMainWindow);
  if (main == nullptr) return 1;
  ShowWindow(main, SW_HIDE);
  skin::SetEngineHost(&skin::LoadedEngineHost());
  const double applyStart = NowMs();
  skin::ApplySkin(7);
  const double applied = NowMs();
  const std::uintptr_t base = skin::GlobalLoader()->GetModuleBase();
  std::printf("load_ms %.3f\napply_ms %.3f\ntotal_ms %.3f\nmapped_at 0x%llx\n", loaded - start,
              applied - applyStart, loaded - start + applied - applyStart,
              static_cast<unsigned long long>(base));
  std::fflush(stdout);
  ExitProcess(0);
}
