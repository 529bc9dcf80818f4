// The program's engine host: the engine loaded by the global in-memory loader, called through
// CallAddress; and the engine's image, embedded at build time.
#include "skin/engine_image.h"
#include "skin/module_loader.h"
#include "skin/skins_win.h"

namespace skin {
namespace {

class LoadedEngine final : public EngineHost {
 public:
  std::uintptr_t GetExport(const char* name) override {
    const InMemoryModuleLoader* loader = GlobalLoader();
    return loader != nullptr ? loader->GetExport(name) : 0;
  }
  std::uintptr_t Call(std::uintptr_t address, std::uintptr_t a1, std::uintptr_t a2,
                      std::uintptr_t a3, std::uintptr_t a4, std::uintptr_t a5, std::uintptr_t a6,
                      std::uintptr_t a7, std::uintptr_t a8, std::uintptr_t a9,
                      std::uintptr_t a10) override {
    return CallAddress(address, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10);
  }
};

}  // namespace

EngineHost& LoadedEngineHost() {
  static LoadedEngine host;
  return host;
}

std::span<const std::uint8_t> EngineImage() {
  return files::kSkinEngineImage;
}

}  // namespace skin
