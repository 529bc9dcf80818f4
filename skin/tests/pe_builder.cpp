// Lays out a DLL image the way linkers do: headers, then one section per part, file offsets
// aligned to 0x200, names of exports stored back to back after the tables.
#include "skin/tests/pe_builder.h"

#include <map>

namespace skin::test {
namespace {

std::uint32_t Align(std::uint32_t value, std::uint32_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

bool Wide(ImageFormat format) {
  return format == ImageFormat::kPe32Plus;
}

// The export section: directory, function table, name table, ordinal table, names.
std::vector<std::uint8_t> ExportSection(const ImageLayout& layout) {
  std::vector<std::uint8_t> out(40);
  const std::uint32_t count = static_cast<std::uint32_t>(layout.exports.size());
  const std::uint32_t functions = kExportRva + 40;
  const std::uint32_t names = functions + 4 * count;
  const std::uint32_t ordinals = names + 4 * count;
  std::uint32_t text = ordinals + 2 * count;
  Put<std::uint32_t>(out, 16, layout.exportBase);
  Put<std::uint32_t>(out, 20, count);
  Put<std::uint32_t>(out, 24, count);
  Put<std::uint32_t>(out, 28, functions);
  Put<std::uint32_t>(out, 32, names);
  Put<std::uint32_t>(out, 36, ordinals);
  for (std::uint32_t i = 0; i < count; ++i) {
    Put<std::uint32_t>(out, functions - kExportRva + 4 * i, layout.exports[i].rva);
    Put<std::uint32_t>(out, names - kExportRva + 4 * i, text);
    Put<std::uint16_t>(out, ordinals - kExportRva + 2 * i, static_cast<std::uint16_t>(i));
    const std::string& name = layout.exports[i].name;
    for (std::size_t c = 0; c <= name.size(); ++c) {
      Put<std::uint8_t>(out, text - kExportRva + c, c < name.size() ? name[c] : 0);
    }
    text += static_cast<std::uint32_t>(name.size()) + 1;
  }
  return out;
}

// The import section: descriptors (zero-terminated), then per module its thunk array, its name
// and its hint/name entries. OriginalFirstThunk stays 0, as in the skin engine image.
std::vector<std::uint8_t> ImportSection(const ImageLayout& layout) {
  const std::size_t thunk = Wide(layout.format) ? 8 : 4;
  std::vector<std::uint8_t> out(20 * (layout.imports.size() + 1));
  for (std::size_t m = 0; m < layout.imports.size(); ++m) {
    const ImportSpec& import = layout.imports[m];
    const std::uint32_t thunks = kImportRva + static_cast<std::uint32_t>(out.size());
    out.resize(out.size() + thunk * (import.symbols.size() + 1));
    const std::uint32_t name = kImportRva + static_cast<std::uint32_t>(out.size());
    for (char c : import.module) out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(0);
    Put<std::uint32_t>(out, 20 * m + 12, name);
    Put<std::uint32_t>(out, 20 * m + 16, thunks);
    std::uint32_t lookup = thunks;
    if (layout.boundImports) {
      lookup = kImportRva + static_cast<std::uint32_t>(out.size());
      out.resize(out.size() + thunk * (import.symbols.size() + 1));
      Put<std::uint32_t>(out, 20 * m, lookup);
    }
    for (std::size_t s = 0; s < import.symbols.size(); ++s) {
      if (layout.boundImports) {
        // Addresses bound at link time; bit 31 or 63 set, so they would read as ordinals.
        const std::uint64_t stale = Wide(layout.format) ? 0x8000000012340000 + s : 0x87650000 + s;
        std::memcpy(out.data() + (thunks - kImportRva) + thunk * s, &stale, thunk);
      }
      std::uint64_t value;
      if (const auto* ordinal = std::get_if<std::uint16_t>(&import.symbols[s])) {
        value = (Wide(layout.format) ? std::uint64_t{1} << 63 : std::uint64_t{1} << 31) | *ordinal;
      } else {
        if (out.size() % 2) out.push_back(0);
        value = kImportRva + out.size();
        out.push_back(0);  // hint
        out.push_back(0);
        for (char c : std::get<std::string>(import.symbols[s])) {
          out.push_back(static_cast<std::uint8_t>(c));
        }
        out.push_back(0);
      }
      std::memcpy(out.data() + (lookup - kImportRva) + thunk * s, &value, thunk);
    }
  }
  return out;
}

// The relocation section: one block per page, entries in the given order, padded with a type-0
// entry to a multiple of four bytes.
std::vector<std::uint8_t> RelocationSection(const std::vector<RelocationSpec>& relocations) {
  std::map<std::uint32_t, std::vector<std::uint16_t>> pages;
  for (const RelocationSpec& r : relocations) {
    pages[r.rva & ~0xFFFu].push_back(static_cast<std::uint16_t>((r.type << 12) | (r.rva & 0xFFF)));
  }
  std::vector<std::uint8_t> out;
  for (auto& [page, entries] : pages) {
    if (entries.size() % 2) entries.push_back(0);
    const std::size_t head = out.size();
    Put<std::uint32_t>(out, head, page);
    Put<std::uint32_t>(out, head + 4, static_cast<std::uint32_t>(8 + 2 * entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) Put(out, head + 8 + 2 * i, entries[i]);
  }
  return out;
}

}  // namespace

std::size_t NtOffset() {
  return kLfanew;
}

std::size_t OptionalHeaderOffset() {
  return kLfanew + 24;
}

std::size_t DirectoryOffset(ImageFormat format, int index) {
  return OptionalHeaderOffset() + (Wide(format) ? 112 : 96) + 8 * index;
}

std::size_t SectionHeaderOffset(ImageFormat format, int index) {
  return kLfanew + NtHeadersSize(format) + 40 * index;
}

std::uint32_t RawDataOffset(const std::vector<std::uint8_t>& image, ImageFormat format,
                            int section) {
  return Get<std::uint32_t>(image.data(), SectionHeaderOffset(format, section) + 20);
}

std::vector<std::uint8_t> BuildImage(const ImageLayout& layout) {
  const bool wide = Wide(layout.format);
  std::vector<std::uint8_t> image(kSizeOfHeaders);
  Put<std::uint16_t>(image, 0, 0x5A4D);
  Put<std::uint32_t>(image, 60, kLfanew);
  Put<std::uint32_t>(image, kLfanew, 0x4550);
  Put<std::uint16_t>(image, kLfanew + 4, wide ? 0x8664 : 0x014C);
  Put<std::uint16_t>(image, kLfanew + 6, kSectionCount);
  Put<std::uint16_t>(image, kLfanew + 20, wide ? 240 : 224);
  Put<std::uint16_t>(image, kLfanew + 22, layout.characteristics);
  const std::size_t opt = OptionalHeaderOffset();
  Put<std::uint16_t>(image, opt, wide ? 0x20B : 0x10B);
  Put<std::uint32_t>(image, opt + 16, layout.entryPoint);
  if (wide) {
    Put<std::uint64_t>(image, opt + 24, layout.imageBase);
  } else {
    Put<std::uint32_t>(image, opt + 28, static_cast<std::uint32_t>(layout.imageBase));
  }
  Put<std::uint32_t>(image, opt + 32, layout.sectionAlignment);
  Put<std::uint32_t>(image, opt + 36, kFileAlignment);
  Put<std::uint32_t>(image, opt + 56, kImageSize);
  Put<std::uint32_t>(image, opt + 60, kSizeOfHeaders);
  Put<std::uint32_t>(image, opt + (wide ? 108 : 92), 16);  // NumberOfRvaAndSizes

  struct Part {
    const char* name;
    std::uint32_t rva;
    std::vector<std::uint8_t> bytes;
  };
  // The TLS directory and its callback array hold addresses: they get relocations.
  std::vector<std::uint8_t> code = layout.code;
  std::vector<RelocationSpec> relocations = layout.relocations;
  if (layout.tls) {
    const std::size_t pointer = wide ? 8 : 4;
    const std::uint16_t type = wide ? 10 : 3;
    if (code.size() < 0x200) code.resize(0x200);
    const auto address = [&](std::uint32_t at, std::uint32_t rva) {
      const std::uint64_t value = layout.imageBase + rva;
      std::memcpy(code.data() + (at - kCodeRva), &value, pointer);
      relocations.push_back({at, type});
    };
    const TlsSpec& tls = layout.tlsSpec;
    address(kTlsDirectoryRva, kTlsTemplateRva);
    address(kTlsDirectoryRva + pointer, kTlsTemplateRva + tls.templateSize);
    address(kTlsDirectoryRva + 2 * pointer, kTlsIndexRva);
    address(kTlsDirectoryRva + 3 * pointer, kTlsCallbacksRva);
    std::memcpy(code.data() + (kTlsDirectoryRva - kCodeRva) + 4 * pointer, &tls.zeroFill, 4);
    for (std::size_t i = 0; i < tls.callbacks.size(); ++i) {
      address(kTlsCallbacksRva + static_cast<std::uint32_t>(pointer * i), tls.callbacks[i]);
    }
    Put<std::uint32_t>(image, DirectoryOffset(layout.format, kTlsDirectory), kTlsDirectoryRva);
    Put<std::uint32_t>(image, DirectoryOffset(layout.format, kTlsDirectory) + 4, wide ? 40 : 24);
  }
  const Part parts[kSectionCount] = {
      {".text", kCodeRva, code},
      {".edata", kExportRva,
       layout.exports.empty() ? std::vector<std::uint8_t>{} : ExportSection(layout)},
      {".idata", kImportRva,
       layout.imports.empty() ? std::vector<std::uint8_t>{} : ImportSection(layout)},
      {".reloc", kRelocationRva, RelocationSection(relocations)},
  };
  const int directories[kSectionCount] = {-1, kExportDirectory, kImportDirectory,
                                          kRelocationDirectory};
  for (int i = 0; i < kSectionCount; ++i) {
    const Part& part = parts[i];
    const std::uint32_t size = static_cast<std::uint32_t>(part.bytes.size());
    const std::uint32_t raw = Align(size, kFileAlignment);
    const std::uint32_t pointer = static_cast<std::uint32_t>(image.size());
    const std::size_t header = SectionHeaderOffset(layout.format, i);
    std::memcpy(image.data() + header, part.name, std::strlen(part.name));
    Put<std::uint32_t>(image, header + 8, size);
    Put<std::uint32_t>(image, header + 12, part.rva);
    Put<std::uint32_t>(image, header + 16, raw);
    Put<std::uint32_t>(image, header + 20, raw == 0 ? 0 : pointer);
    Put<std::uint32_t>(image, header + 36, layout.sectionCharacteristics[i]);
    image.insert(image.end(), part.bytes.begin(), part.bytes.end());
    image.resize(pointer + raw);
    if (directories[i] >= 0 && size > 0) {
      Put<std::uint32_t>(image, DirectoryOffset(layout.format, directories[i]), part.rva);
      Put<std::uint32_t>(image, DirectoryOffset(layout.format, directories[i]) + 4, size);
    }
  }
  return image;
}

}  // namespace skin::test
