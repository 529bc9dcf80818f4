// The skin catalogue: 34 skin files carried in the program, and the one call that hands a skin
// to the skin engine. The engine (SkinEngine.dll, also carried in the program) is loaded at
// start-up through the global in-memory loader; the catalogue finds its export there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "skin/engine/looks.h"

namespace skin {

inline constexpr int kSkinCount = engine::kCatalogueSize;
// The number the program applies when the main window has been created, unless the user has
// chosen another one (SetStartupSkin).
inline constexpr int kStartupSkin = 7;
inline constexpr char kAttachExport[] = "SkinEngine_AttachRes";

// The engine as the catalogue reaches it: an export's address, and a call to that address.
class EngineHost {
 public:
  virtual ~EngineHost() = default;
  // The address of the named export of the loaded engine, or 0 (no engine, no such export).
  [[nodiscard]] virtual std::uintptr_t GetExport(const char* name) = 0;
  // Calls address with ten arguments; the result is the callee's.
  virtual std::uintptr_t Call(std::uintptr_t address, std::uintptr_t a1, std::uintptr_t a2,
                              std::uintptr_t a3, std::uintptr_t a4, std::uintptr_t a5,
                              std::uintptr_t a6, std::uintptr_t a7, std::uintptr_t a8,
                              std::uintptr_t a9, std::uintptr_t a10) = 0;
};

// The host the catalogue calls through; the program installs the global loader's at start-up
// (skins_win.h). With none installed (nullptr) there is no engine and nothing is called.
void SetEngineHost(EngineHost* host);

// Catalogue entry number (1 to 34) as stored in the program; empty for any other number.
std::span<const std::uint8_t> SkinFile(int number);

// The skin's name as its file gives it (GBK, as the skin menus show it), or empty for a number
// outside 1 to 34.
std::string SkinName(int number);

// Applies catalogue entry number: 1 to 34 are compared in turn and the matching entry is
// attached; any other number does nothing.
void ApplySkin(int number);
// The number last applied, or 0 before any.
int CurrentSkin();

// The number the main window's creation applies: kStartupSkin until the program has read the
// user's choice. A number outside 1 to 34 brings back kStartupSkin.
int StartupSkin();
void SetStartupSkin(int number);
// Hands one skin file to the engine's SkinEngine_AttachRes with its address, its size and
// eight zeros. Nothing is called when the engine or its export is missing; the engine's answer
// is not examined (a skin it refuses leaves the windows as they were).
void AttachSkinResource(std::span<const std::uint8_t> skinFile);

}  // namespace skin
