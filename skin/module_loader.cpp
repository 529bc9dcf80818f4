// The portable steps of the in-memory module loader: every read of the image buffer and every
// read or write inside the block is a bounds-checked byte copy, with offsets computed in 64 bits
// so that no 32-bit field of a damaged image can wrap an offset back into range.
#include "skin/module_loader.h"

#include <algorithm>
#include <cstring>

namespace skin {
namespace {

constexpr std::size_t kDosHeaderSize = 64;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kImportDescriptorSize = 20;
constexpr std::size_t kExportDirectorySize = 40;
constexpr std::size_t kRelocationHeadSize = 8;
constexpr std::uint16_t kDosMagic = 0x5A4D;     // "MZ"
constexpr std::uint32_t kNtSignature = 0x4550;  // "PE\0\0"
constexpr std::uint32_t kDllProcessDetach = 0;
constexpr std::uint32_t kDllProcessAttach = 1;
constexpr unsigned kRelocationHighLow = 3;
constexpr unsigned kRelocationDir64 = 10;

// Whether [offset, offset + length) lies inside a buffer of size bytes.
bool InRange(std::uint64_t offset, std::uint64_t length, std::uint64_t size) {
  return offset <= size && length <= size - offset;
}

template <typename T>
bool ReadAt(std::span<const std::uint8_t> bytes, std::uint64_t offset, T& value) {
  if (!InRange(offset, sizeof(T), bytes.size())) return false;
  std::memcpy(&value, bytes.data() + offset, sizeof(T));
  return true;
}

template <typename T>
T Field(const std::uint8_t* bytes, std::size_t offset) {
  T value;
  std::memcpy(&value, bytes + offset, sizeof(T));
  return value;
}

std::span<std::uint8_t> BlockBytes(Block block) {
  return {reinterpret_cast<std::uint8_t*>(block.address), block.size};
}

// The NUL-terminated text at offset, or nullptr when it does not end inside the buffer.
const char* TextAt(std::span<const std::uint8_t> bytes, std::uint64_t offset) {
  if (offset >= bytes.size()) return nullptr;
  const std::uint8_t* start = bytes.data() + offset;
  if (std::memchr(start, 0, bytes.size() - offset) == nullptr) return nullptr;
  return reinterpret_cast<const char*>(start);
}

struct Layout {
  std::uint16_t machine;
  std::uint16_t optionalHeaderSize;
  std::size_t ntHeadersSize;
  std::size_t directoriesOffset;
  std::size_t thunkSize;
};

Layout LayoutOf(ImageFormat format) {
  if (format == ImageFormat::kPe32) return {0x014C, 224, 248, 120, 4};
  return {0x8664, 240, 264, 136, 8};
}

bool DecodeDos(std::span<const std::uint8_t> bytes, DosHeader& dos) {
  if (bytes.size() < kDosHeaderSize) return false;
  dos.magic = Field<std::uint16_t>(bytes.data(), 0);
  dos.lfanew = Field<std::int32_t>(bytes.data(), 60);
  return true;
}

// The NT headers at offset; false when they do not fit.
bool DecodeNt(std::span<const std::uint8_t> bytes, std::int64_t offset, ImageFormat format,
              NtHeaders& nt) {
  const Layout layout = LayoutOf(format);
  if (offset < 0 ||
      !InRange(static_cast<std::uint64_t>(offset), layout.ntHeadersSize, bytes.size())) {
    return false;
  }
  const std::uint8_t* p = bytes.data() + offset;
  nt.signature = Field<std::uint32_t>(p, 0);
  nt.machine = Field<std::uint16_t>(p, 4);
  nt.numberOfSections = Field<std::uint16_t>(p, 6);
  nt.sizeOfOptionalHeader = Field<std::uint16_t>(p, 20);
  nt.characteristics = Field<std::uint16_t>(p, 22);
  nt.addressOfEntryPoint = Field<std::uint32_t>(p, 40);
  nt.imageBase =
      format == ImageFormat::kPe32 ? Field<std::uint32_t>(p, 52) : Field<std::uint64_t>(p, 48);
  nt.sectionAlignment = Field<std::uint32_t>(p, 56);
  nt.sizeOfHeaders = Field<std::uint32_t>(p, 84);
  for (int i = 0; i < 16; ++i) {
    nt.directories[i].virtualAddress = Field<std::uint32_t>(p, layout.directoriesOffset + 8 * i);
    nt.directories[i].size = Field<std::uint32_t>(p, layout.directoriesOffset + 8 * i + 4);
  }
  return true;
}

bool DecodeSection(std::span<const std::uint8_t> bytes, std::uint64_t offset,
                   SectionHeader& section) {
  if (!InRange(offset, kSectionHeaderSize, bytes.size())) return false;
  const std::uint8_t* p = bytes.data() + offset;
  section.virtualSize = Field<std::uint32_t>(p, 8);
  section.virtualAddress = Field<std::uint32_t>(p, 12);
  section.sizeOfRawData = Field<std::uint32_t>(p, 16);
  section.pointerToRawData = Field<std::uint32_t>(p, 20);
  return true;
}

// Where the section table starts, for an e_lfanew already known not to be negative.
std::uint64_t SectionTableOffset(const DosHeader& dos, ImageFormat format) {
  return static_cast<std::uint64_t>(dos.lfanew) + LayoutOf(format).ntHeadersSize;
}

struct ExportDirectory {
  std::uint32_t base;
  std::uint32_t numberOfFunctions;
  std::uint32_t numberOfNames;
  std::uint32_t addressOfFunctions;
  std::uint32_t addressOfNames;
  std::uint32_t addressOfNameOrdinals;
};

bool ReadExportDirectory(std::span<const std::uint8_t> bytes, std::uint32_t rva,
                         ExportDirectory& directory) {
  if (!InRange(rva, kExportDirectorySize, bytes.size())) return false;
  const std::uint8_t* p = bytes.data() + rva;
  directory.base = Field<std::uint32_t>(p, 16);
  directory.numberOfFunctions = Field<std::uint32_t>(p, 20);
  directory.numberOfNames = Field<std::uint32_t>(p, 24);
  directory.addressOfFunctions = Field<std::uint32_t>(p, 28);
  directory.addressOfNames = Field<std::uint32_t>(p, 32);
  directory.addressOfNameOrdinals = Field<std::uint32_t>(p, 36);
  return true;
}

// The address of entry index of the function table, or 0 for an index outside the table, an
// unused entry, an address outside the block, or a forwarder (a text inside the export
// directory naming another module's export, not code).
std::uintptr_t FunctionAddress(Block block, const DataDirectory& exports,
                               const ExportDirectory& directory, std::uint32_t index) {
  if (index >= directory.numberOfFunctions) return 0;
  std::uint32_t rva = 0;
  if (!ReadAt<std::uint32_t>(BlockBytes(block),
                             directory.addressOfFunctions + std::uint64_t{4} * index, rva)) {
    return 0;
  }
  if (rva == 0 || rva >= block.size) return 0;
  if (rva >= exports.virtualAddress && rva - std::uint64_t{exports.virtualAddress} < exports.size) {
    return 0;
  }
  return block.address + rva;
}

}  // namespace

std::size_t NtHeadersSize(ImageFormat format) {
  return LayoutOf(format).ntHeadersSize;
}

InMemoryModuleLoader::InMemoryModuleLoader(LoaderPlatform& platform, ImageFormat format)
    : platform_(&platform), format_(format) {}

InMemoryModuleLoader::~InMemoryModuleLoader() = default;

bool InMemoryModuleLoader::Load(std::span<const std::uint8_t> image) {
  if (moduleBase_ != 0) return false;
  if (!CheckHeaders(image)) return false;
  const std::uint64_t size = ComputeImageSize();
  if (size == 0) return false;

  std::uintptr_t address = 0;
  if (nt_.imageBase != 0) address = platform_->Reserve(nt_.imageBase, size);
  if (address == 0) address = platform_->Reserve(0, size);
  if (address == 0) return false;
  const Block block{address, static_cast<std::size_t>(size)};

  if (!MapImage(block, image)) {
    ReleaseBlock(address);
    return false;
  }
  // From here on the headers read back from the block decide.
  if (nt_.directories[kRelocationDirectory].size > 0) {
    if (!ApplyRelocations(block)) {
      ReleaseBlock(address);
      return false;
    }
  } else if (address != nt_.imageBase) {
    // Nothing says where the image's absolute addresses are: its code would run unrelocated.
    ReleaseBlock(address);
    return false;
  }
  // A DLL without an entry point has nothing to notify; one outside the block is not code.
  const bool notify = (nt_.characteristics & kFileDll) != 0 && nt_.addressOfEntryPoint != 0;
  if (notify && nt_.addressOfEntryPoint >= block.size) {
    ReleaseBlock(address);
    return false;
  }
  if (!ResolveImports(block) || !AddFunctionTable(block)) {
    ReleaseBlock(address);
    return false;
  }
  if (notify) {
    const std::uintptr_t entry = address + nt_.addressOfEntryPoint;
    if (platform_->CallEntryPoint(entry, address, kDllProcessAttach) == 0) {
      platform_->CallEntryPoint(entry, address, kDllProcessDetach);
      ReleaseBlock(address);
      return false;
    }
    detachEntry_ = entry;
  } else {
    detachEntry_ = 0;
  }
  moduleBase_ = address;
  moduleSize_ = block.size;
  return true;
}

void InMemoryModuleLoader::Unload() {
  if (moduleBase_ == 0) return;
  if (detachEntry_ != 0) platform_->CallEntryPoint(detachEntry_, moduleBase_, kDllProcessDetach);
  ReleaseBlock(moduleBase_);
  moduleBase_ = 0;
  moduleSize_ = 0;
  detachEntry_ = 0;
}

std::uintptr_t InMemoryModuleLoader::GetExport(const char* name) const {
  if (moduleBase_ == 0) return 0;
  return FindExport({moduleBase_, moduleSize_}, name);
}

std::uintptr_t InMemoryModuleLoader::GetEntryAddress() const {
  if (moduleBase_ == 0) return 0;
  return moduleBase_ + nt_.addressOfEntryPoint;
}

std::uintptr_t InMemoryModuleLoader::GetModuleBase() const {
  return moduleBase_;
}

bool InMemoryModuleLoader::CheckHeaders(std::span<const std::uint8_t> image) {
  const Layout layout = LayoutOf(format_);
  if (!DecodeDos(image, dos_)) return false;
  if (dos_.magic != kDosMagic) return false;
  if (dos_.lfanew < 0) return false;
  if (!DecodeNt(image, dos_.lfanew, format_, nt_)) return false;
  if (nt_.signature != kNtSignature) return false;
  if ((nt_.characteristics & kFileExecutableImage) == 0) return false;
  if (nt_.sizeOfOptionalHeader != layout.optionalHeaderSize) return false;
  // An image of the other architecture could not run here.
  if (nt_.machine != layout.machine) return false;

  const std::uint64_t table = SectionTableOffset(dos_, format_);
  sections_.assign(nt_.numberOfSections, SectionHeader{});
  if (!InRange(table, kSectionHeaderSize * nt_.numberOfSections, image.size())) return false;
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    DecodeSection(image, table + kSectionHeaderSize * i, sections_[i]);
    const SectionHeader& section = sections_[i];
    // Raw data may end exactly at the end of the buffer.
    if (!InRange(section.pointerToRawData, section.sizeOfRawData, image.size())) return false;
  }
  // The headers are copied into the block as they stand in the buffer.
  return nt_.sizeOfHeaders <= image.size();
}

std::uint64_t InMemoryModuleLoader::ComputeImageSize() const {
  const std::uint32_t alignment = nt_.sectionAlignment;
  if (alignment == 0) return 0;
  std::uint64_t size = AlignUp(nt_.sizeOfHeaders, alignment);
  for (const SectionHeader& section : sections_) {
    const std::uint64_t end = std::uint64_t{section.virtualAddress} +
                              std::max(section.virtualSize, section.sizeOfRawData);
    size = std::max(size, AlignUp(end, alignment));
  }
  if (size > kMaxImageSize) return 0;
  return size;
}

std::uint64_t InMemoryModuleLoader::AlignUp(std::uint64_t value, std::uint64_t alignment) {
  if (alignment == 0) return value;
  const std::uint64_t remainder = value % alignment;
  return remainder == 0 ? value : value + (alignment - remainder);
}

bool InMemoryModuleLoader::MapImage(Block block, std::span<const std::uint8_t> image) {
  std::span<std::uint8_t> bytes = BlockBytes(block);
  if (block.address == 0) return false;
  if (nt_.sizeOfHeaders > image.size() || nt_.sizeOfHeaders > bytes.size()) return false;
  std::memcpy(bytes.data(), image.data(), nt_.sizeOfHeaders);
  for (const SectionHeader& section : sections_) {
    // A section at address 0 ends the copying; the rest stay zero-filled.
    if (section.virtualAddress == 0) break;
    if (section.sizeOfRawData == 0) continue;
    if (!InRange(section.pointerToRawData, section.sizeOfRawData, image.size()) ||
        !InRange(section.virtualAddress, section.sizeOfRawData, bytes.size())) {
      return false;
    }
    std::memcpy(bytes.data() + section.virtualAddress, image.data() + section.pointerToRawData,
                section.sizeOfRawData);
  }
  return ReadHeaders(bytes);
}

bool InMemoryModuleLoader::ReadHeaders(std::span<const std::uint8_t> bytes) {
  if (!DecodeDos(bytes, dos_) || dos_.lfanew < 0) return false;
  if (!DecodeNt(bytes, dos_.lfanew, format_, nt_)) return false;
  const std::uint64_t table = SectionTableOffset(dos_, format_);
  sections_.assign(nt_.numberOfSections, SectionHeader{});
  if (!InRange(table, kSectionHeaderSize * nt_.numberOfSections, bytes.size())) return false;
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    DecodeSection(bytes, table + kSectionHeaderSize * i, sections_[i]);
  }
  return true;
}

bool InMemoryModuleLoader::DirectoryInBlock(int index, std::size_t blockSize) const {
  const DataDirectory& directory = nt_.directories[index];
  return InRange(directory.virtualAddress, directory.size, blockSize);
}

bool InMemoryModuleLoader::ApplyRelocations(Block block) {
  std::span<std::uint8_t> bytes = BlockBytes(block);
  if (!DirectoryInBlock(kRelocationDirectory, bytes.size())) return false;
  const DataDirectory& directory = nt_.directories[kRelocationDirectory];
  const std::uint64_t delta = static_cast<std::uint64_t>(block.address) - nt_.imageBase;
  const std::uint64_t end = std::uint64_t{directory.virtualAddress} + directory.size;
  std::uint64_t head = directory.virtualAddress;
  // The walk ends at a head whose page address is 0, at the end of the directory, or at a
  // head too short to hold itself.
  while (head <= end && end - head >= kRelocationHeadSize) {
    const std::uint32_t page = Field<std::uint32_t>(bytes.data(), head);
    const std::uint32_t blockSize = Field<std::uint32_t>(bytes.data(), head + 4);
    if (page == 0 || blockSize < kRelocationHeadSize) break;
    const std::uint64_t entriesEnd = std::min(head + blockSize, end);
    for (std::uint64_t at = head + kRelocationHeadSize; at + 2 <= entriesEnd; at += 2) {
      const std::uint16_t entry = Field<std::uint16_t>(bytes.data(), at);
      const unsigned type = entry >> 12;
      const std::uint64_t target = std::uint64_t{page} + (entry & 0x0FFF);
      if (type == kRelocationHighLow) {
        std::uint32_t value = 0;
        if (!ReadAt(std::span<const std::uint8_t>(bytes), target, value)) return false;
        value += static_cast<std::uint32_t>(delta);
        std::memcpy(bytes.data() + target, &value, sizeof value);
      } else if (type == kRelocationDir64 && format_ == ImageFormat::kPe32Plus) {
        std::uint64_t value = 0;
        if (!ReadAt(std::span<const std::uint8_t>(bytes), target, value)) return false;
        value += delta;
        std::memcpy(bytes.data() + target, &value, sizeof value);
      }
      // Type 0 pads a block to a multiple of four bytes; other types do not occur in images
      // of this format and change nothing.
    }
    head += blockSize;
  }
  return true;
}

bool InMemoryModuleLoader::ResolveImports(Block block) {
  std::span<std::uint8_t> bytes = BlockBytes(block);
  const DataDirectory& directory = nt_.directories[kImportDirectory];
  if (directory.virtualAddress == 0) return true;
  if (!DirectoryInBlock(kImportDirectory, bytes.size())) return false;
  const Layout layout = LayoutOf(format_);
  const std::uint64_t ordinalFlag =
      format_ == ImageFormat::kPe32 ? std::uint64_t{1} << 31 : std::uint64_t{1} << 63;
  for (std::uint64_t descriptor = directory.virtualAddress;; descriptor += kImportDescriptorSize) {
    if (!InRange(descriptor, kImportDescriptorSize, bytes.size())) return false;
    const std::uint32_t nameRva = Field<std::uint32_t>(bytes.data(), descriptor + 12);
    const std::uint32_t firstThunk = Field<std::uint32_t>(bytes.data(), descriptor + 16);
    if (firstThunk == 0) return true;
    const char* moduleName = TextAt(bytes, nameRva);
    if (moduleName == nullptr) return false;
    std::uintptr_t module = platform_->FindModule(moduleName);
    if (module == 0) module = platform_->LoadModule(moduleName);
    if (module == 0) return false;

    for (std::uint64_t at = firstThunk;; at += layout.thunkSize) {
      if (!InRange(at, layout.thunkSize, bytes.size())) return false;
      std::uint64_t thunk = 0;
      std::memcpy(&thunk, bytes.data() + at, layout.thunkSize);
      if (thunk == 0) break;
      std::uintptr_t address = 0;
      if ((thunk & ordinalFlag) != 0) {
        address = platform_->FindSymbol(module, static_cast<std::uint16_t>(thunk & 0xFFFF));
      } else {
        // The name follows a 16-bit hint.
        const char* name = TextAt(bytes, thunk + 2);
        if (name == nullptr) return false;
        address = platform_->FindSymbol(module, name);
      }
      if (address == 0) return false;
      const std::uint64_t bound = address;
      std::memcpy(bytes.data() + at, &bound, layout.thunkSize);
    }
  }
}

std::uintptr_t InMemoryModuleLoader::FindExport(Block block, const char* name) const {
  if (name == nullptr || *name == '\0') return 0;
  const DataDirectory& exports = nt_.directories[kExportDirectory];
  if (exports.size == 0 || !DirectoryInBlock(kExportDirectory, block.size)) return 0;
  std::span<const std::uint8_t> bytes = BlockBytes(block);
  ExportDirectory directory;
  if (!ReadExportDirectory(bytes, exports.virtualAddress, directory)) return 0;
  for (std::uint32_t i = 0; i < directory.numberOfNames; ++i) {
    std::uint32_t nameRva = 0;
    if (!ReadAt(bytes, directory.addressOfNames + std::uint64_t{4} * i, nameRva)) return 0;
    const char* exportName = TextAt(bytes, nameRva);
    if (exportName == nullptr) return 0;
    if (std::strcmp(exportName, name) != 0) continue;
    std::uint16_t index = 0;
    if (!ReadAt(bytes, directory.addressOfNameOrdinals + std::uint64_t{2} * i, index)) return 0;
    return FunctionAddress(block, exports, directory, index);
  }
  return 0;
}

std::uintptr_t InMemoryModuleLoader::GetExportByOrdinal(std::uint32_t ordinal) const {
  if (moduleBase_ == 0) return 0;
  const Block block{moduleBase_, moduleSize_};
  const DataDirectory& exports = nt_.directories[kExportDirectory];
  if (exports.size == 0 || !DirectoryInBlock(kExportDirectory, block.size)) return 0;
  ExportDirectory directory;
  if (!ReadExportDirectory(BlockBytes(block), exports.virtualAddress, directory)) return 0;
  if (ordinal < directory.base) return 0;
  return FunctionAddress(block, exports, directory, ordinal - directory.base);
}

bool InMemoryModuleLoader::AddFunctionTable(Block block) {
  // 32-bit code unwinds through frames on the stack; only 64-bit images carry a table.
  functionTable_ = 0;
  if (format_ != ImageFormat::kPe32Plus) return true;
  const DataDirectory& directory = nt_.directories[kExceptionDirectory];
  constexpr std::uint32_t kFunctionEntrySize = 12;
  if (directory.virtualAddress == 0 || directory.size < kFunctionEntrySize) return true;
  if (!DirectoryInBlock(kExceptionDirectory, block.size)) return false;
  if (!platform_->AddFunctionTable(block.address, directory.virtualAddress,
                                   directory.size / kFunctionEntrySize)) {
    return false;
  }
  functionTable_ = directory.virtualAddress;
  return true;
}

// Every block goes through here: a function table registered for it goes first.
void InMemoryModuleLoader::ReleaseBlock(std::uintptr_t block) {
  if (functionTable_ != 0) platform_->RemoveFunctionTable(block, functionTable_);
  functionTable_ = 0;
  platform_->Release(block);
}

}  // namespace skin
