// The composer's start-up, step for step as in app/main_win.cpp, with the time of each phase:
// frame initialised, engine mapped, controls created, skin 7 applied, tips attached (the
// creation handler done), shown, first paint, and settled with nothing left to paint.
//
//   composer_phases          prints "phase NAME MS" lines (bench/phase_clock_win.h) and exits
//   composer_phases paints   prints how often each window was painted until settled, and exits
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "app/startup_win.h"
#include "base/scoped_win.h"
#include "phase_clock_win.h"  // beside this file
#include "skin/module_loader.h"
#include "skin/skins_win.h"
#include "ui/frame_win.h"
#include "ui/ids.h"

namespace {

bench::PhaseClock g_phases;

// The program's engine host, marking when the skin has been attached.
class TimedEngineHost final : public skin::EngineHost {
 public:
  std::uintptr_t GetExport(const char* name) override {
    return skin::LoadedEngineHost().GetExport(name);
  }
  std::uintptr_t Call(std::uintptr_t address, std::uintptr_t a1, std::uintptr_t a2,
                      std::uintptr_t a3, std::uintptr_t a4, std::uintptr_t a5, std::uintptr_t a6,
                      std::uintptr_t a7, std::uintptr_t a8, std::uintptr_t a9,
                      std::uintptr_t a10) override {
    const std::uintptr_t result =
        skin::LoadedEngineHost().Call(address, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10);
    g_phases.Mark("skin");
    return result;
  }
};

TimedEngineHost g_host;

}  // namespace

bench::PaintCounter* g_counter = nullptr;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  g_phases.Mark("main");
  const bool paints = std::wcsstr(commandLine, L"paints") != nullptr;
  bench::PaintCounter counter;
  if (paints) counter.Install();
  g_counter = &counter;

  if (!app::InitializeProgram()) return 1;
  skin::SetEngineHost(&g_host);
  g_phases.Mark("frame");
  skin::CreateGlobalLoader();
  skin::LoadIntoGlobalLoader(skin::EngineImage());
  g_phases.Mark("engine");
  ui::win::SetEventObserver([](ui::WindowId window, ui::ControlId control) {
    if (window == ui::ids::kMainWindow && control == 0) g_phases.Mark("controls");
  });
  ui::win::SetStartObserver([](ui::win::StartStep step) {
    switch (step) {
      case ui::win::StartStep::kBuilt:
        g_phases.Mark("tips");
        break;
      case ui::win::StartStep::kShown:
        g_phases.Mark("shown");
        break;
      case ui::win::StartStep::kFirstPaint:
        g_phases.Mark("first_paint");
        g_counter->Split();
        break;
    }
  });
  HWND main = ui::win::ShowStartWindow(ui::ids::kMainWindow);
  if (main == nullptr) return 1;
  g_phases.Mark("focused");
  ui::win::SetEventObserver(nullptr);
  bench::PumpUntilPainted(main);
  g_phases.Mark("painted");
  if (paints) {
    {
      // What the window shows at this moment, as a BMP, to compare with a later photograph.
      RECT rect;
      GetClientRect(main, &rect);
      const base::ScopedGetDc dc(main);
      const base::ScopedMemoryDc memory(dc);
      BITMAPINFO info{};
      info.bmiHeader = {sizeof(BITMAPINFOHEADER), rect.right, -rect.bottom, 1, 24, BI_RGB};
      void* bits = nullptr;
      const base::ScopedBitmap bitmap(
          CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
      const base::ScopedSelect selected(memory, bitmap);
      BitBlt(memory, 0, 0, rect.right, rect.bottom, dc, 0, 0, SRCCOPY);
      GdiFlush();
      const DWORD stride = (static_cast<DWORD>(rect.right) * 3 + 3) & ~3u;
      const DWORD size = stride * static_cast<DWORD>(rect.bottom);
      BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof file + sizeof info.bmiHeader) + size,
                            0, 0, static_cast<DWORD>(sizeof file + sizeof info.bmiHeader)};
      if (FILE* out = bits != nullptr ? std::fopen("painted.bmp", "wb") : nullptr) {
        std::fwrite(&file, sizeof file, 1, out);
        std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
        std::fwrite(bits, size, 1, out);
        std::fclose(out);
      } else {
        std::printf("-- could not write painted.bmp\n");
      }
    }
    std::printf("-- after painted:\n");
    counter.Split();
    const DWORD until = GetTickCount() + 1500;
    while (GetTickCount() < until) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      Sleep(5);
    }
    counter.Report();
  } else {
    g_phases.Report();
  }
  ExitProcess(0);
}
