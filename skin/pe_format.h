// The PE/COFF structures the in-memory loader reads, laid out exactly as they stand in an image
// (little-endian, naturally aligned, no padding), so that a structure is read with one byte copy
// and its fields are named instead of counted. Every read of the image buffer or the mapped block
// goes through ReadAt, which refuses a structure that does not lie wholly inside the bytes.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace skin::pe {

static_assert(std::endian::native == std::endian::little,
              "images are little-endian and are read by plain byte copies");

struct DosHeader {
  std::uint16_t magic;  // "MZ"
  std::uint16_t unused[29];
  std::int32_t lfanew;  // file offset of the NT headers
};
static_assert(offsetof(DosHeader, lfanew) == 60 && sizeof(DosHeader) == 64);

struct FileHeader {
  std::uint16_t machine;
  std::uint16_t numberOfSections;
  std::uint32_t timeDateStamp;
  std::uint32_t pointerToSymbolTable;
  std::uint32_t numberOfSymbols;
  std::uint16_t sizeOfOptionalHeader;
  std::uint16_t characteristics;
};
static_assert(offsetof(FileHeader, numberOfSections) == 2);
static_assert(offsetof(FileHeader, sizeOfOptionalHeader) == 16);
static_assert(offsetof(FileHeader, characteristics) == 18 && sizeof(FileHeader) == 20);

struct DataDirectory {
  std::uint32_t virtualAddress;
  std::uint32_t size;
};
static_assert(sizeof(DataDirectory) == 8);

inline constexpr int kDirectoryCount = 16;

// The fields both optional headers share, up to the image base where they part.
struct OptionalHeaderStart {
  std::uint16_t magic;
  std::uint8_t majorLinkerVersion;
  std::uint8_t minorLinkerVersion;
  std::uint32_t sizeOfCode;
  std::uint32_t sizeOfInitializedData;
  std::uint32_t sizeOfUninitializedData;
  std::uint32_t addressOfEntryPoint;
  std::uint32_t baseOfCode;
};
static_assert(offsetof(OptionalHeaderStart, addressOfEntryPoint) == 16);
static_assert(sizeof(OptionalHeaderStart) == 24);

// The fields after the image base, the same in both formats except for the stack and heap sizes.
template <typename Size>
struct OptionalHeaderRest {
  std::uint32_t sectionAlignment;
  std::uint32_t fileAlignment;
  std::uint16_t versions[6];
  std::uint32_t win32VersionValue;
  std::uint32_t sizeOfImage;
  std::uint32_t sizeOfHeaders;
  std::uint32_t checkSum;
  std::uint16_t subsystem;
  std::uint16_t dllCharacteristics;
  Size stackAndHeap[4];
  std::uint32_t loaderFlags;
  std::uint32_t numberOfRvaAndSizes;
  DataDirectory directories[kDirectoryCount];
};

struct OptionalHeader32 {
  OptionalHeaderStart start;
  std::uint32_t baseOfData;
  std::uint32_t imageBase;
  OptionalHeaderRest<std::uint32_t> rest;
};
static_assert(offsetof(OptionalHeader32, imageBase) == 28);
static_assert(offsetof(OptionalHeader32, rest.sectionAlignment) == 32);
static_assert(offsetof(OptionalHeader32, rest.sizeOfImage) == 56);
static_assert(offsetof(OptionalHeader32, rest.sizeOfHeaders) == 60);
static_assert(offsetof(OptionalHeader32, rest.directories) == 96);
static_assert(sizeof(OptionalHeader32) == 224);

struct OptionalHeader64 {
  OptionalHeaderStart start;
  std::uint64_t imageBase;
  OptionalHeaderRest<std::uint64_t> rest;
};
static_assert(offsetof(OptionalHeader64, imageBase) == 24);
static_assert(offsetof(OptionalHeader64, rest.sectionAlignment) == 32);
static_assert(offsetof(OptionalHeader64, rest.sizeOfImage) == 56);
static_assert(offsetof(OptionalHeader64, rest.sizeOfHeaders) == 60);
static_assert(offsetof(OptionalHeader64, rest.directories) == 112);
static_assert(sizeof(OptionalHeader64) == 240);

template <typename Optional>
struct NtHeaders {
  std::uint32_t signature;  // "PE\0\0"
  FileHeader file;
  Optional optional;
};
using NtHeaders32 = NtHeaders<OptionalHeader32>;
using NtHeaders64 = NtHeaders<OptionalHeader64>;
static_assert(offsetof(NtHeaders32, optional) == 24 && sizeof(NtHeaders32) == 248);
static_assert(offsetof(NtHeaders64, optional) == 24 && sizeof(NtHeaders64) == 264);

struct SectionHeader {
  char name[8];
  std::uint32_t virtualSize;
  std::uint32_t virtualAddress;
  std::uint32_t sizeOfRawData;
  std::uint32_t pointerToRawData;
  std::uint32_t pointerToRelocations;
  std::uint32_t pointerToLinenumbers;
  std::uint16_t numberOfRelocations;
  std::uint16_t numberOfLinenumbers;
  std::uint32_t characteristics;
};
static_assert(offsetof(SectionHeader, virtualSize) == 8);
static_assert(offsetof(SectionHeader, pointerToRawData) == 20);
static_assert(offsetof(SectionHeader, characteristics) == 36 && sizeof(SectionHeader) == 40);

struct ExportDirectory {
  std::uint32_t characteristics;
  std::uint32_t timeDateStamp;
  std::uint16_t majorVersion;
  std::uint16_t minorVersion;
  std::uint32_t name;
  std::uint32_t base;
  std::uint32_t numberOfFunctions;
  std::uint32_t numberOfNames;
  std::uint32_t addressOfFunctions;
  std::uint32_t addressOfNames;
  std::uint32_t addressOfNameOrdinals;
};
static_assert(offsetof(ExportDirectory, base) == 16);
static_assert(offsetof(ExportDirectory, addressOfNameOrdinals) == 36);
static_assert(sizeof(ExportDirectory) == 40);

struct ImportDescriptor {
  std::uint32_t originalFirstThunk;  // names and ordinals; 0 in some images
  std::uint32_t timeDateStamp;
  std::uint32_t forwarderChain;
  std::uint32_t name;
  std::uint32_t firstThunk;  // receives the addresses
};
static_assert(offsetof(ImportDescriptor, name) == 12);
static_assert(offsetof(ImportDescriptor, firstThunk) == 16 && sizeof(ImportDescriptor) == 20);

struct BaseRelocationHead {
  std::uint32_t virtualAddress;  // RVA of the page the entries fix up
  std::uint32_t sizeOfBlock;     // bytes, this head included
};
static_assert(sizeof(BaseRelocationHead) == 8);

// Addresses here are virtual addresses (ImageBase counts), relocated like any other.
template <typename Address>
struct TlsDirectory {
  Address startAddressOfRawData;
  Address endAddressOfRawData;
  Address addressOfIndex;
  Address addressOfCallBacks;
  std::uint32_t sizeOfZeroFill;
  std::uint32_t characteristics;
};
using TlsDirectory32 = TlsDirectory<std::uint32_t>;
using TlsDirectory64 = TlsDirectory<std::uint64_t>;
static_assert(offsetof(TlsDirectory32, addressOfCallBacks) == 12);
static_assert(offsetof(TlsDirectory32, sizeOfZeroFill) == 16 && sizeof(TlsDirectory32) == 24);
static_assert(offsetof(TlsDirectory64, addressOfCallBacks) == 24);
static_assert(offsetof(TlsDirectory64, sizeOfZeroFill) == 32 && sizeof(TlsDirectory64) == 40);

inline constexpr std::uint16_t kDosMagic = 0x5A4D;     // "MZ"
inline constexpr std::uint32_t kNtSignature = 0x4550;  // "PE\0\0"

inline constexpr std::uint32_t kSectionDiscardable = 0x02000000;
inline constexpr std::uint32_t kSectionExecute = 0x20000000;
inline constexpr std::uint32_t kSectionRead = 0x40000000;
inline constexpr std::uint32_t kSectionWrite = 0x80000000;

inline constexpr unsigned kRelocationAbsolute = 0;
inline constexpr unsigned kRelocationHigh = 1;
inline constexpr unsigned kRelocationLow = 2;
inline constexpr unsigned kRelocationHighLow = 3;
inline constexpr unsigned kRelocationHighAdjust = 4;
inline constexpr unsigned kRelocationDir64 = 10;

// Whether [offset, offset + length) lies inside size bytes; 64-bit arithmetic, so no 32-bit field
// of an image can wrap an offset back into range.
[[nodiscard]] inline bool InRange(std::uint64_t offset, std::uint64_t length, std::uint64_t size) {
  return offset <= size && length <= size - offset;
}

// Copies the T at offset; false, with value untouched, when it does not lie wholly inside bytes.
template <typename T>
[[nodiscard]] bool ReadAt(std::span<const std::uint8_t> bytes, std::uint64_t offset, T& value) {
  if (!InRange(offset, sizeof(T), bytes.size())) return false;
  std::memcpy(&value, bytes.data() + offset, sizeof(T));
  return true;
}

}  // namespace skin::pe
