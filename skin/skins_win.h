// The skin catalogue's Windows side: the engine's image and the host that reaches it.
#pragma once

#include <cstdint>
#include <span>

#include "skin/skins.h"

namespace skin {

// The engine loaded into the global in-memory loader, called through CallAddress.
EngineHost& LoadedEngineHost();

// The engine's DLL image for this build's architecture.
std::span<const std::uint8_t> EngineImage();

}  // namespace skin
