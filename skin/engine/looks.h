// The 34 looks of the program's skin catalogue, numbered 1 to 34 in order. The skin generator
// writes them as skin files; the tests check the committed files against them.
#pragma once

#include <vector>

#include "skin/engine/skin_format.h"

namespace skin::engine {

inline constexpr int kCatalogueSize = 34;

std::vector<Look> CatalogueLooks();

}  // namespace skin::engine
