// Feeds arbitrary bytes through the loader's steps on a block of our own (header checks, size,
// mapping, relocation, the TLS directory, the import walk against a platform that binds
// anything, the protection plan, the export walk) and then through a whole Load and Unload, for
// both image formats. AddressSanitizer reports any
// read or write outside the input or the block.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "skin/module_loader.h"

namespace {

// Blocks above this size are only computed, not mapped: mapping them would slow the run
// without reaching new code.
constexpr std::uint64_t kFuzzBlockLimit = 64 << 10;

class FuzzPlatform final : public skin::LoaderPlatform {
 public:
  std::uintptr_t Reserve(std::uint64_t preferred, std::size_t size) override {
    if (preferred != 0 || size > kFuzzBlockLimit) return 0;
    return reinterpret_cast<std::uintptr_t>(std::calloc(size, 1));
  }
  void Release(std::uintptr_t block) override { std::free(reinterpret_cast<void*>(block)); }
  // Heap blocks keep their access; a protection of three pages at once is refused, to reach the
  // failure path too.
  bool Protect(std::uintptr_t, std::size_t size, skin::PageProtection) override {
    return size != 3 * skin::kPageSize;
  }
  std::uintptr_t FindModule(const char* name) override { return name[0] == 'x' ? 0 : 0x1000; }
  std::uintptr_t LoadModule(const char* name) override { return std::strlen(name) + 0x2000; }
  std::uintptr_t FindSymbol(std::uintptr_t, const char* name) override {
    return std::strlen(name) + 0x3000;
  }
  std::uintptr_t FindSymbol(std::uintptr_t, std::uint16_t ordinal) override {
    return ordinal == 0 ? 0 : ordinal + 0x4000;
  }
  bool AddFunctionTable(std::uintptr_t, std::uint32_t rva, std::uint32_t) override {
    return rva % 3 != 0;
  }
  void RemoveFunctionTable(std::uintptr_t, std::uint32_t) override {}
  std::uint32_t CallEntryPoint(std::uintptr_t entry, std::uintptr_t block, std::uint32_t) override {
    return (entry - block) & 1 ? 0 : 1;
  }
};

void RunSteps(skin::ImageFormat format, std::span<const std::uint8_t> image) {
  FuzzPlatform platform;
  skin::InMemoryModuleLoader loader(platform, format);
  if (!loader.CheckHeaders(image)) return;
  const std::uint64_t size = loader.ComputeImageSize();
  if (size == 0 || size > kFuzzBlockLimit) return;
  std::vector<std::uint8_t> bytes(size);
  const skin::Block block{reinterpret_cast<std::uintptr_t>(bytes.data()), bytes.size()};
  if (!loader.MapImage(block, image)) return;
  // The block is not at ImageBase, so the relocation rules all apply. The later steps run
  // whatever the earlier ones answered: what counts here is that none reads or writes outside
  // the image or the block, not their answers.
  (void)(loader.ApplyRelocations(block) && loader.ReadTls(block));
  (void)loader.ResolveImports(block);
  (void)loader.ProtectSections(block);
  for (const char* name : {"a", "SkinEngine_AttachRes", "DllMain"}) {
    (void)loader.FindExport(block, name);
  }

  skin::InMemoryModuleLoader whole(platform, format);
  if (whole.Load(image)) {
    (void)whole.GetExport("a");
    (void)whole.GetExportByOrdinal(1);
    whole.GetEntryAddress();
    whole.Unload();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> image(data, size);
  RunSteps(skin::ImageFormat::kPe32, image);
  RunSteps(skin::ImageFormat::kPe32Plus, image);
  return 0;
}
