// Writes the catalogue's skin files, skin01.cskn to skin34.cskn, into the folder given.
#include <cstdio>
#include <string>
#include <vector>

#include "skin/engine/looks.h"
#include "skin/engine/skin_format_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: skin_generator <folder>\n");
    return 2;
  }
  const std::vector<skin::engine::Look> looks = skin::engine::CatalogueLooks();
  for (size_t i = 0; i < looks.size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/skin%02zu.cskn", i + 1);
    const std::string path = std::string(argv[1]) + name;
    const std::vector<std::uint8_t> bytes = skin::engine::WriteSkin(looks[i]);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      if (file != nullptr) std::fclose(file);
      return 1;
    }
    std::fclose(file);
  }
  return 0;
}
