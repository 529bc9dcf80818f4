// Feeds arbitrary bytes to the skin reader: it must refuse or accept without reading outside
// the buffer.
#include <cstddef>
#include <cstdint>

#include "skin/engine/skin_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  skin::engine::Look look;
  (void)skin::engine::ReadSkin(data, size, look);
  return 0;
}
