// The loader against real DLLs under Windows (Wine): the fixture DLLs the project builds for these
// tests and MinGW-w64's zlib, mapped at their ImageBase and away from it, called by name and by
// ordinal, told of attach and detach; and CallAddress against callees of 0 to 10 arguments.
#include <windows.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
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
  const Bytes image = ReadImage("zlib1.dll");
  if (image.empty()) GTEST_SKIP() << "zlib1.dll (MinGW-w64's zlib) is not beside the tests";
  InMemoryModuleLoader loader(SystemLoaderPlatform());
  ASSERT_TRUE(loader.Load(image));
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

}  // namespace
}  // namespace skin
