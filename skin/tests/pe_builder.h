// A small builder of PE32 and PE32+ DLL images for the loader's native tests: headers, a code
// section, an export section, an import section and a relocation section at fixed places, so
// tests can build a valid image and then break one field of it.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <variant>
#include <vector>

#include "skin/module_loader.h"

namespace skin::test {

// Where the builder puts things.
inline constexpr std::uint32_t kLfanew = 0x80;
inline constexpr std::uint32_t kSizeOfHeaders = 0x400;
inline constexpr std::uint32_t kFileAlignment = 0x200;
inline constexpr std::uint32_t kCodeRva = 0x1000;
inline constexpr std::uint32_t kExportRva = 0x2000;
inline constexpr std::uint32_t kImportRva = 0x3000;
inline constexpr std::uint32_t kRelocationRva = 0x4000;
inline constexpr std::uint32_t kImageSize = 0x5000;
inline constexpr int kSectionCount = 4;

struct ExportSpec {
  std::string name;
  std::uint32_t rva;
};

struct ImportSpec {
  std::string module;
  std::vector<std::variant<std::string, std::uint16_t>> symbols;  // a name or an ordinal
};

struct RelocationSpec {
  std::uint32_t rva;
  std::uint16_t type;
};

// Where the builder puts a TLS directory, its callback array and its template, inside the code
// section (which grows to hold them).
inline constexpr std::uint32_t kTlsDirectoryRva = kCodeRva + 0x100;
inline constexpr std::uint32_t kTlsCallbacksRva = kCodeRva + 0x140;
inline constexpr std::uint32_t kTlsTemplateRva = kCodeRva + 0x180;
inline constexpr std::uint32_t kTlsIndexRva = kCodeRva + 0x1F0;

inline constexpr std::uint32_t kCodeSection = 0x60000020;      // code, execute, read
inline constexpr std::uint32_t kReadOnlySection = 0x40000040;  // initialised data, read
inline constexpr std::uint32_t kWritableSection = 0xC0000040;  // initialised data, read, write
inline constexpr std::uint32_t kDiscardableSection = 0x42000040;

struct TlsSpec {
  std::vector<std::uint32_t> callbacks;  // RVAs
  std::uint32_t templateSize = 0;
  std::uint32_t zeroFill = 0;
};

struct ImageLayout {
  ImageFormat format = ImageFormat::kPe32;
  std::uint64_t imageBase = 0x10000000;
  std::uint16_t characteristics = kFileDll | kFileExecutableImage;
  std::uint32_t entryPoint = 0;
  std::uint32_t sectionAlignment = 0x1000;
  std::vector<std::uint8_t> code = std::vector<std::uint8_t>(0x100);
  std::vector<ExportSpec> exports;
  std::uint32_t exportBase = 1;
  std::vector<ImportSpec> imports;
  // Bound imports: OriginalFirstThunk holds the names, FirstThunk stale addresses.
  bool boundImports = false;
  std::vector<RelocationSpec> relocations;
  bool tls = false;  // a TLS directory as described by tlsSpec, with relocations for its addresses
  TlsSpec tlsSpec;
  // .text, .edata, .idata, .reloc
  std::uint32_t sectionCharacteristics[4] = {kCodeSection, kReadOnlySection, kWritableSection,
                                             kDiscardableSection};
};

std::vector<std::uint8_t> BuildImage(const ImageLayout& layout);

// Offsets of fields inside a built image.
std::size_t NtOffset();
std::size_t OptionalHeaderOffset();
std::size_t DirectoryOffset(ImageFormat format, int index);
std::size_t SectionHeaderOffset(ImageFormat format, int index);
// File offset of the raw data of a section of the builder's layout.
std::uint32_t RawDataOffset(const std::vector<std::uint8_t>& image, ImageFormat format,
                            int section);

template <typename T>
void Put(std::vector<std::uint8_t>& bytes, std::size_t offset, T value) {
  if (bytes.size() < offset + sizeof(T)) bytes.resize(offset + sizeof(T));
  std::memcpy(bytes.data() + offset, &value, sizeof(T));
}

template <typename T>
T Get(const std::uint8_t* bytes, std::size_t offset) {
  T value;
  std::memcpy(&value, bytes + offset, sizeof(T));
  return value;
}

}  // namespace skin::test
