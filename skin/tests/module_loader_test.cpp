// Native tests of the loader's steps on synthetic PE32 and PE32+ images. Every image lives in a
// buffer of exactly its own size, so AddressSanitizer reports any read past its end.
#include "skin/module_loader.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "skin/tests/fake_platform.h"
#include "skin/tests/pe_builder.h"

namespace skin::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kPointerRva = kCodeRva + 0x10;  // holds an absolute address
constexpr std::uint32_t kSecondPageRva = kImportRva + 0x10;

class LoaderTest : public ::testing::TestWithParam<ImageFormat> {
 protected:
  ImageFormat Format() const { return GetParam(); }
  bool Wide() const { return Format() == ImageFormat::kPe32Plus; }
  std::uint16_t AddressRelocation() const { return Wide() ? 10 : 3; }
  std::size_t PointerSize() const { return Wide() ? 8 : 4; }

  ImageLayout Layout() const {
    ImageLayout layout;
    layout.format = Format();
    return layout;
  }

  // An image whose code holds its own address ImageBase + 0x1000, with the relocation for it.
  ImageLayout RelocatableLayout() const {
    ImageLayout layout = Layout();
    const std::uint64_t pointer = layout.imageBase + kCodeRva;
    std::memcpy(layout.code.data() + 0x10, &pointer, PointerSize());
    layout.relocations = {{kPointerRva, AddressRelocation()}};
    return layout;
  }

  std::uint64_t PointerAt(std::uintptr_t block, std::uint32_t rva) const {
    std::uint64_t value = 0;
    std::memcpy(&value, reinterpret_cast<const void*>(block + rva), PointerSize());
    return value;
  }

  // The address a pointer-sized field holds after relocating to block (32 bits wrap in PE32).
  std::uint64_t Truncate(std::uint64_t value) const {
    return Wide() ? value : static_cast<std::uint32_t>(value);
  }

  // A failed Load must leave nothing reserved and call no entry point.
  void ExpectRefused(const Bytes& image) {
    InMemoryModuleLoader loader(platform, Format());
    EXPECT_FALSE(loader.Load(image));
    EXPECT_EQ(loader.GetModuleBase(), 0u);
    EXPECT_TRUE(platform.live.empty());
    EXPECT_TRUE(platform.entryCalls.empty());
  }

  // A Load refused by the entry point: attach, then detach, then nothing left.
  void ExpectRefusedWithEntryCalls(const Bytes& image) {
    InMemoryModuleLoader loader(platform, Format());
    EXPECT_FALSE(loader.Load(image));
    EXPECT_TRUE(platform.live.empty());
    ASSERT_EQ(platform.entryCalls.size(), 2u);
    EXPECT_EQ(platform.entryCalls[1].reason, 0u);
  }

  FakePlatform platform;
};

INSTANTIATE_TEST_SUITE_P(Formats, LoaderTest,
                         ::testing::Values(ImageFormat::kPe32, ImageFormat::kPe32Plus),
                         [](const auto& info) {
                           return info.param == ImageFormat::kPe32 ? "Pe32" : "Pe32Plus";
                         });

TEST_P(LoaderTest, CheckHeadersAcceptsABuiltImage) {
  InMemoryModuleLoader loader(platform, Format());
  const Bytes image = BuildImage(RelocatableLayout());
  ASSERT_TRUE(loader.CheckHeaders(image));
  EXPECT_EQ(loader.Sections().size(), static_cast<std::size_t>(kSectionCount));
  EXPECT_EQ(loader.Nt().imageBase, 0x10000000u);
  EXPECT_EQ(loader.ComputeImageSize(), kImageSize);
}

TEST_P(LoaderTest, CheckHeadersRefusesEachBrokenField) {
  const std::size_t nt = NtOffset();
  const std::size_t ntSize = NtHeadersSize(Format());
  const struct {
    const char* name;
    std::function<void(Bytes&)> damage;
  } cases[] = {
      {"shorter than a DOS header", [](Bytes& b) { b.resize(63); }},
      {"no MZ", [](Bytes& b) { b[1] = 'Y'; }},
      {"negative e_lfanew", [](Bytes& b) { Put<std::int32_t>(b, 60, -8); }},
      {"e_lfanew far beyond the buffer", [](Bytes& b) { Put<std::int32_t>(b, 60, 0x7FFFFFF0); }},
      {"NT headers cut by the end of the buffer", [&](Bytes& b) { b.resize(nt + ntSize - 1); }},
      {"no PE signature", [&](Bytes& b) { b[nt + 1] = 'X'; }},
      {"not an executable image", [&](Bytes& b) { Put<std::uint16_t>(b, nt + 22, kFileDll); }},
      {"optional header of the other format",
       [&](Bytes& b) { Put<std::uint16_t>(b, nt + 20, Wide() ? 224 : 240); }},
      {"machine of the other format",
       [&](Bytes& b) { Put<std::uint16_t>(b, nt + 4, Wide() ? 0x014C : 0x8664); }},
      {"section table past the end of the buffer",
       [&](Bytes& b) { Put<std::uint16_t>(b, nt + 6, 0xFFFF); }},
      {"raw data ending one byte past the buffer", [](Bytes& b) { b.resize(b.size() - 1); }},
      {"raw range that wraps 32 bits",
       [&](Bytes& b) { Put<std::uint32_t>(b, SectionHeaderOffset(Format(), 0) + 20, 0xFFFFFF00); }},
      {"SizeOfHeaders beyond the buffer",
       [&](Bytes& b) { Put<std::uint32_t>(b, OptionalHeaderOffset() + 60, 0x7FFFFFFF); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes image = BuildImage(RelocatableLayout());
    c.damage(image);
    image.shrink_to_fit();
    InMemoryModuleLoader loader(platform, Format());
    EXPECT_FALSE(loader.CheckHeaders(image));
    ExpectRefused(image);
    EXPECT_TRUE(platform.reserveCalls.empty());
  }
}

TEST_P(LoaderTest, RawDataMayEndExactlyAtTheEndOfTheBuffer) {
  const Bytes image = BuildImage(RelocatableLayout());
  const std::size_t last = SectionHeaderOffset(Format(), kSectionCount - 1);
  ASSERT_EQ(
      Get<std::uint32_t>(image.data(), last + 20) + Get<std::uint32_t>(image.data(), last + 16),
      image.size());
  InMemoryModuleLoader loader(platform, Format());
  EXPECT_TRUE(loader.CheckHeaders(image));
  const Bytes shorter(image.begin(), image.end() - 1);
  EXPECT_FALSE(loader.CheckHeaders(shorter));
}

TEST_P(LoaderTest, LoaderOfEachBuildRefusesTheOtherFormat) {
  const ImageFormat other = Wide() ? ImageFormat::kPe32 : ImageFormat::kPe32Plus;
  ImageLayout layout = RelocatableLayout();
  layout.format = other;
  InMemoryModuleLoader loader(platform, Format());
  EXPECT_FALSE(loader.CheckHeaders(BuildImage(layout)));
}

TEST(AlignUpTest, RoundsUpToMultiples) {
  const struct {
    std::uint64_t value, alignment, expected;
  } cases[] = {
      {0, 0x1000, 0},
      {1, 0x1000, 0x1000},
      {0x1000, 0x1000, 0x1000},
      {0x1001, 0x200, 0x1200},
      {5, 3, 6},
      {5, 0, 5},
      {0xFFFFFFFF, 0x1000, 0x100000000},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(InMemoryModuleLoader::AlignUp(c.value, c.alignment), c.expected)
        << c.value << " " << c.alignment;
  }
}

TEST_P(LoaderTest, ComputeImageSizeRefusesInsaneBlocks) {
  const std::size_t text = SectionHeaderOffset(Format(), 0);
  const struct {
    const char* name;
    std::function<void(Bytes&)> change;
    std::uint64_t expected;
  } cases[] = {
      {"section alignment 0",
       [](Bytes& b) { Put<std::uint32_t>(b, OptionalHeaderOffset() + 32, 0); }, 0},
      {"virtual size reaching the cap exactly",
       [&](Bytes& b) { Put<std::uint32_t>(b, text + 8, kMaxImageSize - kCodeRva); }, kMaxImageSize},
      {"virtual size one byte above the cap",
       [&](Bytes& b) { Put<std::uint32_t>(b, text + 8, kMaxImageSize - kCodeRva + 1); }, 0},
      {"section end above 2 GiB", [&](Bytes& b) { Put<std::uint32_t>(b, text + 12, 0x80000000); },
       0},
      {"section end that wraps 32 bits",
       [&](Bytes& b) {
         Put<std::uint32_t>(b, text + 12, 0xFFFFF000);
         Put<std::uint32_t>(b, text + 8, 0x2000);
       },
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes image = BuildImage(RelocatableLayout());
    c.change(image);
    InMemoryModuleLoader loader(platform, Format());
    ASSERT_TRUE(loader.CheckHeaders(image));
    EXPECT_EQ(loader.ComputeImageSize(), c.expected);
    if (c.expected == 0) {
      ExpectRefused(image);
      EXPECT_TRUE(platform.reserveCalls.empty());
    }
  }
}

// Runs the steps up to mapping on a block of our own.
struct MappedSteps {
  bool checked = false;
  Bytes block;
  bool mapped = false;
  Block View() { return {reinterpret_cast<std::uintptr_t>(block.data()), block.size()}; }
};

MappedSteps MapInto(InMemoryModuleLoader& loader, const Bytes& image) {
  MappedSteps steps;
  steps.checked = loader.CheckHeaders(image);
  if (!steps.checked) return steps;
  steps.block.assign(loader.ComputeImageSize(), 0);
  steps.mapped = loader.MapImage(steps.View(), image);
  return steps;
}

TEST_P(LoaderTest, SectionAtAddressZeroStopsTheCopy) {
  ImageLayout layout = RelocatableLayout();
  layout.code.assign(0x100, 0xC3);
  layout.exports = {{"Alpha", kCodeRva}};
  const Bytes image = BuildImage(layout);
  {
    InMemoryModuleLoader loader(platform, Format());
    MappedSteps steps = MapInto(loader, image);
    ASSERT_TRUE(steps.mapped);
    EXPECT_EQ(steps.block[kCodeRva], 0xC3);
    EXPECT_NE(steps.block[kExportRva + 16], 0);                                   // export Base
    EXPECT_EQ(Get<std::uint32_t>(steps.block.data(), kRelocationRva), kCodeRva);  // page
  }
  Bytes stopped = image;
  Put<std::uint32_t>(stopped, SectionHeaderOffset(Format(), 1) + 12, 0);
  InMemoryModuleLoader loader(platform, Format());
  MappedSteps steps = MapInto(loader, stopped);
  ASSERT_TRUE(steps.mapped);
  EXPECT_EQ(steps.block[kCodeRva], 0xC3);
  for (std::uint32_t rva = kExportRva; rva < kImageSize; ++rva) {
    ASSERT_EQ(steps.block[rva], 0) << std::hex << rva;
  }
}

TEST_P(LoaderTest, SectionWithoutRawDataStaysZeroFilled) {
  ImageLayout layout = RelocatableLayout();
  layout.code.assign(0x100, 0xC3);
  Bytes image = BuildImage(layout);
  Put<std::uint32_t>(image, SectionHeaderOffset(Format(), 0) + 16, 0);     // SizeOfRawData
  Put<std::uint32_t>(image, SectionHeaderOffset(Format(), 0) + 8, 0x800);  // VirtualSize
  InMemoryModuleLoader loader(platform, Format());
  MappedSteps steps = MapInto(loader, image);
  ASSERT_TRUE(steps.mapped);
  for (std::uint32_t rva = kCodeRva; rva < kCodeRva + 0x800; ++rva) ASSERT_EQ(steps.block[rva], 0);
  EXPECT_EQ(loader.Sections()[0].virtualSize, 0x800u);  // read back from the block
}

TEST_P(LoaderTest, MapImageRefusesABlockTooSmall) {
  InMemoryModuleLoader loader(platform, Format());
  const Bytes image = BuildImage(RelocatableLayout());
  ASSERT_TRUE(loader.CheckHeaders(image));
  Bytes block(kRelocationRva);
  EXPECT_FALSE(
      loader.MapImage({reinterpret_cast<std::uintptr_t>(block.data()), block.size()}, image));
}

TEST_P(LoaderTest, LoadsAtImageBaseWhereRelocationChangesNothing) {
  ImageLayout layout = RelocatableLayout();
  InMemoryModuleLoader loader(platform, Format());
  ASSERT_TRUE(loader.Load(BuildImage(layout)));
  const std::uintptr_t base = loader.GetModuleBase();
  ASSERT_EQ(base, layout.imageBase) << "the fake could not map at ImageBase";
  EXPECT_EQ(PointerAt(base, kPointerRva), layout.imageBase + kCodeRva);
  EXPECT_EQ(platform.live.size(), 1u);
}

TEST_P(LoaderTest, RelocatesWhenImageBaseIsTaken) {
  platform.preferredFree = false;
  InMemoryModuleLoader loader(platform, Format());
  ASSERT_TRUE(loader.Load(BuildImage(RelocatableLayout())));
  const std::uintptr_t base = loader.GetModuleBase();
  EXPECT_EQ(platform.reserveCalls, (std::vector<std::uint64_t>{0x10000000, 0}));
  EXPECT_EQ(PointerAt(base, kPointerRva), Truncate(base + kCodeRva));
}

TEST_P(LoaderTest, RelocationTypesThatDoNotMatchTheFormatChangeNothing) {
  platform.preferredFree = false;
  std::vector<std::uint16_t> types = {0, 1, 2, 4, 5, 9, 11, 15};
  if (!Wide()) types.push_back(10);  // a 64-bit relocation means nothing in a PE32 image
  for (std::uint16_t type : types) {
    SCOPED_TRACE(type);
    ImageLayout layout = RelocatableLayout();
    layout.relocations = {{kPointerRva, type}};
    InMemoryModuleLoader loader(platform, Format());
    ASSERT_TRUE(loader.Load(BuildImage(layout)));
    EXPECT_EQ(PointerAt(loader.GetModuleBase(), kPointerRva), layout.imageBase + kCodeRva);
    loader.Unload();
  }
}

TEST_P(LoaderTest, RelocationWalkStopsAtDirectoryEndShortBlockAndZeroPage) {
  platform.preferredFree = false;
  ImageLayout layout = RelocatableLayout();
  layout.relocations.push_back({kSecondPageRva, AddressRelocation()});  // a second page
  const Bytes image = BuildImage(layout);
  const std::uint32_t reloc = RawDataOffset(image, Format(), 3);
  const std::size_t sizeField = DirectoryOffset(Format(), kRelocationDirectory) + 4;
  ASSERT_EQ(Get<std::uint32_t>(image.data(), sizeField), 24u);  // two blocks of 12 bytes
  const struct {
    const char* name;
    std::function<void(Bytes&)> change;
    bool secondApplied;
  } cases[] = {
      {"both blocks", [](Bytes&) {}, true},
      {"directory ends after the first block",
       [&](Bytes& b) { Put<std::uint32_t>(b, sizeField, 12); }, false},
      {"directory ends inside the second head",
       [&](Bytes& b) { Put<std::uint32_t>(b, sizeField, 18); }, false},
      {"second block shorter than its head",
       [&](Bytes& b) { Put<std::uint32_t>(b, reloc + 12 + 4, 4); }, false},
      {"second block with page 0", [&](Bytes& b) { Put<std::uint32_t>(b, reloc + 12, 0); }, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes changed = image;
    c.change(changed);
    InMemoryModuleLoader loader(platform, Format());
    ASSERT_TRUE(loader.Load(changed));
    const std::uintptr_t base = loader.GetModuleBase();
    EXPECT_EQ(PointerAt(base, kPointerRva), Truncate(base + kCodeRva));
    // The second target lies in zero-filled memory: relocating it leaves the distance there.
    EXPECT_EQ(PointerAt(base, kSecondPageRva),
              c.secondApplied ? Truncate(base - layout.imageBase) : 0u);
    loader.Unload();
  }
}

TEST_P(LoaderTest, RelocationOutsideTheBlockRefusesTheImage) {
  platform.preferredFree = false;
  const std::size_t directory = DirectoryOffset(Format(), kRelocationDirectory);
  const struct {
    const char* name;
    std::function<void(ImageLayout&, Bytes&)> change;
  } cases[] = {
      {"target straddling the end of the block",
       [&](ImageLayout& s, Bytes&) {
         s.relocations = {{kImageSize - 2, AddressRelocation()}};
       }},
      {"directory running past the block",
       [&](ImageLayout&, Bytes& b) { Put<std::uint32_t>(b, directory + 4, 0x10000); }},
      {"directory starting past the block",
       [&](ImageLayout&, Bytes& b) { Put<std::uint32_t>(b, directory, 0x7FFFFFF0); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ImageLayout layout = RelocatableLayout();
    Bytes unused;
    c.change(layout, unused);
    Bytes image = BuildImage(layout);
    c.change(layout, image);
    ExpectRefused(image);
    EXPECT_EQ(platform.reserveCalls.size(), 2u);
    platform.reserveCalls.clear();
  }
}

TEST_P(LoaderTest, ImageWithoutRelocationsLoadsOnlyAtImageBase) {
  ImageLayout layout = Layout();
  {
    InMemoryModuleLoader loader(platform, Format());
    ASSERT_TRUE(loader.Load(BuildImage(layout)));
    EXPECT_EQ(loader.GetModuleBase(), layout.imageBase);
    loader.Unload();
  }
  platform.preferredFree = false;
  ExpectRefused(BuildImage(layout));
  EXPECT_EQ(platform.released.size(), 2u);  // the unload, then the refused block
}

TEST_P(LoaderTest, ImportsByNameAndOrdinalAreBoundInTheThunks) {
  ImageLayout layout = RelocatableLayout();
  layout.imports = {{"kernel32.dll", {std::string("GetTickCount"), std::uint16_t{16}}},
                    {"user32.dll", {std::string("CharUpperA")}}};
  platform.present = {{"kernel32.dll", 0x7000}};
  platform.loadable = {{"user32.dll", 0x8000}};
  platform.symbols = {{"GetTickCount", 0x1111}, {"#16", 0x2222}, {"CharUpperA", 0x3333}};
  InMemoryModuleLoader loader(platform, Format());
  ASSERT_TRUE(loader.Load(BuildImage(layout)));
  EXPECT_EQ(platform.log,
            (std::vector<std::string>{"find kernel32.dll", "symbol GetTickCount", "symbol #16",
                                      "find user32.dll", "load user32.dll", "symbol CharUpperA"}));
  // Three descriptors (one ends the list), then kernel32's thunks.
  const std::uint32_t thunks = kImportRva + 60;
  const std::uintptr_t base = loader.GetModuleBase();
  EXPECT_EQ(PointerAt(base, thunks), 0x1111u);
  EXPECT_EQ(PointerAt(base, thunks + PointerSize()), 0x2222u);
  EXPECT_EQ(PointerAt(base, thunks + 2 * PointerSize()), 0u);
}

TEST_P(LoaderTest, NoImportDirectoryBindsNothing) {
  InMemoryModuleLoader loader(platform, Format());
  ASSERT_TRUE(loader.Load(BuildImage(RelocatableLayout())));
  EXPECT_TRUE(platform.log.empty());
}

TEST_P(LoaderTest, MissingModuleOrSymbolRefusesTheImage) {
  ImageLayout layout = RelocatableLayout();
  layout.imports = {{"kernel32.dll", {std::string("GetTickCount")}}};
  ExpectRefused(BuildImage(layout));
  EXPECT_EQ(platform.log, (std::vector<std::string>{"find kernel32.dll", "load kernel32.dll"}));
  platform.log.clear();
  platform.present = {{"kernel32.dll", 0x7000}};
  ExpectRefused(BuildImage(layout));
  EXPECT_EQ(platform.log, (std::vector<std::string>{"find kernel32.dll", "symbol GetTickCount"}));
}

TEST_P(LoaderTest, ImportStructuresOutsideTheBlockAreRefusedBeforeUse) {
  ImageLayout layout = RelocatableLayout();
  layout.imports = {{"kernel32.dll", {std::string("GetTickCount")}}};
  platform.present = {{"kernel32.dll", 0x7000}};
  platform.symbols = {{"GetTickCount", 0x1111}};
  const std::size_t directory = DirectoryOffset(Format(), kImportDirectory);
  const struct {
    const char* name;
    std::function<void(Bytes&, std::uint32_t raw)> change;
    bool asksForModule;
  } cases[] = {
      {"directory past the block",
       [&](Bytes& b, std::uint32_t) { Put<std::uint32_t>(b, directory, kImageSize); }, false},
      {"module name past the block",
       [](Bytes& b, std::uint32_t raw) { Put<std::uint32_t>(b, raw + 12, kImageSize); }, false},
      {"thunk array past the block",
       [](Bytes& b, std::uint32_t raw) { Put<std::uint32_t>(b, raw + 16, kImageSize - 2); }, true},
      {"thunk naming a symbol past the block",
       [&](Bytes& b, std::uint32_t raw) { Put<std::uint32_t>(b, raw + 40, kImageSize - 1); }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes image = BuildImage(layout);
    c.change(image, RawDataOffset(image, Format(), 2));
    platform.log.clear();
    ExpectRefused(image);
    EXPECT_EQ(!platform.log.empty(), c.asksForModule);
    for (const std::string& call : platform.log)
      EXPECT_EQ(call.rfind("symbol", 0), std::string::npos);
  }
}

TEST_P(LoaderTest, TextsRunningOffTheBlockAreNotRead) {
  // Names must end inside the block: fill the block's tail with letters and point at it.
  ImageLayout layout = RelocatableLayout();
  layout.imports = {{"kernel32.dll", {std::string("GetTickCount")}}};
  layout.exports = {{"Alpha", kCodeRva}};
  platform.present = {{"kernel32.dll", 0x7000}};
  platform.symbols = {{"GetTickCount", 0x1111}};
  const Bytes image = BuildImage(layout);
  const std::uint32_t tail = kImageSize - 16;
  const auto fillTail = [&](Bytes& block) { std::fill(block.end() - 16, block.end(), 'A'); };
  {
    InMemoryModuleLoader loader(platform, Format());
    MappedSteps steps = MapInto(loader, image);
    ASSERT_TRUE(steps.mapped);
    fillTail(steps.block);
    Put<std::uint32_t>(steps.block, kImportRva + 12, tail);
    platform.log.clear();
    EXPECT_FALSE(loader.ResolveImports(steps.View()));
    EXPECT_TRUE(platform.log.empty());
  }
  {
    InMemoryModuleLoader loader(platform, Format());
    MappedSteps steps = MapInto(loader, image);
    fillTail(steps.block);
    Put<std::uint32_t>(steps.block, kImportRva + 40, tail - 2);  // the first thunk
    platform.log.clear();
    EXPECT_FALSE(loader.ResolveImports(steps.View()));
    EXPECT_EQ(platform.log, (std::vector<std::string>{"find kernel32.dll"}));
  }
  {
    InMemoryModuleLoader loader(platform, Format());
    MappedSteps steps = MapInto(loader, image);
    fillTail(steps.block);
    EXPECT_NE(loader.FindExport(steps.View(), "Alpha"), 0u);
    const std::uint32_t names = Get<std::uint32_t>(steps.block.data(), kExportRva + 32);
    Put<std::uint32_t>(steps.block, names, tail);
    EXPECT_EQ(loader.FindExport(steps.View(), "Alpha"), 0u);
  }
}

TEST_P(LoaderTest, DllEntryPointIsToldOfAttachAndDetach) {
  ImageLayout layout = RelocatableLayout();
  layout.entryPoint = kCodeRva;
  InMemoryModuleLoader loader(platform, Format());
  platform.onEntry = [&](std::uint32_t reason) {
    if (reason == 1) {
      EXPECT_EQ(loader.GetModuleBase(), 0u);  // stored only after the call
    }
  };
  ASSERT_TRUE(loader.Load(BuildImage(layout)));
  const std::uintptr_t base = loader.GetModuleBase();
  EXPECT_EQ(loader.GetEntryAddress(), base + kCodeRva);
  ASSERT_EQ(platform.entryCalls.size(), 1u);
  EXPECT_EQ(platform.entryCalls[0].entry, base + kCodeRva);
  EXPECT_EQ(platform.entryCalls[0].block, base);
  EXPECT_EQ(platform.entryCalls[0].reason, 1u);

  loader.Unload();
  ASSERT_EQ(platform.entryCalls.size(), 2u);
  EXPECT_EQ(platform.entryCalls[1].reason, 0u);
  EXPECT_EQ(platform.entryCalls[1].block, base);
  EXPECT_EQ(loader.GetModuleBase(), 0u);
  EXPECT_EQ(loader.GetEntryAddress(), 0u);
  EXPECT_TRUE(platform.live.empty());
  loader.Unload();  // nothing loaded: nothing happens
  EXPECT_EQ(platform.entryCalls.size(), 2u);
  EXPECT_EQ(platform.released.size(), 1u);
}

TEST_P(LoaderTest, EntryPointRefusingAttachIsToldOfDetachThenReleased) {
  ImageLayout layout = RelocatableLayout();
  layout.entryPoint = kCodeRva;
  platform.attachResult = 0;
  InMemoryModuleLoader loader(platform, Format());
  EXPECT_FALSE(loader.Load(BuildImage(layout)));
  ASSERT_EQ(platform.entryCalls.size(), 2u);
  EXPECT_EQ(platform.entryCalls[0].reason, 1u);
  EXPECT_EQ(platform.entryCalls[1].reason, 0u);
  EXPECT_EQ(platform.released, std::vector<std::uintptr_t>{platform.entryCalls[0].block});
  EXPECT_TRUE(platform.live.empty());
  EXPECT_EQ(loader.GetModuleBase(), 0u);
}

TEST_P(LoaderTest, EntryPointCallsOnlyForDllsWithAnEntryPoint) {
  const struct {
    const char* name;
    std::uint16_t characteristics;
    std::uint32_t entryPoint;
  } cases[] = {
      {"no DLL flag", kFileExecutableImage, kCodeRva},
      {"DLL without an entry point", kFileExecutableImage | kFileDll, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ImageLayout layout = RelocatableLayout();
    layout.characteristics = c.characteristics;
    layout.entryPoint = c.entryPoint;
    InMemoryModuleLoader loader(platform, Format());
    ASSERT_TRUE(loader.Load(BuildImage(layout)));
    EXPECT_EQ(loader.GetEntryAddress(), loader.GetModuleBase() + c.entryPoint);
    loader.Unload();
    EXPECT_TRUE(platform.entryCalls.empty());
    EXPECT_TRUE(platform.live.empty());
  }
}

TEST_P(LoaderTest, EntryPointOutsideTheImageIsRefused) {
  for (std::uint32_t entry : {kImageSize, 0xFFFFFFF0u}) {
    ImageLayout layout = RelocatableLayout();
    layout.entryPoint = entry;
    layout.imports = {{"kernel32.dll", {std::string("GetTickCount")}}};
    ExpectRefused(BuildImage(layout));
    EXPECT_TRUE(platform.log.empty());  // refused before any module is loaded for it
  }
}

TEST_P(LoaderTest, FunctionTableOf64BitImagesIsKnownWhileLoaded) {
  const std::size_t directory = DirectoryOffset(Format(), kExceptionDirectory);
  ImageLayout layout = RelocatableLayout();
  layout.entryPoint = kCodeRva;
  Bytes image = BuildImage(layout);
  Put<std::uint32_t>(image, directory, kCodeRva + 0x40);
  Put<std::uint32_t>(image, directory + 4, 24);  // two entries
  {
    InMemoryModuleLoader loader(platform, Format());
    platform.onEntry = [&](std::uint32_t) { EXPECT_EQ(platform.tables.size(), Wide() ? 1u : 0u); };
    ASSERT_TRUE(loader.Load(image));
    const std::uintptr_t base = loader.GetModuleBase();
    if (Wide()) {
      EXPECT_EQ(platform.tables[base], std::make_pair(kCodeRva + 0x40, 2u));
    }
    loader.Unload();
    EXPECT_TRUE(platform.tables.empty());
    EXPECT_EQ(platform.removedTables.size(), Wide() ? 1u : 0u);
  }
  platform.attachResult = 0;  // a refused image leaves no table behind
  platform.entryCalls.clear();
  ExpectRefusedWithEntryCalls(image);
  EXPECT_TRUE(platform.tables.empty());
  platform.attachResult = 1;
  platform.entryCalls.clear();

  Bytes outside = image;
  Put<std::uint32_t>(outside, directory, kImageSize - 12);
  InMemoryModuleLoader loader(platform, Format());
  if (Wide()) {
    ExpectRefused(outside);
  } else {
    EXPECT_TRUE(loader.Load(outside));  // 32-bit images have no table to register
    loader.Unload();
  }
  if (Wide()) {
    platform.tableAccepted = false;
    ExpectRefused(image);
  }
}

TEST_P(LoaderTest, SecondLoadChangesNothing) {
  ImageLayout layout = RelocatableLayout();
  layout.entryPoint = kCodeRva;
  layout.exports = {{"Alpha", kCodeRva + 0x20}};
  InMemoryModuleLoader loader(platform, Format());
  const Bytes image = BuildImage(layout);
  ASSERT_TRUE(loader.Load(image));
  const std::uintptr_t base = loader.GetModuleBase();
  ImageLayout other = Layout();
  other.exports = {{"Beta", kCodeRva}};
  EXPECT_FALSE(loader.Load(BuildImage(other)));
  EXPECT_FALSE(loader.Load(image));
  EXPECT_EQ(loader.GetModuleBase(), base);
  EXPECT_EQ(platform.reserveCalls.size(), 1u);
  EXPECT_EQ(platform.entryCalls.size(), 1u);
  EXPECT_EQ(loader.GetExport("Alpha"), base + kCodeRva + 0x20);
  EXPECT_EQ(loader.GetExport("Beta"), 0u);
}

TEST_P(LoaderTest, EmptyLoaderAnswersZero) {
  InMemoryModuleLoader loader(platform, Format());
  EXPECT_EQ(loader.GetModuleBase(), 0u);
  EXPECT_EQ(loader.GetEntryAddress(), 0u);
  EXPECT_EQ(loader.GetExport("Alpha"), 0u);
  EXPECT_EQ(loader.GetExportByOrdinal(1), 0u);
  loader.Unload();
  EXPECT_TRUE(platform.released.empty());
}

TEST_P(LoaderTest, GetExportMatchesWholeNamesExactly) {
  ImageLayout layout = RelocatableLayout();
  layout.exports = {
      {"Alpha", kCodeRva + 0x10}, {"beta", kCodeRva + 0x20}, {"Gamma", kCodeRva + 0x30}};
  InMemoryModuleLoader loader(platform, Format());
  ASSERT_TRUE(loader.Load(BuildImage(layout)));
  const std::uintptr_t base = loader.GetModuleBase();
  const struct {
    const char* name;
    std::uintptr_t expected;
  } cases[] = {
      {"Alpha", base + kCodeRva + 0x10},
      {"beta", base + kCodeRva + 0x20},
      {"Gamma", base + kCodeRva + 0x30},
      {"alpha", 0},
      {"Beta", 0},
      {"Alph", 0},
      {"AlphaX", 0},
      {"", 0},
      {nullptr, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(loader.GetExport(c.name), c.expected) << (c.name ? c.name : "(null)");
  }
  EXPECT_EQ(loader.GetExportByOrdinal(1), base + kCodeRva + 0x10);
  EXPECT_EQ(loader.GetExportByOrdinal(3), base + kCodeRva + 0x30);
  EXPECT_EQ(loader.GetExportByOrdinal(0), 0u);
  EXPECT_EQ(loader.GetExportByOrdinal(4), 0u);

  InMemoryModuleLoader copy(loader);  // shares the module base
  EXPECT_EQ(copy.GetModuleBase(), base);
  EXPECT_EQ(copy.GetExport("beta"), base + kCodeRva + 0x20);
}

TEST_P(LoaderTest, ExportNamesAreFoundThroughTheNameTable) {
  // The name table lists the names in another order than they are stored.
  ImageLayout layout = RelocatableLayout();
  layout.exports = {{"Alpha", kCodeRva + 0x10}, {"Beta", kCodeRva + 0x20}};
  Bytes image = BuildImage(layout);
  const std::uint32_t raw = RawDataOffset(image, Format(), 1);
  const std::uint32_t names = raw + Get<std::uint32_t>(image.data(), raw + 32) - kExportRva;
  const std::uint32_t ordinals = raw + Get<std::uint32_t>(image.data(), raw + 36) - kExportRva;
  const std::uint32_t first = Get<std::uint32_t>(image.data(), names);
  Put<std::uint32_t>(image, names, Get<std::uint32_t>(image.data(), names + 4));
  Put<std::uint32_t>(image, names + 4, first);
  Put<std::uint16_t>(image, ordinals, 1);
  Put<std::uint16_t>(image, ordinals + 2, 0);
  InMemoryModuleLoader loader(platform, Format());
  ASSERT_TRUE(loader.Load(image));
  EXPECT_EQ(loader.GetExport("Alpha"), loader.GetModuleBase() + kCodeRva + 0x10);
  EXPECT_EQ(loader.GetExport("Beta"), loader.GetModuleBase() + kCodeRva + 0x20);
}

TEST_P(LoaderTest, ExportsThatAreNotCodeInTheImageAnswerZero) {
  const struct {
    const char* name;
    std::function<void(Bytes& image, std::uint32_t raw)> change;
    bool foundByOrdinal;
  } cases[] = {
      {"forwarder inside the export directory",
       [](Bytes& b, std::uint32_t raw) { Put<std::uint32_t>(b, raw + 40, kExportRva + 0x30); },
       false},
      {"function past the block",
       [](Bytes& b, std::uint32_t raw) { Put<std::uint32_t>(b, raw + 40, kImageSize); }, false},
      {"name ordinal past the function table",
       [](Bytes& b, std::uint32_t raw) {
         Put<std::uint16_t>(b, raw + Get<std::uint32_t>(b.data(), raw + 36) - kExportRva, 1);
       },
       true},
      {"function table past the block",
       [](Bytes& b, std::uint32_t raw) { Put<std::uint32_t>(b, raw + 28, kImageSize - 2); }, false},
      {"name table past the block",
       [](Bytes& b, std::uint32_t raw) { Put<std::uint32_t>(b, raw + 32, kImageSize - 2); }, true},
      {"ordinal table past the block",
       [](Bytes& b, std::uint32_t raw) { Put<std::uint32_t>(b, raw + 36, kImageSize - 1); }, true},
      {"directory head past the block",
       [&](Bytes& b, std::uint32_t) {
         Put<std::uint32_t>(b, DirectoryOffset(Format(), kExportDirectory), kImageSize - 8);
         Put<std::uint32_t>(b, DirectoryOffset(Format(), kExportDirectory) + 4, 8);
       },
       false},
      {"directory size 0",
       [&](Bytes& b, std::uint32_t) {
         Put<std::uint32_t>(b, DirectoryOffset(Format(), kExportDirectory) + 4, 0);
       },
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ImageLayout layout = RelocatableLayout();
    layout.exports = {{"Alpha", kCodeRva + 0x10}};
    Bytes image = BuildImage(layout);
    c.change(image, RawDataOffset(image, Format(), 1));
    InMemoryModuleLoader loader(platform, Format());
    ASSERT_TRUE(loader.Load(image));
    EXPECT_EQ(loader.GetExport("Alpha"), 0u);
    EXPECT_EQ(loader.GetExportByOrdinal(1) != 0, c.foundByOrdinal);
    loader.Unload();
  }
}

}  // namespace
}  // namespace skin::test
