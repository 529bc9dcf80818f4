// The skin catalogue and the attach call.
#include "skin/skins.h"

#include "skin/engine/skin_format.h"
#include "skin/skin_files.h"

namespace skin {
namespace {

EngineHost* g_host = nullptr;
int g_current = 0;
int g_startup = kStartupSkin;

#define SKIN_ENTRY(n) std::span<const std::uint8_t>(files::kSkin##n)
// The 34 files, in catalogue order.
const std::span<const std::uint8_t> kCatalogue[kSkinCount] = {
    SKIN_ENTRY(1),  SKIN_ENTRY(2),  SKIN_ENTRY(3),  SKIN_ENTRY(4),  SKIN_ENTRY(5),  SKIN_ENTRY(6),
    SKIN_ENTRY(7),  SKIN_ENTRY(8),  SKIN_ENTRY(9),  SKIN_ENTRY(10), SKIN_ENTRY(11), SKIN_ENTRY(12),
    SKIN_ENTRY(13), SKIN_ENTRY(14), SKIN_ENTRY(15), SKIN_ENTRY(16), SKIN_ENTRY(17), SKIN_ENTRY(18),
    SKIN_ENTRY(19), SKIN_ENTRY(20), SKIN_ENTRY(21), SKIN_ENTRY(22), SKIN_ENTRY(23), SKIN_ENTRY(24),
    SKIN_ENTRY(25), SKIN_ENTRY(26), SKIN_ENTRY(27), SKIN_ENTRY(28), SKIN_ENTRY(29), SKIN_ENTRY(30),
    SKIN_ENTRY(31), SKIN_ENTRY(32), SKIN_ENTRY(33), SKIN_ENTRY(34),
};
#undef SKIN_ENTRY

}  // namespace

void SetEngineHost(EngineHost* host) {
  g_host = host;
}

std::span<const std::uint8_t> SkinFile(int number) {
  if (number < 1 || number > kSkinCount) return {};
  return kCatalogue[number - 1];
}

void ApplySkin(int number) {
  const std::span<const std::uint8_t> file = SkinFile(number);
  if (file.empty()) return;
  AttachSkinResource(file);
  g_current = number;
}

int CurrentSkin() {
  return g_current;
}

int StartupSkin() {
  return g_startup;
}

void SetStartupSkin(int number) {
  g_startup = number >= 1 && number <= kSkinCount ? number : kStartupSkin;
}

std::string SkinName(int number) {
  const std::span<const std::uint8_t> file = SkinFile(number);
  engine::Look look;
  if (file.empty() || engine::ReadSkin(file.data(), file.size(), look) != engine::ReadStatus::kOk) {
    return {};
  }
  return look.name;
}

void AttachSkinResource(std::span<const std::uint8_t> skinFile) {
  if (g_host == nullptr) return;
  EngineHost& host = *g_host;
  const std::uintptr_t address = host.GetExport(kAttachExport);
  if (address == 0) return;
  host.Call(address, reinterpret_cast<std::uintptr_t>(skinFile.data()), skinFile.size(), 0, 0, 0, 0,
            0, 0, 0, 0);
}

}  // namespace skin
