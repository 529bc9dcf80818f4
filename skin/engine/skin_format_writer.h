// Writing skin files: used by the skin generator and the tests, never by the engine.
#pragma once

#include <cstdint>
#include <vector>

#include "skin/engine/skin_format.h"

namespace skin::engine {

// The content records of look, unpacked.
std::vector<std::uint8_t> EncodeContent(const Look& look);

// Packs bytes so that Unpack gives them back: literal runs and copies of earlier bytes.
std::vector<std::uint8_t> Pack(const std::vector<std::uint8_t>& bytes);

// A whole skin file: head and packed content.
std::vector<std::uint8_t> WriteSkin(const Look& look);

// The head of a skin file with the given declared unpacked size and version (for building damaged
// and older files).
std::vector<std::uint8_t> SkinHead(std::uint32_t unpackedSize,
                                   std::uint32_t version = kSkinVersion);

}  // namespace skin::engine
