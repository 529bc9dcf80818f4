// The skin engine as the program uses it: its image through the in-memory loader (at its
// preferred base and relocated), the catalogue's call, and the colours it paints, under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/scoped_win.h"
#include "base/skin_parts.h"
#include "skin/engine/looks.h"
#include "skin/engine/skin_format.h"
#include "skin/engine/skin_format_writer.h"
#include "skin/module_loader.h"
#include "skin/skins_win.h"

namespace skin {
namespace {

using Bytes = std::vector<std::uint8_t>;

// ---- The image's headers -----------------------------------------------------------------------

std::uint32_t Le32(std::span<const std::uint8_t> bytes, size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::uint16_t Le16(std::span<const std::uint8_t> bytes, size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

// Reads the raw image through its section table.
class RawImage {
 public:
  explicit RawImage(std::span<const std::uint8_t> image) : image_(image) {
    nt_ = Le32(image, 0x3C);
    const size_t sections = nt_ + 24 + Le16(image, nt_ + 20);
    for (int i = 0; i < Le16(image, nt_ + 6); ++i) {
      const size_t at = sections + 40 * static_cast<size_t>(i);
      sections_.push_back({Le32(image, at + 12), Le32(image, at + 16), Le32(image, at + 20)});
    }
  }
  bool Pe32Plus() const { return Le16(image_, nt_ + 24) == 0x20B; }
  size_t Nt() const { return nt_; }
  // The directory entry index: {rva, size}.
  std::pair<std::uint32_t, std::uint32_t> Directory(int index) const {
    const size_t at = nt_ + 24 + (Pe32Plus() ? 112 : 96) + 8 * static_cast<size_t>(index);
    return {Le32(image_, at), Le32(image_, at + 4)};
  }
  size_t Offset(std::uint32_t rva) const {
    for (const Section& section : sections_) {
      if (rva >= section.rva && rva < section.rva + section.rawSize) {
        return rva - section.rva + section.rawOffset;
      }
    }
    ADD_FAILURE() << "RVA outside the sections: " << rva;
    return 0;
  }
  std::string Text(std::uint32_t rva) const {
    return reinterpret_cast<const char*>(image_.data() + Offset(rva));
  }
  std::span<const std::uint8_t> Bytes() const { return image_; }
  size_t LastRawEnd() const {
    size_t end = 0;
    for (const Section& section : sections_)
      end = std::max<size_t>(end, section.rawOffset + section.rawSize);
    return end;
  }

 private:
  struct Section {
    std::uint32_t rva, rawSize, rawOffset;
  };
  std::span<const std::uint8_t> image_;
  size_t nt_ = 0;
  std::vector<Section> sections_;
};

TEST(EngineImageTest, HeadersAreWhatTheInMemoryLoaderNeeds) {
  const RawImage image(EngineImage());
  const auto bytes = image.Bytes();
  ASSERT_EQ(Le16(bytes, 0), 0x5A4D);
  const size_t nt = image.Nt();
  const std::uint16_t characteristics = Le16(bytes, nt + 22);
  EXPECT_TRUE(characteristics & 0x2000);  // DLL
  EXPECT_TRUE(characteristics & 0x0002);  // executable image
  EXPECT_EQ(image.Pe32Plus(), sizeof(void*) == 8);
  EXPECT_EQ(Le16(bytes, nt + 20), sizeof(void*) == 8 ? 0xF0 : 0xE0);
  const std::uint64_t imageBase =
      image.Pe32Plus()
          ? (Le32(bytes, nt + 48) | static_cast<std::uint64_t>(Le32(bytes, nt + 52)) << 32)
          : Le32(bytes, nt + 52);
  EXPECT_EQ(imageBase, 0x10000000u);
  EXPECT_EQ(Le32(bytes, nt + 56), 0x1000u);  // SectionAlignment
  EXPECT_EQ(Le32(bytes, nt + 60), 0x200u);   // FileAlignment
  EXPECT_EQ(image.LastRawEnd(), bytes.size());
  EXPECT_EQ(image.Directory(9).first, 0u) << "no TLS directory";
  EXPECT_EQ(image.Directory(9).second, 0u);
  EXPECT_GT(image.Directory(5).second, 0u) << "base relocations";

  // Imports: system modules only, every function by name.
  const char* const systemModules[] = {"KERNEL32.dll", "USER32.dll", "GDI32.dll", "msvcrt.dll"};
  const auto [importRva, importSize] = image.Directory(1);
  ASSERT_GT(importSize, 0u);
  const size_t thunkSize = image.Pe32Plus() ? 8 : 4;
  int functions = 0;
  for (size_t at = image.Offset(importRva); Le32(bytes, at + 16) != 0; at += 20) {
    const std::string module = image.Text(Le32(bytes, at + 12));
    bool system = false;
    for (const char* allowed : systemModules) system |= lstrcmpiA(module.c_str(), allowed) == 0;
    EXPECT_TRUE(system) << module;
    for (size_t thunk = image.Offset(Le32(bytes, at + 16));; thunk += thunkSize) {
      const std::uint32_t high = thunkSize == 8 ? Le32(bytes, thunk + 4) : Le32(bytes, thunk);
      if (Le32(bytes, thunk) == 0 && high == 0) break;
      EXPECT_EQ(high & 0x80000000u, 0u) << "import by ordinal from " << module;
      ++functions;
    }
  }
  EXPECT_GT(functions, 20);

  // Exports: the module's name and every export's name.
  const auto [exportRva, exportSize] = image.Directory(0);
  ASSERT_GT(exportSize, 0u);
  const size_t exports = image.Offset(exportRva);
  EXPECT_EQ(image.Text(Le32(bytes, exports + 12)), "SkinEngine.dll");
  const std::uint32_t names = Le32(bytes, exports + 24);
  EXPECT_GE(names, 1u);
  for (std::uint32_t i = 0; i < names; ++i) {
    const std::string name =
        image.Text(Le32(bytes, image.Offset(Le32(bytes, exports + 32)) + 4 * i));
    EXPECT_EQ(name.rfind("SkinEngine_", 0), 0u) << name;
  }
}

// A skin file the engine must refuse: its content names an unknown record, so the reader walks
// its tables (whose addresses the relocations fix) before refusing.
Bytes SkinWithUnknownRecord() {
  Bytes content = engine::EncodeContent(engine::CatalogueLooks()[0]);
  content.insert(content.end(), {99, 1, 0});
  Bytes file = engine::SkinHead(static_cast<std::uint32_t>(content.size()));
  const Bytes packed = engine::Pack(content);
  file.insert(file.end(), packed.begin(), packed.end());
  return file;
}

bool RangeIsFree(std::uintptr_t address) {
  MEMORY_BASIC_INFORMATION info{};
  return VirtualQuery(reinterpret_cast<void*>(address), &info, sizeof info) != 0 &&
         info.State == MEM_FREE;
}

TEST(EngineImageTest, LoadsAtItsBaseAndRelocatedAndTheExportIsFound) {
  const bool baseFree = RangeIsFree(0x10000000);
  InMemoryModuleLoader first(SystemLoaderPlatform());
  ASSERT_TRUE(first.Load(EngineImage()));
  if (baseFree) {
    EXPECT_EQ(first.GetModuleBase(), 0x10000000u);
  }
  // The first copy holds the preferred base, so the second must be relocated.
  InMemoryModuleLoader second(SystemLoaderPlatform());
  ASSERT_TRUE(second.Load(EngineImage()));
  EXPECT_NE(second.GetModuleBase(), first.GetModuleBase());
  for (InMemoryModuleLoader* loader : {&first, &second}) {
    const std::uintptr_t attach = loader->GetExport("SkinEngine_AttachRes");
    ASSERT_NE(attach, 0u);
    EXPECT_GT(attach, loader->GetModuleBase());
    EXPECT_EQ(loader->GetExport("skinengine_attachres"), 0u);
    EXPECT_EQ(loader->GetExport(""), 0u);
    // Refused skins: the engine answers 0 from either copy and attaches nothing.
    const Bytes broken = SkinWithUnknownRecord();
    EXPECT_EQ(CallAddress(attach, reinterpret_cast<std::uintptr_t>(broken.data()), broken.size()),
              0u);
    EXPECT_EQ(CallAddress(attach, 0, 0), 0u);
  }
  // Both copies stay mapped for the rest of the process, as the program's engine does.
}

// ---- The program itself
// --------------------------------------------------------------------------

// composer.exe beside this test, started as a user would with its settings in a folder of the
// test's own and the network clock on a loopback address that answers nothing.
class Composer {
 public:
  static std::wstring AppData() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"composer-skin-" + std::to_wstring(GetCurrentProcessId());
  }
  static std::wstring SettingsFile() { return AppData() + L"\\CommandComposer\\settings.ini"; }

  Composer() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring program(path);
    program = program.substr(0, program.find_last_of(L"\\/") + 1) + L"composer.exe";
    CreateDirectoryW(AppData().c_str(), nullptr);
    SetEnvironmentVariableW(L"APPDATA", AppData().c_str());
    SetEnvironmentVariableW(L"COMPOSER_CLOCK_URL", L"http://127.0.0.1:9/");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process_)) {
      ADD_FAILURE() << "composer.exe did not start";
      return;
    }
    for (int waited = 0; waited < 15000 && main_ == nullptr; waited += 100) {
      Sleep(100);
      main_ = FindWindowW(L"ComposerWindow", nullptr);
      if (main_ != nullptr && !IsWindowVisible(main_)) main_ = nullptr;
    }
  }
  ~Composer() {
    if (process_.hProcess == nullptr) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_.hProcess, 99);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }

  HWND Main() const { return main_; }

  // The colour of the main window's own surface, read from the screen beside the tab control.
  // The other process paints when it gets to it: read until the expected colour arrives or time
  // runs out, and give what was there last.
  std::uint32_t SurfaceColour(std::uint32_t expected) const {
    SetForegroundWindow(main_);
    RedrawWindow(main_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    std::uint32_t colour = 0;
    for (int waited = 0; waited < 10000; waited += 50) {
      POINT at{1, 1};  // off every texture's marks
      ClientToScreen(main_, &at);
      const COLORREF pixel = GetPixel(base::ScopedGetDc(nullptr), at.x, at.y);
      colour = static_cast<std::uint32_t>(GetRValue(pixel)) << 16 | GetGValue(pixel) << 8 |
               GetBValue(pixel);
      if (colour == expected) break;
      Sleep(50);
    }
    return colour;
  }

  // Closes the main window; the exit code.
  DWORD Close() const {
    PostMessageW(main_, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process_.hProcess, 15000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(process_.hProcess, &exitCode);
    return exitCode;
  }

 private:
  PROCESS_INFORMATION process_{};
  HWND main_ = nullptr;
};

std::uint32_t WindowColourOf(int number) {
  engine::Look look;
  const auto file = SkinFile(number);
  EXPECT_EQ(engine::ReadSkin(file.data(), file.size(), look), engine::ReadStatus::kOk);
  return look.windowColor;
}

void WriteSettings(const std::string& text) {
  CreateDirectoryW((Composer::AppData() + L"\\CommandComposer").c_str(), nullptr);
  HANDLE file = CreateFileW(Composer::SettingsFile().c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

std::string ReadSettings() {
  HANDLE file = CreateFileW(Composer::SettingsFile().c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  char buffer[256] = {};
  DWORD read = 0;
  ReadFile(file, buffer, sizeof buffer - 1, &read, nullptr);
  CloseHandle(file);
  return std::string(buffer, read);
}

// Without settings the program starts in skin 7; closing it still ends the program normally.
TEST(ProgramTest, StartsInSkinSeven) {
  DeleteFileW(Composer::SettingsFile().c_str());
  Composer composer;
  ASSERT_NE(composer.Main(), nullptr);
  EXPECT_EQ(composer.SurfaceColour(WindowColourOf(7)), WindowColourOf(7));
  EXPECT_EQ(composer.Close(), 0u);
}

// A skin chosen from the system menu and the window's place come back after a restart; a place
// on no screen is not restored, and a damaged file means skin 7.
TEST(ProgramTest, TheChosenSkinAndPlaceSurviveARestart) {
  DeleteFileW(Composer::SettingsFile().c_str());
  {
    Composer composer;
    ASSERT_NE(composer.Main(), nullptr);
    constexpr UINT kSkinTwoCommand = 0x1000 + 16;  // the 皮肤 submenu's command of skin 2
    SendMessageW(composer.Main(), WM_SYSCOMMAND, kSkinTwoCommand, 0);
    EXPECT_EQ(composer.SurfaceColour(WindowColourOf(2)), WindowColourOf(2));
    SetWindowPos(composer.Main(), nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(composer.Close(), 0u);
  }
  EXPECT_EQ(ReadSettings(), "[composer]\r\nskin=2\r\nmain_window=40,50\r\n");
  {
    Composer composer;
    ASSERT_NE(composer.Main(), nullptr);
    EXPECT_EQ(composer.SurfaceColour(WindowColourOf(2)), WindowColourOf(2));
    RECT rect{};
    GetWindowRect(composer.Main(), &rect);
    EXPECT_EQ(rect.left, 40);
    EXPECT_EQ(rect.top, 50);
    EXPECT_EQ(composer.Close(), 0u);
  }
  WriteSettings("skin=2\r\nmain_window=-30000,-30000\r\n");
  {
    Composer composer;
    ASSERT_NE(composer.Main(), nullptr);
    RECT rect{};
    GetWindowRect(composer.Main(), &rect);
    EXPECT_NE(MonitorFromRect(&rect, MONITOR_DEFAULTTONULL), nullptr) << rect.left;
    EXPECT_EQ(composer.Close(), 0u);
  }
  WriteSettings(std::string("\xFF\xFE\0skin=abc\nmain_window=\x01\n", 26));
  {
    Composer composer;
    ASSERT_NE(composer.Main(), nullptr);
    EXPECT_EQ(composer.SurfaceColour(WindowColourOf(7)), WindowColourOf(7));
    EXPECT_EQ(composer.Close(), 0u);
  }
}

// ---- The engine in the program's situation -----------------------------------------------------

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void RegisterTestClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  for (const wchar_t* name : {L"SkinTestFrame", L"SkinTestPanel"}) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &PlainProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = name;
    RegisterClassExW(&windowClass);
  }
}

struct TestWindow {
  HWND frame = nullptr;
  HWND button = nullptr;
  HWND group = nullptr;
  HWND panel = nullptr;
  HWND edit = nullptr;
  HWND radio = nullptr;

  TestWindow() {
    RegisterTestClasses();
    frame = CreateWindowExW(0, L"SkinTestFrame", L"skin test",
                            WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 40, 40, 420,
                            300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    button = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 120,
                             40, frame, nullptr, nullptr, nullptr);
    group = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 10, 60, 200,
                            100, frame, nullptr, nullptr, nullptr);
    panel = CreateWindowExW(0, L"SkinTestPanel", L"", WS_CHILD | WS_VISIBLE, 250, 10, 100, 100,
                            frame, nullptr, nullptr, nullptr);
    SetPropW(panel, base::skin_parts::kPartProperty,
             reinterpret_cast<HANDLE>(static_cast<INT_PTR>(base::skin_parts::Part::kPanel)));
    edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 250, 130, 120, 24,
                           frame, nullptr, nullptr, nullptr);
    radio = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 10, 180,
                            120, 20, frame, nullptr, nullptr, nullptr);
    ShowWindow(frame, SW_SHOWNOACTIVATE);
    UpdateWindow(frame);
  }
  ~TestWindow() { DestroyWindow(frame); }
};

// The colour at x, y of what the window paints into a memory bitmap, as 0xRRGGBB.
// What hwnd paints of area (in client coordinates) into a bitmap the size of area, handed to read
// as a memory DC whose pixel (0, 0) is the area's top left.
template <typename Read>
auto Painted(HWND hwnd, RECT area, Read read) {
  const base::ScopedGetDc screen(nullptr);
  const base::ScopedMemoryDc memory(screen);
  const base::ScopedBitmap bitmap(
      CreateCompatibleBitmap(screen, area.right - area.left, area.bottom - area.top));
  const base::ScopedSelect selected(memory, bitmap);
  SetWindowOrgEx(memory, area.left, area.top, nullptr);
  SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.Get()),
               PRF_CLIENT | PRF_ERASEBKGND);
  SetWindowOrgEx(memory, 0, 0, nullptr);
  return read(memory.Get());
}

RECT ClientOf(HWND hwnd) {
  RECT client;
  GetClientRect(hwnd, &client);
  return client;
}

std::uint32_t PixelOf(HWND hwnd, int x, int y) {
  const COLORREF color = Painted(hwnd, ClientOf(hwnd), [&](HDC dc) { return GetPixel(dc, x, y); });
  return static_cast<std::uint32_t>(GetRValue(color)) << 16 | GetGValue(color) << 8 |
         GetBValue(color);
}

// What hwnd paints into a bitmap the size of area only, the way a control asks its parent for
// the background under it: the same pixels as in the window's full paint are expected.
std::vector<COLORREF> PixelsOfArea(HWND hwnd, RECT area) {
  return Painted(hwnd, area, [&](HDC dc) {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < area.bottom - area.top; ++y) {
      for (int x = 0; x < area.right - area.left; ++x) pixels.push_back(GetPixel(dc, x, y));
    }
    return pixels;
  });
}

std::vector<COLORREF> AllPixels(HWND hwnd) {
  return PixelsOfArea(hwnd, ClientOf(hwnd));
}

std::vector<COLORREF> CutOut(HWND hwnd, const std::vector<COLORREF>& whole, RECT area) {
  RECT client;
  GetClientRect(hwnd, &client);
  std::vector<COLORREF> pixels;
  for (LONG y = area.top; y < area.bottom; ++y) {
    for (LONG x = area.left; x < area.right; ++x) {
      pixels.push_back(whole[static_cast<size_t>(y * client.right + x)]);
    }
  }
  return pixels;
}

std::uint32_t MixOf(std::uint32_t from, std::uint32_t to, double amount) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const double a = (from >> shift) & 0xFF;
    const double b = (to >> shift) & 0xFF;
    out |= static_cast<std::uint32_t>(a + (b - a) * amount + 0.5) << shift;
  }
  return out;
}

::testing::AssertionResult Near(std::uint32_t actual, std::uint32_t expected, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int a = (actual >> shift) & 0xFF;
    const int e = (expected >> shift) & 0xFF;
    if (a - e > tolerance || e - a > tolerance) {
      return ::testing::AssertionFailure()
             << std::hex << "0x" << actual << " is not near 0x" << expected;
    }
  }
  return ::testing::AssertionSuccess();
}

engine::Look LookOf(int number) {
  engine::Look look;
  const auto file = SkinFile(number);
  EXPECT_EQ(engine::ReadSkin(file.data(), file.size(), look), engine::ReadStatus::kOk);
  return look;
}

struct Snapshot {
  LONG_PTR frameProc, buttonProc;
  std::uint32_t frame, button, group;
  bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const TestWindow& window) {
  return {GetWindowLongPtrW(window.frame, GWLP_WNDPROC),
          GetWindowLongPtrW(window.button, GWLP_WNDPROC), PixelOf(window.frame, 1, 1),
          PixelOf(window.button, 3, 30), PixelOf(window.group, 0, 50)};
}

std::uintptr_t AttachExport() {
  return GlobalLoader() != nullptr ? GlobalLoader()->GetExport(kAttachExport) : 0;
}

std::uintptr_t Attach(std::span<const std::uint8_t> file) {
  return CallAddress(AttachExport(), reinterpret_cast<std::uintptr_t>(file.data()), file.size(), 0,
                     0, 0, 0, 0, 0, 0, 0);
}

// Records the catalogue's call and passes it on to the program's engine.
class RecordingHost final : public EngineHost {
 public:
  std::vector<std::uintptr_t> arguments;
  std::uintptr_t GetExport(const char* name) override { return LoadedEngineHost().GetExport(name); }
  std::uintptr_t Call(std::uintptr_t address, std::uintptr_t a1, std::uintptr_t a2,
                      std::uintptr_t a3, std::uintptr_t a4, std::uintptr_t a5, std::uintptr_t a6,
                      std::uintptr_t a7, std::uintptr_t a8, std::uintptr_t a9,
                      std::uintptr_t a10) override {
    arguments = {a1, a2, a3, a4, a5, a6, a7, a8, a9, a10};
    return LoadedEngineHost().Call(address, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10);
  }
};

// These run in order: the engine, once attached, stays attached for the process.
class SkinnedProgramTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    CreateGlobalLoader();
    ASSERT_TRUE(LoadIntoGlobalLoader(EngineImage()));
    SetEngineHost(&LoadedEngineHost());
  }
};

UINT InkMessage() {
  return RegisterWindowMessageW(base::skin_parts::kInkMessage);
}

TEST_F(SkinnedProgramTest, WithoutASkinTheInkQuestionGoesUnanswered) {
  TestWindow window;
  EXPECT_EQ(SendMessageW(window.panel, InkMessage(), RGB(0, 0, 0), 0), 0);
  EXPECT_EQ(SendMessageW(window.frame, InkMessage(), RGB(0x90, 0, 0xFF), 0), 0);
}

TEST_F(SkinnedProgramTest, OutOfRangeNumbersAndBrokenSkinsLeaveWindowsAlone) {
  TestWindow window;
  const Snapshot before = Take(window);
  ApplySkin(0);
  ApplySkin(35);
  EXPECT_EQ(Take(window), before);

  const auto seven = SkinFile(7);
  const Bytes good(seven.begin(), seven.end());
  Bytes badMagic = good;
  badMagic[1] ^= 0xFF;
  Bytes lyingSize = good;
  lyingSize[8] += 1;
  Bytes hugeSize = good;
  hugeSize[11] = 0x40;
  Bytes badPayload = good;
  for (size_t i = 12; i < badPayload.size(); ++i) badPayload[i] = 0xFF;
  const Bytes truncated(good.begin(), good.end() - 5);
  for (const Bytes& broken :
       {badMagic, lyingSize, hugeSize, badPayload, truncated, SkinWithUnknownRecord(), Bytes{}}) {
    EXPECT_EQ(Attach(broken), 0u);
  }
  EXPECT_EQ(Take(window), before);
}

TEST_F(SkinnedProgramTest, SevenPassesItsEntryAndPaintsItsColours) {
  TestWindow window;
  // A page not shown yet, as the tab control's later pages are at start-up.
  HWND page = CreateWindowExW(0, L"SkinTestPanel", L"", WS_CHILD, 250, 10, 150, 100, window.frame,
                              nullptr, nullptr, nullptr);
  SetPropW(page, base::skin_parts::kPartProperty,
           reinterpret_cast<HANDLE>(static_cast<INT_PTR>(base::skin_parts::Part::kPanel)));
  HWND pageButton = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10,
                                    10, 120, 40, page, nullptr, nullptr, nullptr);
  RecordingHost host;
  SetEngineHost(&host);
  ApplySkin(7);
  SetEngineHost(&LoadedEngineHost());
  ASSERT_EQ(host.arguments.size(), 10u);
  EXPECT_EQ(host.arguments[0], reinterpret_cast<std::uintptr_t>(SkinFile(7).data()));
  EXPECT_EQ(host.arguments[1], SkinFile(7).size());
  for (size_t i = 2; i < 10; ++i) EXPECT_EQ(host.arguments[i], 0u);

  const engine::Look look = LookOf(7);
  EXPECT_TRUE(Near(PixelOf(window.frame, 1, 1), look.windowColor, 0));
  // The button's face is a top-to-bottom gradient; row 30 of 40 lies three quarters down.
  EXPECT_TRUE(
      Near(PixelOf(window.button, 3, 30), MixOf(look.buttonFrom, look.buttonTo, 30.5 / 40), 3));
  EXPECT_TRUE(Near(PixelOf(window.group, 0, 50), look.groupBorderColor, 0));
  // A frame around no controls of its own stays open: the window shows inside it.
  EXPECT_TRUE(Near(PixelOf(window.group, 100, 50), look.windowColor, 0));
  EXPECT_TRUE(Near(PixelOf(window.panel, 1, 1), look.panelColor, 0));

  // The page's controls wear the skin from their first appearance.
  ShowWindow(page, SW_SHOW);
  EXPECT_TRUE(
      Near(PixelOf(pageButton, 3, 30), MixOf(look.buttonFrom, look.buttonTo, 30.5 / 40), 3));
  EXPECT_TRUE(Near(PixelOf(page, 1, 1), look.panelColor, 0));

  // A part of a window's paint, as a label asks for what lies under it, matches the whole.
  const struct {
    HWND hwnd;
    RECT area;
  } parts[] = {{window.frame, {5, 5, 25, 25}},
               {window.frame, {0, 150, 60, 190}},
               {window.group, {0, 40, 30, 60}},
               {window.group, {150, 0, 200, 20}},
               {window.panel, {20, 30, 60, 50}}};
  for (const auto& part : parts) {
    EXPECT_EQ(PixelsOfArea(part.hwnd, part.area),
              CutOut(part.hwnd, AllPixels(part.hwnd), part.area))
        << "at " << part.area.left << "," << part.area.top;
  }
}

TEST_F(SkinnedProgramTest, WindowsAndDialogsCreatedLaterAreSkinned) {
  const engine::Look look = LookOf(7);
  TestWindow later;
  EXPECT_TRUE(Near(PixelOf(later.frame, 1, 1), look.windowColor, 0));
  EXPECT_TRUE(Near(PixelOf(later.group, 0, 50), look.groupBorderColor, 0));

  // A dialog from a template, as the text prompt is made.
  struct alignas(4) {
    DLGTEMPLATE dialog;
    WORD menu, windowClass, title;
  } dialogTemplate{};
  dialogTemplate.dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  dialogTemplate.dialog.cx = 100;
  dialogTemplate.dialog.cy = 60;
  HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &dialogTemplate.dialog,
                                           nullptr, nullptr, 0);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(Near(PixelOf(dialog, 1, 1), look.windowColor, 0));
  DestroyWindow(dialog);
}

// A tab control that takes the focus as its window is shown, before the first paint, as the
// start window's first control does: the page inside it is painted all the same.
TEST_F(SkinnedProgramTest, FocusBeforeTheFirstPaintLeavesNothingUnpainted) {
  RegisterTestClasses();
  HWND frame =
      CreateWindowExW(0, L"SkinTestFrame", L"focus", WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN,
                      40, 40, 300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  HWND tab = CreateWindowExW(0, L"SysTabControl32", L"",
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN, 5, 5, 250, 150,
                             frame, nullptr, nullptr, nullptr);
  HWND page = CreateWindowExW(0, L"SkinTestPanel", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 4,
                              24, 240, 120, tab, nullptr, nullptr, nullptr);
  SetPropW(page, base::skin_parts::kPartProperty,
           reinterpret_cast<HANDLE>(static_cast<INT_PTR>(base::skin_parts::Part::kPanel)));
  HWND button = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10,
                                120, 40, page, nullptr, nullptr, nullptr);
  ShowWindow(frame, SW_SHOWNORMAL);
  SetFocus(tab);
  UpdateWindow(frame);
  EXPECT_FALSE(GetUpdateRect(button, nullptr, FALSE));
  const COLORREF color = GetPixel(base::ScopedGetDc(button), 3, 30);
  const engine::Look look = LookOf(7);
  EXPECT_TRUE(Near(
      static_cast<std::uint32_t>(GetRValue(color)) << 16 | GetGValue(color) << 8 | GetBValue(color),
      MixOf(look.buttonFrom, look.buttonTo, 30.5 / 40), 3));
  DestroyWindow(frame);
}

TEST_F(SkinnedProgramTest, ABrokenSkinAfterAttachKeepsTheLook) {
  TestWindow window;
  const Snapshot before = Take(window);
  EXPECT_EQ(Attach(SkinWithUnknownRecord()), 0u);
  EXPECT_EQ(Take(window), before);
}

TEST_F(SkinnedProgramTest, ButtonAndRadioStatesLookDistinct) {
  TestWindow window;
  SetWindowTextW(window.button, L"OK");
  const auto normal = AllPixels(window.button);
  SendMessageW(window.button, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  const auto hot = AllPixels(window.button);
  SendMessageW(window.button, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(AllPixels(window.button), normal);
  SendMessageW(window.button, BM_SETSTATE, TRUE, 0);
  const auto pressed = AllPixels(window.button);
  SendMessageW(window.button, BM_SETSTATE, FALSE, 0);
  SetFocus(window.button);
  const auto focused = AllPixels(window.button);
  SetFocus(window.frame);
  EnableWindow(window.button, FALSE);
  const auto disabled = AllPixels(window.button);
  EnableWindow(window.button, TRUE);
  const std::vector<COLORREF>* looks[] = {&normal, &hot, &pressed, &focused, &disabled};
  for (size_t a = 0; a < 5; ++a) {
    for (size_t b = a + 1; b < 5; ++b) EXPECT_NE(*looks[a], *looks[b]) << a << " " << b;
  }

  const engine::Look look = LookOf(7);
  const auto unchecked = AllPixels(window.radio);
  SendMessageW(window.radio, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_NE(AllPixels(window.radio), unchecked);
  // The mark sits at the left, centred: its dot is the accent colour.
  RECT client;
  GetClientRect(window.radio, &client);
  const std::uint32_t dot = PixelOf(window.radio, 1 + 13 / 2, client.bottom / 2);
  EXPECT_TRUE(Near(dot, look.accentColor, 40));
}

TEST_F(SkinnedProgramTest, TheInkQuestionAnswersAColourThatReadsOnTheSkin) {
  TestWindow window;
  for (int number : {2, 7}) {
    SCOPED_TRACE(number);
    ASSERT_EQ(Attach(SkinFile(number)), 1u);
    const engine::Look look = LookOf(number);
    const LRESULT black = SendMessageW(window.panel, InkMessage(), RGB(0, 0, 0), 0);
    ASSERT_TRUE(black & base::skin_parts::kInkAnswered);
    const COLORREF text = static_cast<COLORREF>(black & 0xFFFFFF);
    EXPECT_EQ(
        static_cast<std::uint32_t>(GetRValue(text)) << 16 | GetGValue(text) << 8 | GetBValue(text),
        look.textColor);
    // A label's own colour that is too faint on the surface comes back stronger.
    const COLORREF faint = look.dark ? RGB(0x30, 0x10, 0x60) : RGB(0xE0, 0xF0, 0xF0);
    const LRESULT answer = SendMessageW(window.panel, InkMessage(), faint, 0);
    ASSERT_TRUE(answer & base::skin_parts::kInkAnswered);
    EXPECT_NE(static_cast<COLORREF>(answer & 0xFFFFFF), faint);
  }
  ASSERT_EQ(Attach(SkinFile(7)), 1u);
}

// The title bar is the engine's: its close button still closes the window, and a press that
// leaves the button before release does not.
TEST_F(SkinnedProgramTest, TheSkinnedCloseButtonClosesTheWindow) {
  TestWindow window;
  RECT frame;
  GetWindowRect(window.frame, &frame);
  POINT close{-1, -1};
  for (LONG x = frame.right - 1; x > frame.left && close.x < 0; --x) {
    for (LONG y = frame.top; y < frame.top + 40 && close.x < 0; ++y) {
      if (SendMessageW(window.frame, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) close = {x, y};
    }
  }
  ASSERT_GE(close.x, 0) << "no close button in the title bar";
  EXPECT_EQ(SendMessageW(window.frame, WM_NCHITTEST, 0, MAKELPARAM(frame.left + 60, close.y)),
            HTCAPTION);
  auto press = [&](POINT release) {
    SendMessageW(window.frame, WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(close.x, close.y));
    POINT client = release;
    ScreenToClient(window.frame, &client);
    SendMessageW(window.frame, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
    SendMessageW(window.frame, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  };
  press(POINT{frame.left + 60, close.y});  // released on the caption: nothing happens
  EXPECT_TRUE(IsWindow(window.frame));
  press(close);
  EXPECT_FALSE(IsWindow(window.frame));
}

// The strongest contrast between a pixel of pixels and the colour at the button's left edge
// halfway down (its face, where no text is).
double TextContrast(HWND button) {
  RECT client;
  GetClientRect(button, &client);
  const std::vector<COLORREF> pixels = AllPixels(button);
  auto luminance = [](COLORREF c) {
    auto linear = [](int v) {
      const double x = v / 255.0;
      return x * x;
    };
    return 0.2126 * linear(GetRValue(c)) + 0.7152 * linear(GetGValue(c)) +
           0.0722 * linear(GetBValue(c)) + 0.05;
  };
  double best = 1;
  for (int y = client.bottom / 3; y < client.bottom * 2 / 3; ++y) {
    const double face = luminance(pixels[static_cast<size_t>(y * client.right + 4)]);
    for (int x = 8; x < client.right - 8; ++x) {
      const double l = luminance(pixels[static_cast<size_t>(y * client.right + x)]);
      best = std::max(best, l > face ? l / face : face / l);
    }
  }
  return best;
}

// In every skin the frame and group colours are the skin's, and a disabled button's caption is
// dimmed but still readable.
TEST_F(SkinnedProgramTest, EverySkinAppliesCleanly) {
  TestWindow window;
  SetWindowTextW(window.button, L"\u786e\u8ba4\u8f93\u5165");  // 确认输入
  EnableWindow(window.button, FALSE);
  for (int number = 1; number <= kSkinCount; ++number) {
    SCOPED_TRACE(number);
    EXPECT_EQ(Attach(SkinFile(number)), 1u);
    const engine::Look look = LookOf(number);
    // (1, 1) is off every texture's marks.
    EXPECT_TRUE(Near(PixelOf(window.frame, 1, 1), look.windowColor, 0));
    EXPECT_TRUE(Near(PixelOf(window.group, 0, 50), look.groupBorderColor, 0));
    EXPECT_GE(TextContrast(window.button), 2.8);
  }
  EnableWindow(window.button, TRUE);
  EXPECT_EQ(Attach(SkinFile(7)), 1u);
}

// The hot look goes when the pointer is found elsewhere, even when WM_MOUSELEAVE never comes.
TEST_F(SkinnedProgramTest, HotLookGoesWithoutMouseLeave) {
  TestWindow window;
  SetWindowTextW(window.button, L"OK");
  SetCursorPos(0, 0);  // away from the window, which sits at 40, 40
  const auto normal = AllPixels(window.button);
  SendMessageW(window.button, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  ASSERT_NE(AllPixels(window.button), normal);
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 400) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message != WM_MOUSELEAVE) DispatchMessageW(&msg);
    }
    Sleep(10);
  }
  EXPECT_EQ(AllPixels(window.button), normal);
}

}  // namespace
}  // namespace skin
