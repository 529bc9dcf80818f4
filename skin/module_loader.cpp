// The portable steps of the in-memory module loader. Every read of the image buffer and every
// read or write inside the block goes through pe::ReadAt or a bounds check right before it, with
// offsets computed in 64 bits so that no 32-bit field of a damaged image can wrap an offset back
// into range.
#include "skin/module_loader.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "skin/pe_format.h"

namespace skin {
namespace {

constexpr std::uint32_t kDllProcessDetach = 0;
constexpr std::uint32_t kDllProcessAttach = 1;

struct Layout {
  std::uint16_t machine;
  std::uint16_t optionalHeaderSize;
  std::size_t ntHeadersSize;
  std::size_t thunkSize;
};

Layout LayoutOf(ImageFormat format) {
  if (format == ImageFormat::kPe32) return {0x014C, 224, sizeof(pe::NtHeaders32), 4};
  return {0x8664, 240, sizeof(pe::NtHeaders64), 8};
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

// Writes value over the bytes at offset, which the caller has checked.
template <typename T>
void WriteAt(std::span<std::uint8_t> bytes, std::uint64_t offset, T value) {
  std::memcpy(bytes.data() + offset, &value, sizeof value);
}

// A pointer-sized value of the format (4 or 8 bytes), widened.
bool ReadPointer(std::span<const std::uint8_t> bytes, std::uint64_t offset, ImageFormat format,
                 std::uint64_t& value) {
  if (format == ImageFormat::kPe32) {
    std::uint32_t narrow = 0;
    if (!pe::ReadAt(bytes, offset, narrow)) return false;
    value = narrow;
    return true;
  }
  return pe::ReadAt(bytes, offset, value);
}

template <typename Nt>
void DecodeNt(const Nt& raw, NtHeaders& nt) {
  nt.signature = raw.signature;
  nt.machine = raw.file.machine;
  nt.numberOfSections = raw.file.numberOfSections;
  nt.sizeOfOptionalHeader = raw.file.sizeOfOptionalHeader;
  nt.characteristics = raw.file.characteristics;
  nt.addressOfEntryPoint = raw.optional.start.addressOfEntryPoint;
  nt.imageBase = raw.optional.imageBase;
  nt.sectionAlignment = raw.optional.rest.sectionAlignment;
  nt.sizeOfImage = raw.optional.rest.sizeOfImage;
  nt.sizeOfHeaders = raw.optional.rest.sizeOfHeaders;
  for (int i = 0; i < pe::kDirectoryCount; ++i) {
    nt.directories[i] = {raw.optional.rest.directories[i].virtualAddress,
                         raw.optional.rest.directories[i].size};
  }
}

// The NT headers at offset; false when they do not fit.
bool ReadNt(std::span<const std::uint8_t> bytes, std::uint64_t offset, ImageFormat format,
            NtHeaders& nt) {
  if (format == ImageFormat::kPe32) {
    pe::NtHeaders32 raw;
    if (!pe::ReadAt(bytes, offset, raw)) return false;
    DecodeNt(raw, nt);
  } else {
    pe::NtHeaders64 raw;
    if (!pe::ReadAt(bytes, offset, raw)) return false;
    DecodeNt(raw, nt);
  }
  return true;
}

// Where an export's code is, or 0 for an index outside the table, an unused entry, an address
// outside the block, or a forwarder (a text inside the export directory naming another module's
// export, not code).
std::uintptr_t FunctionAddress(Block block, const DataDirectory& exports,
                               const pe::ExportDirectory& directory, std::uint32_t index) {
  if (index >= directory.numberOfFunctions) return 0;
  std::uint32_t rva = 0;
  if (!pe::ReadAt(std::span<const std::uint8_t>(BlockBytes(block)),
                  directory.addressOfFunctions + std::uint64_t{4} * index, rva)) {
    return 0;
  }
  if (rva == 0 || rva >= block.size) return 0;
  if (rva >= exports.virtualAddress && rva - std::uint64_t{exports.virtualAddress} < exports.size) {
    return 0;
  }
  return block.address + rva;
}

// Per-page access while protections are planned.
enum PageFlags : std::uint8_t {
  kPageRead = 1,
  kPageWrite = 2,
  kPageExecute = 4,
  kPageKept = 8,      // something that stays mapped lies in the page
  kPageTouched = 16,  // the headers or a section lie in the page
};

PageProtection ProtectionOf(std::uint8_t flags) {
  if ((flags & kPageTouched) == 0) return PageProtection::kNoAccess;
  if ((flags & kPageKept) == 0) return PageProtection::kDecommitted;
  if (flags & kPageExecute) return PageProtection::kExecuteRead;
  if (flags & kPageWrite) return PageProtection::kReadWrite;
  if (flags & kPageRead) return PageProtection::kReadOnly;
  return PageProtection::kNoAccess;
}

}  // namespace

const char* DescribeLoadError(LoadError error) {
  switch (error) {
    case LoadError::kNone:
      return "no failure";
    case LoadError::kAlreadyLoaded:
      return "a module is already loaded";
    case LoadError::kBadHeaders:
      return "the DOS or NT headers are damaged";
    case LoadError::kWrongFormat:
      return "the image is built for another architecture";
    case LoadError::kBadSections:
      return "the section table is damaged or sections overlap";
    case LoadError::kBadImageSize:
      return "the image size is damaged or too large";
    case LoadError::kNoMemory:
      return "no memory could be reserved for the image";
    case LoadError::kNotRelocatable:
      return "the image has no relocations and its base is taken";
    case LoadError::kBadRelocation:
      return "a relocation cannot be applied";
    case LoadError::kBadImportTable:
      return "the import table is damaged";
    case LoadError::kImportMissing:
      return "an imported module or function is missing";
    case LoadError::kUnsupportedTls:
      return "the image needs static thread-local storage";
    case LoadError::kBadTls:
      return "the TLS directory or a TLS callback is damaged";
    case LoadError::kBadEntryPoint:
      return "the entry point is not code of the image";
    case LoadError::kWritableCode:
      return "a page would be writable and executable";
    case LoadError::kProtectionFailed:
      return "the system refused a page protection";
    case LoadError::kFunctionTableRefused:
      return "the system refused the unwind table";
    case LoadError::kEntryPointRefused:
      return "the entry point refused to attach";
  }
  return "unknown failure";
}

std::string RefusedImageMessage(const char* name, LoadError error) {
  return std::string("composer: ") + name + " was not loaded: " + DescribeLoadError(error) +
         "; the windows keep the system's look.\n";
}

std::size_t NtHeadersSize(ImageFormat format) {
  return LayoutOf(format).ntHeadersSize;
}

// Releases the block of a Load that fails after reserving it, whichever step fails.
class InMemoryModuleLoader::BlockGuard {
 public:
  BlockGuard(InMemoryModuleLoader& loader, std::uintptr_t block) : loader_(loader), block_(block) {}
  ~BlockGuard() {
    if (block_ != 0) loader_.ReleaseBlock(block_);
  }
  BlockGuard(const BlockGuard&) = delete;
  BlockGuard& operator=(const BlockGuard&) = delete;
  void Keep() { block_ = 0; }

 private:
  InMemoryModuleLoader& loader_;
  std::uintptr_t block_;
};

InMemoryModuleLoader::InMemoryModuleLoader(LoaderPlatform& platform, ImageFormat format)
    : platform_(&platform), format_(format) {}

InMemoryModuleLoader::~InMemoryModuleLoader() = default;

InMemoryModuleLoader::InMemoryModuleLoader(InMemoryModuleLoader&& other) noexcept
    : platform_(other.platform_),
      format_(other.format_),
      moduleBase_(std::exchange(other.moduleBase_, 0)),
      moduleSize_(std::exchange(other.moduleSize_, 0)),
      detachEntry_(std::exchange(other.detachEntry_, 0)),
      functionTable_(std::exchange(other.functionTable_, 0)),
      tlsCallbacks_(std::exchange(other.tlsCallbacks_, {})),
      error_(other.error_),
      dos_(other.dos_),
      nt_(other.nt_),
      sections_(std::move(other.sections_)) {}

InMemoryModuleLoader& InMemoryModuleLoader::operator=(InMemoryModuleLoader&& other) noexcept {
  if (this != &other) {
    platform_ = other.platform_;
    format_ = other.format_;
    moduleBase_ = std::exchange(other.moduleBase_, 0);
    moduleSize_ = std::exchange(other.moduleSize_, 0);
    detachEntry_ = std::exchange(other.detachEntry_, 0);
    functionTable_ = std::exchange(other.functionTable_, 0);
    tlsCallbacks_ = std::exchange(other.tlsCallbacks_, {});
    error_ = other.error_;
    dos_ = other.dos_;
    nt_ = other.nt_;
    sections_ = std::move(other.sections_);
  }
  return *this;
}

bool InMemoryModuleLoader::Fail(LoadError error) {
  error_ = error;
  return false;
}

bool InMemoryModuleLoader::Load(std::span<const std::uint8_t> image) {
  if (moduleBase_ != 0) return Fail(LoadError::kAlreadyLoaded);
  error_ = LoadError::kNone;
  tlsCallbacks_.clear();
  if (!CheckHeaders(image)) return false;
  const std::uint64_t size = ComputeImageSize();
  if (size == 0) return Fail(LoadError::kBadImageSize);

  std::uintptr_t address = 0;
  if (nt_.imageBase != 0) address = platform_->Reserve(nt_.imageBase, size);
  if (address == 0) address = platform_->Reserve(0, size);
  if (address == 0) return Fail(LoadError::kNoMemory);
  BlockGuard guard(*this, address);
  const Block block{address, static_cast<std::size_t>(size)};

  // From here on the headers read back from the block (and checked again) decide.
  if (!MapImage(block, image)) return false;
  if (address != nt_.imageBase) {
    // Nothing says where the image's absolute addresses are: its code would run unrelocated.
    if (nt_.directories[kRelocationDirectory].size == 0) return Fail(LoadError::kNotRelocatable);
    if (!ApplyRelocations(block)) return false;
  }
  // A DLL without an entry point has nothing to notify; one that is not code cannot be called.
  const bool notify = (nt_.characteristics & kFileDll) != 0 && nt_.addressOfEntryPoint != 0;
  if (notify && !IsCode(nt_.addressOfEntryPoint)) return Fail(LoadError::kBadEntryPoint);
  if (!ReadTls(block) || !ResolveImports(block) || !AddFunctionTable(block) ||
      !ProtectSections(block)) {
    return false;
  }

  CallTlsCallbacks(address, kDllProcessAttach);
  if (notify) {
    const std::uintptr_t entry = address + nt_.addressOfEntryPoint;
    if (platform_->CallEntryPoint(entry, address, kDllProcessAttach) == 0) {
      platform_->CallEntryPoint(entry, address, kDllProcessDetach);
      CallTlsCallbacks(address, kDllProcessDetach);
      return Fail(LoadError::kEntryPointRefused);
    }
    detachEntry_ = entry;
  } else {
    detachEntry_ = 0;
  }
  guard.Keep();
  moduleBase_ = address;
  moduleSize_ = block.size;
  return true;
}

void InMemoryModuleLoader::Unload() {
  if (moduleBase_ == 0) return;
  if (detachEntry_ != 0) platform_->CallEntryPoint(detachEntry_, moduleBase_, kDllProcessDetach);
  CallTlsCallbacks(moduleBase_, kDllProcessDetach);
  ReleaseBlock(moduleBase_);
  moduleBase_ = 0;
  moduleSize_ = 0;
  detachEntry_ = 0;
  tlsCallbacks_.clear();
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

// The checks that need only the headers: made on the image buffer and again on the block.
bool InMemoryModuleLoader::ReadHeaders(std::span<const std::uint8_t> bytes, DosHeader& dos,
                                       NtHeaders& nt, std::vector<SectionHeader>& sections) {
  const Layout layout = LayoutOf(format_);
  pe::DosHeader rawDos;
  if (!pe::ReadAt(bytes, 0, rawDos)) return Fail(LoadError::kBadHeaders);
  dos.magic = rawDos.magic;
  dos.lfanew = rawDos.lfanew;
  if (dos.magic != pe::kDosMagic || dos.lfanew < 0) return Fail(LoadError::kBadHeaders);
  const auto ntOffset = static_cast<std::uint64_t>(dos.lfanew);
  if (!ReadNt(bytes, ntOffset, format_, nt)) return Fail(LoadError::kBadHeaders);
  if (nt.signature != pe::kNtSignature) return Fail(LoadError::kBadHeaders);
  if ((nt.characteristics & kFileExecutableImage) == 0) return Fail(LoadError::kBadHeaders);
  // An image of the other architecture could not run here.
  if (nt.machine != layout.machine) return Fail(LoadError::kWrongFormat);
  if (nt.sizeOfOptionalHeader != layout.optionalHeaderSize) return Fail(LoadError::kBadHeaders);

  const std::uint64_t table = ntOffset + layout.ntHeadersSize;
  const std::uint64_t tableSize = sizeof(pe::SectionHeader) * std::uint64_t{nt.numberOfSections};
  sections.assign(nt.numberOfSections, SectionHeader{});
  for (std::size_t i = 0; i < sections.size(); ++i) {
    pe::SectionHeader raw;
    if (!pe::ReadAt(bytes, table + sizeof raw * i, raw)) return Fail(LoadError::kBadSections);
    sections[i] = {raw.virtualSize, raw.virtualAddress, raw.sizeOfRawData, raw.pointerToRawData,
                   raw.characteristics};
  }
  // The headers copied into the block must hold the section table, or the copy read back
  // would not be the one checked here.
  if (nt.sizeOfHeaders < table + tableSize) return Fail(LoadError::kBadHeaders);

  // Sections lie above the headers and apart from each other, so that no copy overwrites the
  // headers or another section. Sections of no extent occupy nothing.
  std::vector<const SectionHeader*> placed;
  for (const SectionHeader& section : sections) {
    if (section.Extent() == 0) continue;
    if (section.virtualAddress < nt.sizeOfHeaders) return Fail(LoadError::kBadSections);
    placed.push_back(&section);
  }
  std::sort(placed.begin(), placed.end(), [](const SectionHeader* a, const SectionHeader* b) {
    return a->virtualAddress < b->virtualAddress;
  });
  for (std::size_t i = 1; i < placed.size(); ++i) {
    if (placed[i - 1]->virtualAddress + placed[i - 1]->Extent() > placed[i]->virtualAddress) {
      return Fail(LoadError::kBadSections);
    }
  }
  return true;
}

bool InMemoryModuleLoader::CheckHeaders(std::span<const std::uint8_t> image) {
  if (!ReadHeaders(image, dos_, nt_, sections_)) return false;
  for (const SectionHeader& section : sections_) {
    // Raw data may end exactly at the end of the buffer.
    if (!pe::InRange(section.pointerToRawData, section.sizeOfRawData, image.size())) {
      return Fail(LoadError::kBadSections);
    }
  }
  // The headers are copied into the block as they stand in the buffer.
  if (nt_.sizeOfHeaders > image.size()) return Fail(LoadError::kBadHeaders);
  return true;
}

std::uint64_t InMemoryModuleLoader::ComputeImageSize() const {
  const std::uint32_t alignment = nt_.sectionAlignment;
  if (alignment == 0) return 0;
  std::uint64_t size = AlignUp(nt_.sizeOfHeaders, alignment);
  for (const SectionHeader& section : sections_) {
    size = std::max(size, AlignUp(section.virtualAddress + section.Extent(), alignment));
  }
  // SizeOfImage is what the image expects to have: it must hold every section.
  const std::uint64_t declared = AlignUp(nt_.sizeOfImage, alignment);
  if (declared < size || declared > kMaxImageSize) return 0;
  return declared;
}

std::uint64_t InMemoryModuleLoader::AlignUp(std::uint64_t value, std::uint64_t alignment) {
  if (alignment == 0) return value;
  const std::uint64_t remainder = value % alignment;
  return remainder == 0 ? value : value + (alignment - remainder);
}

bool InMemoryModuleLoader::MapImage(Block block, std::span<const std::uint8_t> image) {
  std::span<std::uint8_t> bytes = BlockBytes(block);
  if (block.address == 0) return Fail(LoadError::kNoMemory);
  if (nt_.sizeOfHeaders > image.size()) return Fail(LoadError::kBadHeaders);
  if (nt_.sizeOfHeaders > bytes.size()) return Fail(LoadError::kBadImageSize);
  std::memcpy(bytes.data(), image.data(), nt_.sizeOfHeaders);
  for (const SectionHeader& section : sections_) {
    if (section.sizeOfRawData == 0) continue;
    if (!pe::InRange(section.pointerToRawData, section.sizeOfRawData, image.size())) {
      return Fail(LoadError::kBadSections);
    }
    if (!pe::InRange(section.virtualAddress, section.sizeOfRawData, bytes.size())) {
      return Fail(LoadError::kBadImageSize);
    }
    std::memcpy(bytes.data() + section.virtualAddress, image.data() + section.pointerToRawData,
                section.sizeOfRawData);
  }
  // The copies in the block are what the later steps read: they pass the same checks, and since
  // no section lies over the headers they are the headers checked in the buffer.
  DosHeader dos;
  NtHeaders nt;
  std::vector<SectionHeader> sections;
  if (!ReadHeaders(bytes, dos, nt, sections)) return false;
  if (dos != dos_ || nt != nt_ || sections != sections_) return Fail(LoadError::kBadHeaders);
  return true;
}

bool InMemoryModuleLoader::DirectoryInBlock(int index, std::size_t blockSize) const {
  const DataDirectory& directory = nt_.directories[index];
  return pe::InRange(directory.virtualAddress, directory.size, blockSize);
}

bool InMemoryModuleLoader::IsCode(std::uint64_t rva) const {
  return std::any_of(sections_.begin(), sections_.end(), [&](const SectionHeader& section) {
    return (section.characteristics & pe::kSectionExecute) != 0 && rva >= section.virtualAddress &&
           rva - section.virtualAddress < section.Extent();
  });
}

bool InMemoryModuleLoader::ApplyRelocations(Block block) {
  // At ImageBase every absolute address in the image is already right.
  if (block.address == nt_.imageBase) return true;
  std::span<std::uint8_t> bytes = BlockBytes(block);
  const std::span<const std::uint8_t> view(bytes);
  const DataDirectory& directory = nt_.directories[kRelocationDirectory];
  if (directory.size == 0) return Fail(LoadError::kNotRelocatable);
  if (!DirectoryInBlock(kRelocationDirectory, bytes.size())) return Fail(LoadError::kBadRelocation);
  const bool pe32 = format_ == ImageFormat::kPe32;
  const std::uint64_t delta = static_cast<std::uint64_t>(block.address) - nt_.imageBase;
  const auto delta32 = static_cast<std::uint32_t>(delta);
  const std::uint64_t end = std::uint64_t{directory.virtualAddress} + directory.size;

  for (std::uint64_t head = directory.virtualAddress; head < end;) {
    pe::BaseRelocationHead relocation{};
    const bool whole = end - head >= sizeof relocation && pe::ReadAt(view, head, relocation);
    if (!whole || (relocation.virtualAddress == 0 && relocation.sizeOfBlock == 0)) {
      // Zero bytes that fill the rest of the directory are padding: nothing in them relocates.
      // Anything else there is a block the walk cannot read.
      if (std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(head),
                      bytes.begin() + static_cast<std::ptrdiff_t>(end),
                      [](std::uint8_t b) { return b == 0; })) {
        break;
      }
      return Fail(LoadError::kBadRelocation);
    }
    if (relocation.sizeOfBlock < sizeof relocation || relocation.sizeOfBlock % 2 != 0 ||
        relocation.sizeOfBlock > end - head) {
      return Fail(LoadError::kBadRelocation);
    }
    const std::uint64_t count = (relocation.sizeOfBlock - sizeof relocation) / 2;
    const std::uint64_t entries = head + sizeof relocation;
    for (std::uint64_t i = 0; i < count; ++i) {
      std::uint16_t entry = 0;
      if (!pe::ReadAt(view, entries + 2 * i, entry)) return Fail(LoadError::kBadRelocation);
      const unsigned type = entry >> 12;
      const std::uint64_t target = std::uint64_t{relocation.virtualAddress} + (entry & 0x0FFF);
      if (type == pe::kRelocationAbsolute) continue;  // pads a block to a multiple of 4 bytes
      if (pe32 && (type == pe::kRelocationHigh || type == pe::kRelocationLow)) {
        std::uint16_t value = 0;
        if (!pe::ReadAt(view, target, value)) return Fail(LoadError::kBadRelocation);
        value += static_cast<std::uint16_t>(type == pe::kRelocationHigh ? delta32 >> 16 : delta32);
        WriteAt(bytes, target, value);
      } else if (pe32 && type == pe::kRelocationHighLow) {
        std::uint32_t value = 0;
        if (!pe::ReadAt(view, target, value)) return Fail(LoadError::kBadRelocation);
        WriteAt(bytes, target, value + delta32);
      } else if (pe32 && type == pe::kRelocationHighAdjust) {
        // The high half of a 32-bit value; the next entry holds its low half. The low half's
        // carry after adding the distance (rounded) goes into the high half.
        std::uint16_t high = 0;
        std::uint16_t low = 0;
        if (i + 1 >= count || !pe::ReadAt(view, target, high) ||
            !pe::ReadAt(view, entries + 2 * ++i, low)) {
          return Fail(LoadError::kBadRelocation);
        }
        const std::uint32_t value = (std::uint32_t{high} << 16) +
                                    static_cast<std::uint32_t>(static_cast<std::int16_t>(low)) +
                                    delta32 + 0x8000;
        WriteAt(bytes, target, static_cast<std::uint16_t>(value >> 16));
      } else if (!pe32 && type == pe::kRelocationDir64) {
        std::uint64_t value = 0;
        if (!pe::ReadAt(view, target, value)) return Fail(LoadError::kBadRelocation);
        WriteAt(bytes, target, value + delta);
      } else {
        // A type this format does not define: the value it names would stay unrelocated.
        return Fail(LoadError::kBadRelocation);
      }
    }
    head += relocation.sizeOfBlock;
  }
  return true;
}

bool InMemoryModuleLoader::ResolveImports(Block block) {
  std::span<std::uint8_t> bytes = BlockBytes(block);
  const std::span<const std::uint8_t> view(bytes);
  const DataDirectory& directory = nt_.directories[kImportDirectory];
  if (directory.virtualAddress == 0) return true;
  if (!DirectoryInBlock(kImportDirectory, bytes.size())) return Fail(LoadError::kBadImportTable);
  const std::size_t thunkSize = LayoutOf(format_).thunkSize;
  const std::uint64_t ordinalFlag =
      format_ == ImageFormat::kPe32 ? std::uint64_t{1} << 31 : std::uint64_t{1} << 63;
  for (std::uint64_t at = directory.virtualAddress;; at += sizeof(pe::ImportDescriptor)) {
    pe::ImportDescriptor descriptor;
    if (!pe::ReadAt(view, at, descriptor)) return Fail(LoadError::kBadImportTable);
    if (descriptor.firstThunk == 0) return true;
    const char* moduleName = TextAt(bytes, descriptor.name);
    if (moduleName == nullptr) return Fail(LoadError::kBadImportTable);
    std::uintptr_t module = platform_->FindModule(moduleName);
    if (module == 0) module = platform_->LoadModule(moduleName);
    if (module == 0) return Fail(LoadError::kImportMissing);

    // A bound import table keeps addresses of another time in FirstThunk; the names stay in
    // OriginalFirstThunk.
    const std::uint64_t lookup =
        descriptor.originalFirstThunk != 0 ? descriptor.originalFirstThunk : descriptor.firstThunk;
    for (std::uint64_t i = 0;; ++i) {
      std::uint64_t thunk = 0;
      const std::uint64_t slot = descriptor.firstThunk + thunkSize * i;
      if (!ReadPointer(view, lookup + thunkSize * i, format_, thunk) ||
          !pe::InRange(slot, thunkSize, bytes.size())) {
        return Fail(LoadError::kBadImportTable);
      }
      if (thunk == 0) break;
      std::uintptr_t address = 0;
      if ((thunk & ordinalFlag) != 0) {
        address = platform_->FindSymbol(module, static_cast<std::uint16_t>(thunk & 0xFFFF));
      } else {
        // The name follows a 16-bit hint.
        const char* name = TextAt(bytes, thunk + 2);
        if (name == nullptr) return Fail(LoadError::kBadImportTable);
        address = platform_->FindSymbol(module, name);
      }
      if (address == 0) return Fail(LoadError::kImportMissing);
      const std::uint64_t bound = address;
      std::memcpy(bytes.data() + slot, &bound, thunkSize);
    }
  }
}

bool InMemoryModuleLoader::ReadTls(Block block) {
  tlsCallbacks_.clear();
  const DataDirectory& directory = nt_.directories[kTlsDirectory];
  if (directory.virtualAddress == 0) return true;
  const std::span<const std::uint8_t> bytes(BlockBytes(block));
  const bool pe32 = format_ == ImageFormat::kPe32;
  // Addresses in the directory are virtual addresses of the relocated image (32 bits wrap in
  // PE32 images).
  const auto rvaOf = [&](std::uint64_t address) -> std::uint64_t {
    const std::uint64_t rva = address - block.address;
    return pe32 ? static_cast<std::uint32_t>(rva) : rva;
  };
  pe::TlsDirectory64 tls;
  if (pe32) {
    pe::TlsDirectory32 narrow;
    if (!pe::ReadAt(bytes, directory.virtualAddress, narrow)) return Fail(LoadError::kBadTls);
    tls = {narrow.startAddressOfRawData, narrow.endAddressOfRawData, narrow.addressOfIndex,
           narrow.addressOfCallBacks,    narrow.sizeOfZeroFill,      narrow.characteristics};
  } else if (!pe::ReadAt(bytes, directory.virtualAddress, tls)) {
    return Fail(LoadError::kBadTls);
  }
  if (tls.endAddressOfRawData < tls.startAddressOfRawData) return Fail(LoadError::kBadTls);
  // Thread-local data lives in a slot of the system's static TLS array that the system loader
  // fills for every thread; an image mapped from memory cannot get one, and its code would use
  // another module's data.
  if (tls.endAddressOfRawData != tls.startAddressOfRawData || tls.sizeOfZeroFill != 0) {
    return Fail(LoadError::kUnsupportedTls);
  }
  if (tls.addressOfCallBacks == 0) return true;
  const std::size_t pointerSize = LayoutOf(format_).thunkSize;
  for (std::uint64_t at = rvaOf(tls.addressOfCallBacks);; at += pointerSize) {
    std::uint64_t callback = 0;
    if (!ReadPointer(bytes, at, format_, callback)) return Fail(LoadError::kBadTls);
    if (callback == 0) break;
    const std::uint64_t rva = rvaOf(callback);
    if (!IsCode(rva)) return Fail(LoadError::kBadTls);
    tlsCallbacks_.push_back(block.address + static_cast<std::uintptr_t>(rva));
  }
  return true;
}

bool InMemoryModuleLoader::ProtectSections(Block block) {
  const std::uint64_t pages = AlignUp(block.size, kPageSize) / kPageSize;
  std::vector<std::uint8_t> flags(pages, 0);
  const auto mark = [&](std::uint64_t start, std::uint64_t extent, std::uint8_t access) {
    if (extent == 0) return;
    const std::uint64_t last = std::min(pages, AlignUp(start + extent, kPageSize) / kPageSize);
    for (std::uint64_t page = start / kPageSize; page < last; ++page) flags[page] |= access;
  };
  mark(0, nt_.sizeOfHeaders, kPageRead | kPageKept | kPageTouched);
  for (const SectionHeader& section : sections_) {
    const std::uint32_t c = section.characteristics;
    std::uint8_t access = kPageTouched;
    if (c & pe::kSectionExecute) access |= kPageExecute | kPageRead;
    if (c & pe::kSectionWrite) access |= kPageWrite | kPageRead;
    if (c & pe::kSectionRead) access |= kPageRead;
    if ((c & pe::kSectionDiscardable) == 0) access |= kPageKept;
    mark(section.virtualAddress, section.Extent(), access);
  }
  // The loader reads the exports after loading and the system's unwinder the function table,
  // whatever their sections ask for.
  for (int index : {kExportDirectory, kExceptionDirectory}) {
    const DataDirectory& directory = nt_.directories[index];
    if (directory.virtualAddress != 0) {
      mark(directory.virtualAddress, directory.size, kPageRead | kPageKept | kPageTouched);
    }
  }
  for (std::uint8_t page : flags) {
    if ((page & kPageWrite) && (page & kPageExecute)) return Fail(LoadError::kWritableCode);
  }
  for (std::uint64_t start = 0; start < pages;) {
    const PageProtection protection = ProtectionOf(flags[start]);
    std::uint64_t end = start + 1;
    while (end < pages && ProtectionOf(flags[end]) == protection) ++end;
    if (!platform_->Protect(block.address + start * kPageSize, (end - start) * kPageSize,
                            protection)) {
      return Fail(LoadError::kProtectionFailed);
    }
    start = end;
  }
  return true;
}

std::uintptr_t InMemoryModuleLoader::FindExport(Block block, const char* name) const {
  if (name == nullptr || *name == '\0') return 0;
  const DataDirectory& exports = nt_.directories[kExportDirectory];
  if (exports.size == 0 || !DirectoryInBlock(kExportDirectory, block.size)) return 0;
  const std::span<const std::uint8_t> bytes(BlockBytes(block));
  pe::ExportDirectory directory;
  if (!pe::ReadAt(bytes, exports.virtualAddress, directory)) return 0;
  for (std::uint32_t i = 0; i < directory.numberOfNames; ++i) {
    std::uint32_t nameRva = 0;
    if (!pe::ReadAt(bytes, directory.addressOfNames + std::uint64_t{4} * i, nameRva)) return 0;
    const char* exportName = TextAt(bytes, nameRva);
    if (exportName == nullptr) return 0;
    if (std::strcmp(exportName, name) != 0) continue;
    std::uint16_t index = 0;
    if (!pe::ReadAt(bytes, directory.addressOfNameOrdinals + std::uint64_t{2} * i, index)) {
      return 0;
    }
    return FunctionAddress(block, exports, directory, index);
  }
  return 0;
}

std::uintptr_t InMemoryModuleLoader::GetExportByOrdinal(std::uint32_t ordinal) const {
  if (moduleBase_ == 0) return 0;
  const Block block{moduleBase_, moduleSize_};
  const DataDirectory& exports = nt_.directories[kExportDirectory];
  if (exports.size == 0 || !DirectoryInBlock(kExportDirectory, block.size)) return 0;
  pe::ExportDirectory directory;
  if (!pe::ReadAt(std::span<const std::uint8_t>(BlockBytes(block)), exports.virtualAddress,
                  directory)) {
    return 0;
  }
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
  if (!DirectoryInBlock(kExceptionDirectory, block.size)) {
    return Fail(LoadError::kFunctionTableRefused);
  }
  if (!platform_->AddFunctionTable(block.address, directory.virtualAddress,
                                   directory.size / kFunctionEntrySize)) {
    return Fail(LoadError::kFunctionTableRefused);
  }
  functionTable_ = directory.virtualAddress;
  return true;
}

void InMemoryModuleLoader::CallTlsCallbacks(std::uintptr_t block, std::uint32_t reason) {
  for (std::uintptr_t callback : tlsCallbacks_) platform_->CallEntryPoint(callback, block, reason);
}

// Every block goes through here: a function table registered for it goes first.
void InMemoryModuleLoader::ReleaseBlock(std::uintptr_t block) {
  if (functionTable_ != 0) platform_->RemoveFunctionTable(block, functionTable_);
  functionTable_ = 0;
  platform_->Release(block);
}

}  // namespace skin
