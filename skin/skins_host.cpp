// Builds without Windows have no engine: the default host finds no export.
#include "skin/skins.h"

namespace skin {
namespace {

class NoEngine final : public EngineHost {
 public:
  std::uintptr_t GetExport(const char*) override { return 0; }
  std::uintptr_t Call(std::uintptr_t, std::uintptr_t, std::uintptr_t, std::uintptr_t,
                      std::uintptr_t, std::uintptr_t, std::uintptr_t, std::uintptr_t,
                      std::uintptr_t, std::uintptr_t, std::uintptr_t) override {
    return 0;
  }
};

}  // namespace

EngineHost& DefaultEngineHost() {
  static NoEngine host;
  return host;
}

}  // namespace skin
