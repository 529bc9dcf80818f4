// Native tests of the loader's steps on synthetic PE32 and PE32+ images. Every image lives in a
// buffer of exactly its own size, so AddressSanitizer reports any read past its end.
#include "skin/module_loader.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "skin/tests/fake_platform.h"
#include "skin/tests/pe_builder.h"

namespace skin::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kPointerRva = kCodeRva + 0x10;       // holds an absolute address
constexpr std::uint32_t kSecondPageRva = kCodeRva + 0x1010;  // in the code's second page

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

  // Relocatable, with a second pointer in a second page of code and a relocation block for each.
  ImageLayout TwoPageLayout() const {
    ImageLayout layout = RelocatableLayout();
    layout.code.resize(0x1100);
    const std::uint64_t pointer = layout.imageBase + kCodeRva;
    std::memcpy(layout.code.data() + (kSecondPageRva - kCodeRva), &pointer, PointerSize());
    layout.relocations.push_back({kSecondPageRva, AddressRelocation()});
    return layout;
  }

  // A failed Load must leave nothing reserved and call no entry point.
  void ExpectRefused(const Bytes& image, LoadError why = LoadError::kNone) {
    InMemoryModuleLoader loader(platform, Format());
    EXPECT_FALSE(loader.Load(image));
    if (why != LoadError::kNone) {
      EXPECT_EQ(loader.LastError(), why) << DescribeLoadError(loader.LastError());
    }
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
    LoadError why = LoadError::kNone;  // kNone: any reason
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
       [&](Bytes& b) { Put<std::uint16_t>(b, nt + 6, 0xFFFF); }, LoadError::kBadSections},
      {"last section header cut by the end of the buffer",
       [&](Bytes& b) { b.resize(SectionHeaderOffset(Format(), kSectionCount - 1) + 20); },
       LoadError::kBadSections},
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
    ExpectRefused(image, c.why);
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
  const std::size_t last = SectionHeaderOffset(Format(), kSectionCount - 1);
  const std::size_t sizeOfImage = OptionalHeaderOffset() + 56;
  const struct {
    const char* name;
    std::function<void(Bytes&)> change;
    std::uint64_t expected;
  } cases[] = {
      {"section alignment 0",
       [](Bytes& b) { Put<std::uint32_t>(b, OptionalHeaderOffset() + 32, 0); }, 0},
      {"virtual size reaching the cap exactly",
       [&](Bytes& b) {
         Put<std::uint32_t>(b, last + 8, kMaxImageSize - kRelocationRva);
         Put<std::uint32_t>(b, sizeOfImage, kMaxImageSize);
       },
       kMaxImageSize},
      {"virtual size one byte above the cap",
       [&](Bytes& b) {
         Put<std::uint32_t>(b, last + 8, kMaxImageSize - kRelocationRva + 1);
         Put<std::uint32_t>(b, sizeOfImage, kMaxImageSize + 1);
       },
       0},
      {"SizeOfImage of 2 GiB", [&](Bytes& b) { Put<std::uint32_t>(b, sizeOfImage, 0x80000000); },
       0},
      {"SizeOfImage short of the last section",
       [&](Bytes& b) { Put<std::uint32_t>(b, sizeOfImage, kImageSize - 0x1000); }, 0},
      {"SizeOfImage not a multiple of the alignment",
       [&](Bytes& b) { Put<std::uint32_t>(b, sizeOfImage, kImageSize - 0x7FF); }, kImageSize},
      {"SizeOfImage larger than the sections",
       [&](Bytes& b) { Put<std::uint32_t>(b, sizeOfImage, kImageSize + 0x2000); },
       kImageSize + 0x2000},
      {"section end above 2 GiB", [&](Bytes& b) { Put<std::uint32_t>(b, last + 12, 0x80000000); },
       0},
      {"section end that wraps 32 bits",
       [&](Bytes& b) {
         Put<std::uint32_t>(b, last + 12, 0xFFFFF000);
         Put<std::uint32_t>(b, last + 8, 0x2000);
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
      ExpectRefused(image, LoadError::kBadImageSize);
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

TEST_P(LoaderTest, SectionsOverlappingEachOtherOrTheHeadersAreRefused) {
  ImageLayout layout = RelocatableLayout();
  layout.code.assign(0x100, 0xC3);
  layout.exports = {{"Alpha", kCodeRva}};
  const std::size_t text = SectionHeaderOffset(Format(), 0);
  const std::size_t edata = SectionHeaderOffset(Format(), 1);
  const std::size_t reloc = SectionHeaderOffset(Format(), 3);
  const struct {
    const char* name;
    std::function<void(Bytes&)> change;
    LoadError expected;
  } cases[] = {
      {"section at address 0", [&](Bytes& b) { Put<std::uint32_t>(b, edata + 12, 0); },
       LoadError::kBadSections},
      {"section starting inside the headers",
       [&](Bytes& b) { Put<std::uint32_t>(b, edata + 12, kSizeOfHeaders - 0x10); },
       LoadError::kBadSections},
      {"code running one byte into the next section",
       [&](Bytes& b) { Put<std::uint32_t>(b, text + 8, kExportRva - kCodeRva + 1); },
       LoadError::kBadSections},
      {"two sections at one address",
       [&](Bytes& b) { Put<std::uint32_t>(b, reloc + 12, kCodeRva); }, LoadError::kBadSections},
      {"headers too short to hold the section table",
       [&](Bytes& b) { Put<std::uint32_t>(b, OptionalHeaderOffset() + 60, 0x100); },
       LoadError::kBadHeaders},
      {"code ending exactly where the next section starts",
       [&](Bytes& b) { Put<std::uint32_t>(b, text + 8, kExportRva - kCodeRva); }, LoadError::kNone},
      {"empty section at address 0",
       [&](Bytes& b) {
         Put<std::uint32_t>(b, edata + 8, 0);
         Put<std::uint32_t>(b, edata + 12, 0);
         Put<std::uint32_t>(b, edata + 16, 0);
       },
       LoadError::kNone},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes image = BuildImage(layout);
    c.change(image);
    InMemoryModuleLoader loader(platform, Format());
    EXPECT_EQ(loader.CheckHeaders(image), c.expected == LoadError::kNone);
    EXPECT_EQ(loader.LastError(), c.expected);
    if (c.expected != LoadError::kNone) {
      ExpectRefused(image, c.expected);
      continue;
    }
    // Every section is copied whole, whatever lies before it in the table.
    MappedSteps steps = MapInto(loader, image);
    ASSERT_TRUE(steps.mapped);
    EXPECT_EQ(steps.block[kCodeRva], 0xC3);
    EXPECT_EQ(Get<std::uint32_t>(steps.block.data(), kRelocationRva), kCodeRva);  // page
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

TEST_P(LoaderTest, RelocationRulesAwayFromAndAtImageBase) {
  const ImageLayout layout = TwoPageLayout();
  const Bytes image = BuildImage(layout);
  const std::uint32_t reloc = RawDataOffset(image, Format(), 3);
  const std::size_t sizeField = DirectoryOffset(Format(), kRelocationDirectory) + 4;
  ASSERT_EQ(Get<std::uint32_t>(image.data(), sizeField), 24u);  // two blocks of 12 bytes
  const std::size_t secondBlock = reloc + 12;
  const auto entry = [](std::uint16_t type, std::uint32_t rva) {
    return static_cast<std::uint16_t>(type << 12 | (rva & 0xFFF));
  };
  const std::uint16_t otherFormat = Wide() ? 3 : 10;
  enum Outcome { kBoth, kFirstOnly, kRefused };
  const struct {
    const char* name;
    std::function<void(Bytes&)> change;
    Outcome away;
  } cases[] = {
      {"two valid blocks", [](Bytes&) {}, kBoth},
      {"directory ends after the first block",
       [&](Bytes& b) { Put<std::uint32_t>(b, sizeField, 12); }, kFirstOnly},
      {"zero padding after the last block", [&](Bytes& b) { Put<std::uint32_t>(b, sizeField, 40); },
       kBoth},
      {"directory ends inside the second head",
       [&](Bytes& b) { Put<std::uint32_t>(b, sizeField, 18); }, kRefused},
      {"directory ends inside the second block",
       [&](Bytes& b) { Put<std::uint32_t>(b, sizeField, 22); }, kRefused},
      {"SizeOfBlock 0", [&](Bytes& b) { Put<std::uint32_t>(b, secondBlock + 4, 0); }, kRefused},
      {"SizeOfBlock 4", [&](Bytes& b) { Put<std::uint32_t>(b, secondBlock + 4, 4); }, kRefused},
      {"SizeOfBlock not a whole number of entries",
       [&](Bytes& b) { Put<std::uint32_t>(b, secondBlock + 4, 11); }, kRefused},
      {"type 15", [&](Bytes& b) { Put(b, secondBlock + 8, entry(15, kSecondPageRva)); }, kRefused},
      {"type 5", [&](Bytes& b) { Put(b, secondBlock + 8, entry(5, kSecondPageRva)); }, kRefused},
      {"type of the other format",
       [&](Bytes& b) { Put(b, secondBlock + 8, entry(otherFormat, kSecondPageRva)); }, kRefused},
      {"fixup past the end of the block",
       [&](Bytes& b) {
         Put<std::uint32_t>(b, secondBlock, kImageSize - 0x1000);
         Put(b, secondBlock + 8, entry(AddressRelocation(), 0xFFE));
       },
       kRefused},
  };
  for (const auto& c : cases) {
    for (const bool atImageBase : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (atImageBase ? " at ImageBase" : " away from it"));
      Bytes changed = image;
      c.change(changed);
      platform.preferredFree = atImageBase;
      InMemoryModuleLoader loader(platform, Format());
      if (!atImageBase && c.away == kRefused) {
        ExpectRefused(changed, LoadError::kBadRelocation);
        continue;
      }
      ASSERT_TRUE(loader.Load(changed)) << DescribeLoadError(loader.LastError());
      const std::uintptr_t base = loader.GetModuleBase();
      ASSERT_EQ(base == layout.imageBase, atImageBase);
      const std::uint64_t relocated = Truncate(base + kCodeRva);
      EXPECT_EQ(PointerAt(base, kPointerRva), relocated);
      EXPECT_EQ(PointerAt(base, kSecondPageRva),
                atImageBase || c.away == kBoth ? relocated : layout.imageBase + kCodeRva);
      loader.Unload();
    }
  }
}

TEST_P(LoaderTest, SixteenBitRelocationsOfPe32Images) {
  if (Wide()) GTEST_SKIP() << "PE32+ images have only 64-bit relocations";
  // HIGH and LOW add a half of the distance; HIGHADJ adds the distance to a 32-bit value whose
  // low half is the next entry, rounding the low half's carry into the high half.
  ImageLayout layout = RelocatableLayout();
  const std::uint32_t value = 0x1234F000;
  std::memcpy(layout.code.data() + 0x20, &value, 4);  // HIGH
  std::memcpy(layout.code.data() + 0x24, &value, 4);  // LOW
  // HIGHADJ: the high half is stored rounded, since the low half counts as signed.
  const auto high = static_cast<std::uint16_t>((value + 0x8000) >> 16);
  std::memcpy(layout.code.data() + 0x28, &high, 2);
  // Three entries and the padding entry, which carries HIGHADJ's low half.
  layout.relocations = {{kCodeRva + 0x22, 1}, {kCodeRva + 0x24, 2}, {kCodeRva + 0x28, 4}};
  Bytes image = BuildImage(layout);
  const std::uint32_t reloc = RawDataOffset(image, Format(), 3);
  Put<std::uint16_t>(image, reloc + 8 + 6, static_cast<std::uint16_t>(value & 0xFFFF));
  platform.preferredFree = false;
  InMemoryModuleLoader loader(platform, Format());
  ASSERT_TRUE(loader.Load(image)) << DescribeLoadError(loader.LastError());
  const auto delta = static_cast<std::uint32_t>(loader.GetModuleBase() - layout.imageBase);
  const auto at = [&](std::uint32_t rva) {
    return Get<std::uint32_t>(reinterpret_cast<const std::uint8_t*>(loader.GetModuleBase()), rva);
  };
  EXPECT_EQ(at(kCodeRva + 0x20) >> 16, ((value >> 16) + (delta >> 16)) & 0xFFFF);
  EXPECT_EQ(at(kCodeRva + 0x24) & 0xFFFF, (value + delta) & 0xFFFF);
  EXPECT_EQ(at(kCodeRva + 0x28) & 0xFFFF, ((value + delta + 0x8000) >> 16) & 0xFFFF);
  loader.Unload();

  // HIGHADJ as the last entry of its block has no low half.
  ImageLayout lone = RelocatableLayout();
  lone.relocations = {{kCodeRva + 0x28, 4}};
  Bytes loneImage = BuildImage(lone);
  Put<std::uint32_t>(loneImage, DirectoryOffset(Format(), kRelocationDirectory) + 4, 10);
  Put<std::uint32_t>(loneImage, RawDataOffset(loneImage, Format(), 3) + 4, 10);
  ExpectRefused(loneImage, LoadError::kBadRelocation);
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
    ExpectRefused(image, LoadError::kBadRelocation);
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
  ExpectRefused(BuildImage(layout), LoadError::kNotRelocatable);
  EXPECT_EQ(platform.released.size(), 2u);  // the unload, then the refused block
}

TEST_P(LoaderTest, ImportsByNameAndOrdinalAreBoundInTheThunks) {
  // A bound table keeps stale addresses in FirstThunk (read as names or ordinals they would
  // bind the wrong symbols) and the names in OriginalFirstThunk.
  for (const bool bound : {false, true}) {
    SCOPED_TRACE(bound ? "bound import table" : "FirstThunk only");
    ImageLayout layout = RelocatableLayout();
    layout.imports = {{"kernel32.dll", {std::string("GetTickCount"), std::uint16_t{16}}},
                      {"user32.dll", {std::string("CharUpperA")}}};
    layout.boundImports = bound;
    platform.present = {{"kernel32.dll", 0x7000}};
    platform.loadable = {{"user32.dll", 0x8000}};
    platform.symbols = {{"GetTickCount", 0x1111}, {"#16", 0x2222}, {"CharUpperA", 0x3333}};
    platform.log.clear();
    InMemoryModuleLoader loader(platform, Format());
    ASSERT_TRUE(loader.Load(BuildImage(layout))) << DescribeLoadError(loader.LastError());
    EXPECT_EQ(platform.log, (std::vector<std::string>{"find kernel32.dll", "symbol GetTickCount",
                                                      "symbol #16", "find user32.dll",
                                                      "load user32.dll", "symbol CharUpperA"}));
    // Three descriptors (one ends the list), then kernel32's thunks.
    const std::uint32_t thunks = kImportRva + 60;
    const std::uintptr_t base = loader.GetModuleBase();
    EXPECT_EQ(PointerAt(base, thunks), 0x1111u);
    EXPECT_EQ(PointerAt(base, thunks + PointerSize()), 0x2222u);
    EXPECT_EQ(PointerAt(base, thunks + 2 * PointerSize()), 0u);
    loader.Unload();
  }
}

TEST_P(LoaderTest, NoImportDirectoryBindsNothing) {
  InMemoryModuleLoader loader(platform, Format());
  ASSERT_TRUE(loader.Load(BuildImage(RelocatableLayout())));
  EXPECT_TRUE(platform.log.empty());
}

TEST_P(LoaderTest, MissingModuleOrSymbolRefusesTheImage) {
  ImageLayout layout = RelocatableLayout();
  layout.imports = {{"kernel32.dll", {std::string("GetTickCount")}}};
  ExpectRefused(BuildImage(layout), LoadError::kImportMissing);
  EXPECT_EQ(platform.log, (std::vector<std::string>{"find kernel32.dll", "load kernel32.dll"}));
  platform.log.clear();
  platform.present = {{"kernel32.dll", 0x7000}};
  ExpectRefused(BuildImage(layout), LoadError::kImportMissing);
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
    ExpectRefused(image, LoadError::kBadImportTable);
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
  EXPECT_EQ(loader.LastError(), LoadError::kEntryPointRefused);
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

TEST_P(LoaderTest, TlsCallbacksHearOfAttachBeforeAndDetachAfterTheEntryPoint) {
  ImageLayout layout = RelocatableLayout();
  layout.entryPoint = kCodeRva;
  layout.tls = true;
  layout.tlsSpec.callbacks = {kCodeRva + 0x20, kCodeRva + 0x30};
  for (const bool atImageBase : {true, false}) {
    for (const std::uint32_t attachResult : {1u, 0u}) {
      SCOPED_TRACE(std::string(atImageBase ? "at ImageBase" : "away from it") +
                   (attachResult ? "" : ", entry point refusing"));
      platform.preferredFree = atImageBase;
      platform.attachResult = attachResult;
      platform.entryCalls.clear();
      InMemoryModuleLoader loader(platform, Format());
      EXPECT_EQ(loader.Load(BuildImage(layout)), attachResult != 0);
      ASSERT_FALSE(platform.entryCalls.empty());
      const std::uintptr_t base = platform.entryCalls[0].block;
      loader.Unload();
      std::vector<std::pair<std::uintptr_t, std::uint32_t>> calls;
      for (const FakePlatform::EntryCall& call : platform.entryCalls) {
        EXPECT_EQ(call.block, base);
        calls.emplace_back(call.entry - base, call.reason);
      }
      EXPECT_EQ(calls,
                (std::vector<std::pair<std::uintptr_t, std::uint32_t>>{{kCodeRva + 0x20, 1},
                                                                       {kCodeRva + 0x30, 1},
                                                                       {kCodeRva, 1},
                                                                       {kCodeRva, 0},
                                                                       {kCodeRva + 0x20, 0},
                                                                       {kCodeRva + 0x30, 0}}));
      EXPECT_TRUE(platform.live.empty());
    }
  }
}

TEST_P(LoaderTest, TlsTheLoaderCannotServeIsRefused) {
  const std::size_t pointer = PointerSize();
  const struct {
    const char* name;
    std::function<void(ImageLayout&)> layout;
    std::function<void(Bytes&, std::uint32_t text)> change;
    LoadError expected;
  } cases[] = {
      {"thread-local data in a template", [](ImageLayout& l) { l.tlsSpec.templateSize = 8; },
       nullptr, LoadError::kUnsupportedTls},
      {"thread-local data zero-filled only", [](ImageLayout& l) { l.tlsSpec.zeroFill = 4; },
       nullptr, LoadError::kUnsupportedTls},
      {"template ending before it starts", nullptr,
       [&](Bytes& b, std::uint32_t text) {
         const std::size_t end = text + (kTlsDirectoryRva - kCodeRva) + pointer;
         Put<std::uint32_t>(b, end, Get<std::uint32_t>(b.data(), end) - 4);
       },
       LoadError::kBadTls},
      {"callback in data", [](ImageLayout& l) { l.tlsSpec.callbacks = {kExportRva}; }, nullptr,
       LoadError::kBadTls},
      {"callback past the image", [](ImageLayout& l) { l.tlsSpec.callbacks = {kImageSize + 0x10}; },
       nullptr, LoadError::kBadTls},
      {"callback array running off the block",
       [](ImageLayout& l) { l.tlsSpec.callbacks = {kCodeRva + 0x20}; },
       [&](Bytes& b, std::uint32_t text) {
         // Point the array at the block's last bytes, which hold a callback and no 0 after it:
         // the relocation section's raw data grows to the end of the block.
         const std::size_t field = text + (kTlsDirectoryRva - kCodeRva) + 3 * pointer;
         const std::uint64_t last = 0x10000000 + kImageSize - pointer;
         std::memcpy(b.data() + field, &last, pointer);
         Put<std::uint32_t>(b, SectionHeaderOffset(Format(), 3) + 16, 0x1000);
         b.resize(RawDataOffset(b, Format(), 3) + 0x1000, 0xFF);
         const std::uint64_t callback = 0x10000000 + kCodeRva + 0x20;
         std::memcpy(b.data() + b.size() - pointer, &callback, pointer);
       },
       LoadError::kBadTls},
      {"directory past the block", nullptr,
       [&](Bytes& b, std::uint32_t) {
         Put<std::uint32_t>(b, DirectoryOffset(Format(), kTlsDirectory), kImageSize - 8);
       },
       LoadError::kBadTls},
  };
  for (const auto& c : cases) {
    for (const bool atImageBase : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (atImageBase ? " at ImageBase" : " away from it"));
      ImageLayout layout = RelocatableLayout();
      layout.entryPoint = kCodeRva;
      layout.tls = true;
      layout.tlsSpec.callbacks = {kCodeRva + 0x20};
      layout.imports = {{"kernel32.dll", {std::string("GetTickCount")}}};
      if (c.layout) c.layout(layout);
      Bytes image = BuildImage(layout);
      if (c.change) c.change(image, RawDataOffset(image, Format(), 0));
      platform.preferredFree = atImageBase;
      platform.log.clear();
      ExpectRefused(image, c.expected);
      EXPECT_TRUE(platform.log.empty());  // refused before any module is loaded for it
    }
  }
}

TEST_P(LoaderTest, PagesGetTheProtectionsTheirSectionsAskFor) {
  ImageLayout layout = RelocatableLayout();
  layout.exports = {{"Alpha", kCodeRva}};
  layout.imports = {{"kernel32.dll", {std::string("GetTickCount")}}};
  platform.present = {{"kernel32.dll", 0x7000}};
  platform.symbols = {{"GetTickCount", 0x1111}};
  using P = PageProtection;
  const struct {
    const char* name;
    std::function<void(ImageLayout&)> change;
    std::vector<P> pages;  // headers, then one page per section
  } cases[] = {
      {"code, read-only data, data, discardable relocations",
       nullptr,
       {P::kReadOnly, P::kExecuteRead, P::kReadOnly, P::kReadWrite, P::kDecommitted}},
      {"a section asking for no access",
       [](ImageLayout& l) { l.sectionCharacteristics[3] = 0x00000040; },
       {P::kReadOnly, P::kExecuteRead, P::kReadOnly, P::kReadWrite, P::kNoAccess}},
      {"exports in a section asking for no access stay readable",
       [](ImageLayout& l) { l.sectionCharacteristics[1] = 0x00000040; },
       {P::kReadOnly, P::kExecuteRead, P::kReadOnly, P::kReadWrite, P::kDecommitted}},
      {"code asking for execute only",
       [](ImageLayout& l) { l.sectionCharacteristics[0] = 0x20000020; },
       {P::kReadOnly, P::kExecuteRead, P::kReadOnly, P::kReadWrite, P::kDecommitted}},
      {"exports in a discardable section stay",
       [](ImageLayout& l) { l.sectionCharacteristics[1] = kDiscardableSection; },
       {P::kReadOnly, P::kExecuteRead, P::kReadOnly, P::kReadWrite, P::kDecommitted}},
  };
  for (const auto& c : cases) {
    for (const bool atImageBase : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (atImageBase ? " at ImageBase" : " away from it"));
      ImageLayout changed = layout;
      if (c.change) c.change(changed);
      platform.preferredFree = atImageBase;
      platform.protectCalls.clear();
      InMemoryModuleLoader loader(platform, Format());
      ASSERT_TRUE(loader.Load(BuildImage(changed))) << DescribeLoadError(loader.LastError());
      const std::uintptr_t base = loader.GetModuleBase();
      std::vector<P> pages;
      for (const FakePlatform::ProtectCall& call : platform.protectCalls) {
        EXPECT_EQ((call.address - base) % kPageSize, 0u);
        for (std::size_t i = 0; i < call.size / kPageSize; ++i) pages.push_back(call.protection);
      }
      EXPECT_EQ(pages, c.pages);
      EXPECT_NE(loader.GetExport("Alpha"), 0u);  // the export directory is still readable
      loader.Unload();
    }
  }
}

TEST_P(LoaderTest, PagesThatWouldBeWritableAndExecutableAreRefused) {
  const struct {
    const char* name;
    std::function<void(ImageLayout&, Bytes&)> change;
    LoadError expected;
  } cases[] = {
      {"writable code",
       [](ImageLayout& l, Bytes&) { l.sectionCharacteristics[0] = kCodeSection | 0x80000000; },
       LoadError::kWritableCode},
      {"code and writable data sharing a page",
       [&](ImageLayout&, Bytes& b) {
         // Section alignment below the page size: the import data moves into the code's page.
         Put<std::uint32_t>(b, OptionalHeaderOffset() + 32, 0x200);
         Put<std::uint32_t>(b, SectionHeaderOffset(Format(), 2) + 12, kCodeRva + 0x200);
       },
       LoadError::kWritableCode},
      {"the system refusing a protection",
       [&](ImageLayout&, Bytes&) { platform.protectAccepted = false; },
       LoadError::kProtectionFailed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ImageLayout layout = RelocatableLayout();
    layout.entryPoint = kCodeRva;
    layout.imports = {{"kernel32.dll", {std::string("GetTickCount")}}};
    platform.present = {{"kernel32.dll", 0x7000}};
    platform.symbols = {{"GetTickCount", 0x1111}};
    Bytes unused;
    c.change(layout, unused);
    Bytes image = BuildImage(layout);
    c.change(layout, image);
    ExpectRefused(image, c.expected);
    platform.protectAccepted = true;
  }
}

TEST_P(LoaderTest, EntryPointOutsideTheImageIsRefused) {
  for (std::uint32_t entry : {kImageSize, 0xFFFFFFF0u, kExportRva}) {  // the last: not code
    ImageLayout layout = RelocatableLayout();
    layout.entryPoint = entry;
    layout.imports = {{"kernel32.dll", {std::string("GetTickCount")}}};
    ExpectRefused(BuildImage(layout), LoadError::kBadEntryPoint);
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
    ExpectRefused(image, LoadError::kFunctionTableRefused);
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
  EXPECT_EQ(loader.LastError(), LoadError::kAlreadyLoaded);
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

  // Only one loader may unload the module: it moves, and the loader it left has nothing loaded.
  static_assert(!std::is_copy_constructible_v<InMemoryModuleLoader> &&
                !std::is_copy_assignable_v<InMemoryModuleLoader>);
  InMemoryModuleLoader moved(std::move(loader));
  EXPECT_EQ(moved.GetModuleBase(), base);
  EXPECT_EQ(moved.GetExport("beta"), base + kCodeRva + 0x20);
  EXPECT_EQ(loader.GetModuleBase(), 0u);
  EXPECT_EQ(loader.GetExport("beta"), 0u);
  loader.Unload();
  InMemoryModuleLoader assigned(platform, Format());
  assigned = std::move(moved);
  EXPECT_EQ(moved.GetModuleBase(), 0u);
  moved.Unload();
  EXPECT_TRUE(platform.released.empty());
  EXPECT_EQ(assigned.GetExportByOrdinal(3), base + kCodeRva + 0x30);
  assigned.Unload();
  EXPECT_EQ(platform.released, (std::vector<std::uintptr_t>{base}));
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
