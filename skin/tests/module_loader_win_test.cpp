// The loader against real DLLs under Windows (Wine): the fixture DLLs the project builds for these
// tests and MinGW-w64's zlib, mapped at their ImageBase and away from it, called by name and by
// ordinal, told of attach and detach, their pages protected as their sections ask; TLS callbacks
// and thread-local data; and CallAddress against callees of 0 to 10 arguments.
#include <windows.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "skin/module_loader.h"

#if defined(__i386__)
// Calls the ten-argument thunk behind CallAddress from assembly and gives the difference of the
// stack pointer after the call and before it, which must be 0 whatever the callee removed.
extern "C" std::int32_t LoaderTestStackDelta(
    std::uintptr_t address, const std::uint32_t* arguments,
    std::uint32_t* result) __asm__("loader_test_stack_delta");
asm(R"(
    .text
    .globl loader_test_stack_delta
loader_test_stack_delta:
    pushl %ebp
    movl %esp, %ebp
    pushl %edi
    movl %esp, %edi
    pushl 12(%ebp)
    pushl 8(%ebp)
    call skin_call_address_thunk
    addl $8, %esp
    movl 16(%ebp), %ecx
    movl %eax, (%ecx)
    movl %esp, %eax
    subl %edi, %eax
    popl %edi
    popl %ebp
    ret
)");
#endif

namespace skin {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string BesideTests(const char* name) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of("\\/") + 1) + name;
}

Bytes ReadImage(const char* name) {
  std::ifstream file(BesideTests(name), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string Hex(std::uintptr_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(value));
  return text;
}

// The entry-point calls the fixture recorded since the last look.
std::string TakeEntryCalls() {
  char text[512] = "";
  GetEnvironmentVariableA("LOADER_FIXTURE_CALLS", text, sizeof text);
  SetEnvironmentVariableA("LOADER_FIXTURE_CALLS", nullptr);
  return text;
}

// Whether nothing is committed at address any more (Wine hands a released range back to its own
// reservations, so "free" would ask too much).
::testing::AssertionResult IsReleased(std::uintptr_t address) {
  MEMORY_BASIC_INFORMATION info = {};
  if (VirtualQuery(reinterpret_cast<void*>(address), &info, sizeof info) == 0) {
    return ::testing::AssertionFailure() << "VirtualQuery fails at " << Hex(address);
  }
  if (info.State != MEM_COMMIT) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << Hex(address) << " is still committed";
}

// The protection each section's pages must carry in a loaded image, read back from the system;
// and no page of the block writable and executable.
void ExpectProtections(const InMemoryModuleLoader& loader, std::size_t blockSize) {
  const std::uintptr_t base = loader.GetModuleBase();
  const auto query = [](std::uintptr_t address) {
    MEMORY_BASIC_INFORMATION info = {};
    VirtualQuery(reinterpret_cast<void*>(address), &info, sizeof info);
    return info;
  };
  EXPECT_EQ(query(base).Protect, static_cast<DWORD>(PAGE_READONLY)) << "headers";
  for (const SectionHeader& section : loader.Sections()) {
    if (section.Extent() == 0) continue;
    SCOPED_TRACE("section at " + Hex(section.virtualAddress));
    const MEMORY_BASIC_INFORMATION info = query(base + section.virtualAddress);
    const std::uint32_t c = section.characteristics;
    if (c & IMAGE_SCN_MEM_DISCARDABLE) {
      EXPECT_EQ(info.State, static_cast<DWORD>(MEM_RESERVE));
    } else if (c & IMAGE_SCN_MEM_EXECUTE) {
      EXPECT_EQ(info.Protect, static_cast<DWORD>(PAGE_EXECUTE_READ));
    } else if (c & IMAGE_SCN_MEM_WRITE) {
      EXPECT_EQ(info.Protect, static_cast<DWORD>(PAGE_READWRITE));
    } else {
      EXPECT_EQ(info.Protect, static_cast<DWORD>(PAGE_READONLY));
    }
  }
  for (std::uintptr_t at = base; at < base + blockSize;) {
    const MEMORY_BASIC_INFORMATION info = query(at);
    ASSERT_GT(info.RegionSize, 0u);
    const DWORD writableCode = PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY | PAGE_WRITECOPY;
    EXPECT_EQ(info.Protect & writableCode, 0u) << Hex(at);
    at = reinterpret_cast<std::uintptr_t>(info.BaseAddress) + info.RegionSize;
  }
}

std::uint64_t ImageBaseOf(const Bytes& image) {
  InMemoryModuleLoader probe(SystemLoaderPlatform());
  return probe.CheckHeaders(image) ? probe.Nt().imageBase : 0;
}

class FixtureDllTest : public ::testing::Test {
 protected:
  void SetUp() override {
    image = ReadImage("loader_fixture.dll");
    ASSERT_FALSE(image.empty()) << "loader_fixture.dll is missing beside the tests";
    imageBase = static_cast<std::uintptr_t>(ImageBaseOf(image));
    ASSERT_NE(imageBase, 0u);
    TakeEntryCalls();
  }

  // Calls an export through CallAddress; the fixture's results are 32-bit.
  std::uint32_t Call(const char* name, std::uintptr_t a1 = 0, std::uintptr_t a2 = 0) {
    const std::uintptr_t address = loader.GetExport(name);
    EXPECT_NE(address, 0u) << name;
    if (address == 0) return 0;
    return static_cast<std::uint32_t>(CallAddress(address, a1, a2));
  }

  void ExpectWorking() {
    const std::uintptr_t base = loader.GetModuleBase();
    const std::uintptr_t self = loader.GetExport("FixtureSelf");
    ASSERT_NE(self, 0u);
    EXPECT_EQ(CallAddress(self), self) << "data pointers were not relocated";
    EXPECT_EQ(Call("FixtureApply", 0, 21), 42u);
    EXPECT_EQ(Call("FixtureApply", 1, 7), 49u);
    EXPECT_EQ(Call("FixtureProcessId"), GetCurrentProcessId());  // bound from kernel32
    char text[] = "abc";
    Call("FixtureUpper", reinterpret_cast<std::uintptr_t>(text));  // bound from user32
    EXPECT_STREQ(text, "ABC");
    EXPECT_EQ(loader.GetExportByOrdinal(1), self);
    const std::uintptr_t ordinalOnly = loader.GetExportByOrdinal(5);
    ASSERT_NE(ordinalOnly, 0u);
    EXPECT_EQ(static_cast<std::uint32_t>(CallAddress(ordinalOnly)), 0x5A5Au);
    EXPECT_EQ(loader.GetExport("FixtureOrdinalOnly"), 0u);
    EXPECT_EQ(loader.GetExport("FixtureForwarded"), 0u);  // a text naming kernel32's export
    EXPECT_EQ(loader.GetExport("fixtureself"), 0u);
    EXPECT_GT(self, base);
    ExpectProtections(loader, loader.ComputeImageSize());
#if defined(_WIN64)
    // The unwinder knows the mapped code, so exceptions and long jumps can pass through it.
    DWORD64 foundBase = 0;
    EXPECT_NE(RtlLookupFunctionEntry(self, &foundBase, nullptr), nullptr);
    EXPECT_EQ(foundBase, base);
#endif
  }

  Bytes image;
  std::uintptr_t imageBase = 0;
  InMemoryModuleLoader loader{SystemLoaderPlatform()};
};

TEST_F(FixtureDllTest, LoadsAtImageBaseAndUnloads) {
  ASSERT_TRUE(loader.Load(image));
  const std::uintptr_t base = loader.GetModuleBase();
  EXPECT_EQ(base, imageBase);
  EXPECT_EQ(TakeEntryCalls(), "1@" + Hex(base) + ";");
  ExpectWorking();
  [[maybe_unused]] const std::uintptr_t self = loader.GetExport("FixtureSelf");

  loader.Unload();
  EXPECT_EQ(TakeEntryCalls(), "0@" + Hex(base) + ";");
#if defined(_WIN64)
  DWORD64 foundBase = 0;
  EXPECT_EQ(RtlLookupFunctionEntry(self, &foundBase, nullptr), nullptr);
#endif
  EXPECT_EQ(loader.GetModuleBase(), 0u);
  EXPECT_TRUE(IsReleased(base));
}

TEST_F(FixtureDllTest, RelocatesWhenImageBaseIsTaken) {
  void* taken =
      VirtualAlloc(reinterpret_cast<void*>(imageBase), 0x10000, MEM_RESERVE, PAGE_NOACCESS);
  ASSERT_EQ(reinterpret_cast<std::uintptr_t>(taken), imageBase);
  ASSERT_TRUE(loader.Load(image));
  const std::uintptr_t base = loader.GetModuleBase();
  EXPECT_NE(base, imageBase);
  EXPECT_EQ(TakeEntryCalls(), "1@" + Hex(base) + ";");
  ExpectWorking();
  loader.Unload();
  EXPECT_TRUE(IsReleased(base));
  VirtualFree(taken, 0, MEM_RELEASE);
}

TEST_F(FixtureDllTest, SecondLoadChangesNothing) {
  ASSERT_TRUE(loader.Load(image));
  const std::uintptr_t base = loader.GetModuleBase();
  const std::uintptr_t self = loader.GetExport("FixtureSelf");
  TakeEntryCalls();
  EXPECT_FALSE(loader.Load(image));
  EXPECT_EQ(TakeEntryCalls(), "");
  EXPECT_EQ(loader.GetModuleBase(), base);
  EXPECT_EQ(loader.GetExport("FixtureSelf"), self);
  EXPECT_EQ(CallAddress(self), self);
  loader.Unload();
}

TEST_F(FixtureDllTest, EntryPointRefusingAttachIsToldOfDetachAndReleased) {
  const Bytes refusing = ReadImage("loader_fixture_refuses.dll");
  ASSERT_FALSE(refusing.empty());
  EXPECT_FALSE(loader.Load(refusing));
  EXPECT_EQ(loader.LastError(), LoadError::kEntryPointRefused);
  const std::string calls = TakeEntryCalls();
  ASSERT_EQ(calls.size() % 2, 0u);
  const std::string first = calls.substr(0, calls.size() / 2);  // "1@<block>;"
  ASSERT_EQ(first.substr(0, 2), "1@");
  EXPECT_EQ(calls, first + "0" + first.substr(1));
  EXPECT_EQ(loader.GetModuleBase(), 0u);
  EXPECT_TRUE(IsReleased(std::stoull(first.substr(2), nullptr, 16)));
  // The loader stays empty and usable.
  EXPECT_TRUE(loader.Load(image));
  loader.Unload();
}

TEST_F(FixtureDllTest, CallAddressPassesTenArgumentsToEveryCallee) {
  ASSERT_TRUE(loader.Load(image));
  const std::uint32_t arguments[10] = {3, 5, 7, 11, 13, 17, 19, 23, 29, 31};
  for (int count = 0; count <= 10; ++count) {
    std::uint32_t expected = 0;
    for (int i = 0; i < count; ++i) expected += (i + 1) * arguments[i];
    for (const char* kind : {"StdSum", "CdeclSum"}) {
      const std::string name = kind + std::to_string(count);
      SCOPED_TRACE(name);
      const std::uintptr_t address = loader.GetExport(name.c_str());
      ASSERT_NE(address, 0u);
      const std::uintptr_t result =
          CallAddress(address, arguments[0], arguments[1], arguments[2], arguments[3], arguments[4],
                      arguments[5], arguments[6], arguments[7], arguments[8], arguments[9]);
      EXPECT_EQ(static_cast<std::uint32_t>(result), expected);
#if defined(__i386__)
      // Standard-call callees remove 4 * count bytes, C-convention callees none.
      std::uint32_t direct = 0;
      EXPECT_EQ(LoaderTestStackDelta(address, arguments, &direct), 0);
      EXPECT_EQ(direct, expected);
#endif
    }
  }
  loader.Unload();
}

TEST(GlobalLoaderTest, LivesFromCreationToTheExitRoutine) {
  EXPECT_EQ(GlobalLoader(), nullptr);
  EXPECT_FALSE(LoadIntoGlobalLoader(ReadImage("loader_fixture.dll")));
  CreateGlobalLoader();
  ASSERT_NE(GlobalLoader(), nullptr);
  ASSERT_TRUE(LoadIntoGlobalLoader(ReadImage("loader_fixture.dll")));
  const std::uintptr_t base = GlobalLoader()->GetModuleBase();
  TakeEntryCalls();
  ReleaseGlobalLoader(0);
  EXPECT_EQ(GlobalLoader(), nullptr);
  // Only the bookkeeping goes: the image stays mapped and hears of no detach.
  EXPECT_FALSE(IsReleased(base));
  EXPECT_EQ(TakeEntryCalls(), "");
  VirtualFree(reinterpret_cast<void*>(base), 0, MEM_RELEASE);
}

TEST(ThirdPartyDllTest, MinGwZlibCompressesAndInflates) {
  Bytes image = ReadImage("zlib1.dll");
  if (image.empty()) GTEST_SKIP() << "zlib1.dll (MinGW-w64's zlib) is not beside the tests";
  // MinGW-w64's run-time gives every DLL it starts a TLS template, which needs a static TLS
  // slot: such an image is refused, with nothing left behind.
  InMemoryModuleLoader loader(SystemLoaderPlatform());
  const auto imageBase = static_cast<std::uintptr_t>(ImageBaseOf(image));
  const bool baseWasFree = IsReleased(imageBase);
  EXPECT_FALSE(loader.Load(image));
  EXPECT_EQ(loader.LastError(), LoadError::kUnsupportedTls);
  if (baseWasFree) {
    EXPECT_TRUE(IsReleased(imageBase));
  }
  // GCC keeps thread_local variables out of that template (emulated TLS), so zlib's code never
  // uses the slot: without the directory the same image loads and works.
  const std::size_t tlsDirectory = static_cast<std::size_t>(loader.Dos().lfanew) + 24 +
                                   (sizeof(void*) == 8 ? 112 : 96) + 8 * kTlsDirectory;
  std::fill_n(image.begin() + static_cast<std::ptrdiff_t>(tlsDirectory), 8, 0);
  ASSERT_TRUE(loader.Load(image)) << DescribeLoadError(loader.LastError());
  ExpectProtections(loader, loader.ComputeImageSize());
  const auto export_ = [&](const char* name) {
    const std::uintptr_t address = loader.GetExport(name);
    EXPECT_NE(address, 0u) << name;
    return address;
  };
  EXPECT_STREQ(reinterpret_cast<const char*>(CallAddress(export_("zlibVersion"))), ZLIB_VERSION);
  const char hello[] = "hello";
  EXPECT_EQ(static_cast<std::uint32_t>(
                CallAddress(export_("crc32"), 0, reinterpret_cast<std::uintptr_t>(hello), 5)),
            0x3610A686u);

  std::string text;
  for (int i = 0; i < 200; ++i) text += "the same line again and again ";
  std::vector<unsigned char> packed(CallAddress(export_("compressBound"), text.size()));
  ASSERT_GT(packed.size(), text.size());
  uLongf packedSize = packed.size();
  ASSERT_EQ(static_cast<int>(
                CallAddress(export_("compress"), reinterpret_cast<std::uintptr_t>(packed.data()),
                            reinterpret_cast<std::uintptr_t>(&packedSize),
                            reinterpret_cast<std::uintptr_t>(text.data()), text.size())),
            Z_OK);
  EXPECT_LT(packedSize, text.size() / 10);
  std::string unpacked(text.size(), '\0');
  uLongf unpackedSize = unpacked.size();
  ASSERT_EQ(static_cast<int>(CallAddress(
                export_("uncompress"), reinterpret_cast<std::uintptr_t>(unpacked.data()),
                reinterpret_cast<std::uintptr_t>(&unpackedSize),
                reinterpret_cast<std::uintptr_t>(packed.data()), packedSize)),
            Z_OK);
  EXPECT_EQ(unpacked, text);
  loader.Unload();
}

// The calls the TLS fixtures recorded since the last look: a and b for the TLS callbacks, e for
// the entry point, each followed by the reason.
std::string TakeTlsCalls() {
  char text[512] = "";
  GetEnvironmentVariableA("LOADER_TLS_CALLS", text, sizeof text);
  SetEnvironmentVariableA("LOADER_TLS_CALLS", nullptr);
  return text;
}

TEST(TlsFixtureTest, CallbacksHearOfAttachBeforeAndDetachAfterTheEntryPoint) {
  const Bytes image = ReadImage("loader_fixture_tls.dll");
  ASSERT_FALSE(image.empty()) << "loader_fixture_tls.dll is missing beside the tests";
  const std::uintptr_t imageBase = static_cast<std::uintptr_t>(ImageBaseOf(image));
  for (const bool away : {false, true}) {
    SCOPED_TRACE(away ? "away from ImageBase" : "at ImageBase");
    void* taken =
        away ? VirtualAlloc(reinterpret_cast<void*>(imageBase), 0x10000, MEM_RESERVE, PAGE_NOACCESS)
             : nullptr;
    TakeTlsCalls();
    InMemoryModuleLoader loader(SystemLoaderPlatform());
    ASSERT_TRUE(loader.Load(image)) << DescribeLoadError(loader.LastError());
    EXPECT_EQ(loader.GetModuleBase() == imageBase, !away);
    EXPECT_EQ(TakeTlsCalls(), "a1;b1;e1;");
    const std::uintptr_t count = loader.GetExport("FixtureTlsCount");
    ASSERT_NE(count, 0u);
    EXPECT_EQ(static_cast<int>(CallAddress(count)), 0);
    ExpectProtections(loader, loader.ComputeImageSize());
    loader.Unload();
    EXPECT_EQ(TakeTlsCalls(), "e0;a0;b0;");
    if (taken != nullptr) VirtualFree(taken, 0, MEM_RELEASE);
  }
}

TEST(TlsFixtureTest, ThreadLocalDataIsRefusedWithItsOwnReason) {
  const Bytes image = ReadImage("loader_fixture_tls_data.dll");
  ASSERT_FALSE(image.empty()) << "loader_fixture_tls_data.dll is missing beside the tests";
  TakeTlsCalls();
  InMemoryModuleLoader loader(SystemLoaderPlatform());
  EXPECT_FALSE(loader.Load(image));
  EXPECT_EQ(loader.LastError(), LoadError::kUnsupportedTls);
  EXPECT_EQ(TakeTlsCalls(), "");  // neither a callback nor the entry point ran
  EXPECT_EQ(loader.GetModuleBase(), 0u);
  EXPECT_TRUE(IsReleased(static_cast<std::uintptr_t>(ImageBaseOf(image))));

  // The same DLL is sound: the system loader gives it a slot, and each thread its own copy.
  HMODULE module = LoadLibraryA(BesideTests("loader_fixture_tls_data.dll").c_str());
  ASSERT_NE(module, nullptr);
  const auto address = reinterpret_cast<std::uintptr_t>(GetProcAddress(module, "FixtureTlsCount"));
  ASSERT_NE(address, 0u);
  const auto count = [&] { return static_cast<int>(CallAddress(address)); };
  EXPECT_EQ(count(), 8);
  EXPECT_EQ(count(), 9);
  int other = 0;
  std::thread([&] { other = count(); }).join();
  EXPECT_EQ(other, 8);
  FreeLibrary(module);
  TakeTlsCalls();
}

// Catches what OutputDebugString raises for a debugger, and lets the search go on.
std::string g_debugOutput;
LONG CALLBACK CatchDebugOutput(EXCEPTION_POINTERS* exception) {
  const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
  if (record.ExceptionCode == DBG_PRINTEXCEPTION_C && record.NumberParameters >= 2) {
    g_debugOutput += reinterpret_cast<const char*>(record.ExceptionInformation[1]);
  } else if (record.ExceptionCode == DBG_PRINTEXCEPTION_WIDE_C && record.NumberParameters >= 2) {
    const auto* text = reinterpret_cast<const wchar_t*>(record.ExceptionInformation[1]);
    for (; *text != 0; ++text) g_debugOutput += static_cast<char>(*text);  // ASCII
    return EXCEPTION_CONTINUE_EXECUTION;                                   // no second, narrow copy
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

TEST(RefusedImageTest, ReasonGoesToTheDebugOutput) {
  InMemoryModuleLoader loader(SystemLoaderPlatform());
  EXPECT_FALSE(loader.Load(ReadImage("loader_fixture_tls_data.dll")));
  void* handler = AddVectoredExceptionHandler(1, CatchDebugOutput);
  ASSERT_NE(handler, nullptr);
  g_debugOutput.clear();
  ReportRefusedImage("SkinEngine.dll", loader.LastError());
  RemoveVectoredExceptionHandler(handler);
  EXPECT_EQ(g_debugOutput, RefusedImageMessage("SkinEngine.dll", LoadError::kUnsupportedTls));
  EXPECT_NE(g_debugOutput.find("SkinEngine.dll"), std::string::npos);
  EXPECT_NE(g_debugOutput.find("thread-local"), std::string::npos);
}

}  // namespace
}  // namespace skin
