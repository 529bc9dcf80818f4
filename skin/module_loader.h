// The in-memory module loader: maps a DLL file image held in memory (the skin engine travels
// inside the program and is never written to a file) the way the system loader maps a DLL file,
// then finds its exports by name. The byte-level steps (header checks, size, mapping,
// relocation, the import walk, the export walk) are portable and work on a byte buffer and a
// block address; everything that needs the operating system goes through LoaderPlatform. Each
// loader handles one image format: PE32 (32-bit builds) or PE32+ (64-bit builds). Names handed
// to the platform are the image's own ASCII bytes.
//
// A damaged image never makes the loader read or write outside the image buffer or the block:
// every offset, size and count taken from the image is checked before it is used, and an image
// that breaks a bound is refused like any other failed check.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace skin {

enum class ImageFormat {
  kPe32,      // machine 0x014C, 224-byte optional header, 32-bit addresses and thunks
  kPe32Plus,  // machine 0x8664, 240-byte optional header, 64-bit ImageBase and thunks
};

// The format whose code this build can run.
inline constexpr ImageFormat kNativeImageFormat =
    sizeof(void*) == 4 ? ImageFormat::kPe32 : ImageFormat::kPe32Plus;

// The largest block the loader reserves; a bigger computed size marks a damaged image.
inline constexpr std::uint64_t kMaxImageSize = 64ull << 20;

// A reserved block: its address and its size in bytes.
struct Block {
  std::uintptr_t address = 0;
  std::size_t size = 0;
};

// The operating-system calls the loader makes. A module handle and a symbol address are opaque
// values; 0 means failure.
class LoaderPlatform {
 public:
  virtual ~LoaderPlatform() = default;
  // A zero-filled, readable, writable and executable block of at least size bytes, starting
  // exactly at preferred when that is not 0, or 0.
  virtual std::uintptr_t Reserve(std::uint64_t preferred, std::size_t size) = 0;
  // Releases a whole block that Reserve returned.
  virtual void Release(std::uintptr_t block) = 0;
  // A module already in the process, or 0.
  virtual std::uintptr_t FindModule(const char* name) = 0;
  // Loads a module (never released by the loader), or 0.
  virtual std::uintptr_t LoadModule(const char* name) = 0;
  virtual std::uintptr_t FindSymbol(std::uintptr_t module, const char* name) = 0;
  virtual std::uintptr_t FindSymbol(std::uintptr_t module, std::uint16_t ordinal) = 0;
  // Makes the function table of a 64-bit image (its exception directory: entries of 12 bytes
  // at block + rva) known to the system's unwinder, so that exceptions and long jumps can unwind
  // through the mapped code; false when the system refuses. Until RemoveFunctionTable.
  virtual bool AddFunctionTable(std::uintptr_t block, std::uint32_t rva, std::uint32_t count) = 0;
  virtual void RemoveFunctionTable(std::uintptr_t block, std::uint32_t rva) = 0;
  // Calls a DLL entry point with (block, reason, 0) and returns its BOOL result.
  virtual std::uint32_t CallEntryPoint(std::uintptr_t entry, std::uintptr_t block,
                                       std::uint32_t reason) = 0;
};

// The header fields the loader uses, decoded from the image's own layout.
struct DataDirectory {
  std::uint32_t virtualAddress = 0;
  std::uint32_t size = 0;
};

struct DosHeader {
  std::uint16_t magic = 0;
  std::int32_t lfanew = 0;
};

struct NtHeaders {
  std::uint32_t signature = 0;
  std::uint16_t machine = 0;
  std::uint16_t numberOfSections = 0;
  std::uint16_t sizeOfOptionalHeader = 0;
  std::uint16_t characteristics = 0;
  std::uint32_t addressOfEntryPoint = 0;
  std::uint64_t imageBase = 0;
  std::uint32_t sectionAlignment = 0;
  std::uint32_t sizeOfHeaders = 0;
  DataDirectory directories[16] = {};
};

struct SectionHeader {
  std::uint32_t virtualSize = 0;
  std::uint32_t virtualAddress = 0;
  std::uint32_t sizeOfRawData = 0;
  std::uint32_t pointerToRawData = 0;
};

inline constexpr int kExportDirectory = 0;
inline constexpr int kImportDirectory = 1;
inline constexpr int kExceptionDirectory = 3;
inline constexpr int kRelocationDirectory = 5;
inline constexpr std::uint16_t kFileExecutableImage = 0x0002;
inline constexpr std::uint16_t kFileDll = 0x2000;

class InMemoryModuleLoader {
 public:
  // The platform must outlive the loader.
  explicit InMemoryModuleLoader(LoaderPlatform& platform, ImageFormat format = kNativeImageFormat);
  // Frees the bookkeeping only: a loaded block stays mapped (the skin engine stays mapped until
  // the process ends).
  virtual ~InMemoryModuleLoader();
  // The copy shares the module base; only one of the two may unload it.
  InMemoryModuleLoader(const InMemoryModuleLoader&) = default;
  InMemoryModuleLoader& operator=(const InMemoryModuleLoader&) = default;

  // Maps, relocates, binds and initialises the image. False, with nothing left reserved, when
  // any step fails, and false without any change while a module is loaded. The image buffer is
  // only read, and only during the call.
  bool Load(std::span<const std::uint8_t> image);
  // Calls the entry point with DLL_PROCESS_DETACH (DLL images with an entry point), releases the
  // block. Modules bound for the imports stay loaded.
  void Unload();
  // The address of the export with this exact (case-sensitive) name, or 0: nothing loaded, no
  // export directory, no such name, an empty or null name, or a forwarder entry.
  std::uintptr_t GetExport(const char* name) const;
  std::uintptr_t GetEntryAddress() const;  // 0 when nothing is loaded
  std::uintptr_t GetModuleBase() const;    // 0 when nothing is loaded

  // The steps of Load, public so each can be checked on its own.
  // Reads the headers and the section table into the loader; false at the first failed check.
  bool CheckHeaders(std::span<const std::uint8_t> image);
  // The block size the checked headers need, or 0 when they describe no sane block.
  std::uint64_t ComputeImageSize() const;
  // The smallest multiple of alignment not below value; value itself for alignment 0.
  static std::uint64_t AlignUp(std::uint64_t value, std::uint64_t alignment);
  // Copies the headers and the sections into a zero-filled block, then reads the headers back
  // from the block. False when a copy would leave the image or the block.
  bool MapImage(Block block, std::span<const std::uint8_t> image);
  // Adds the block's distance from ImageBase to every address the relocation directory lists.
  // False when the directory or a relocated value lies outside the block.
  bool ApplyRelocations(Block block);
  // Binds every import through the platform. False when a module or symbol is missing or an
  // import structure lies outside the block.
  bool ResolveImports(Block block);

  // The export walk over any mapped block (GetExport on the loaded block).
  std::uintptr_t FindExport(Block block, const char* name) const;
  // The address of the export with this ordinal (the export directory's Base counts), or 0.
  std::uintptr_t GetExportByOrdinal(std::uint32_t ordinal) const;

  // The header copies: they describe the last image examined, loaded or not.
  const DosHeader& Dos() const { return dos_; }
  const NtHeaders& Nt() const { return nt_; }
  const std::vector<SectionHeader>& Sections() const { return sections_; }
  ImageFormat Format() const { return format_; }

 private:
  bool ReadHeaders(std::span<const std::uint8_t> bytes);
  bool DirectoryInBlock(int index, std::size_t blockSize) const;
  bool AddFunctionTable(Block block);
  void ReleaseBlock(std::uintptr_t block);

  LoaderPlatform* platform_;
  ImageFormat format_;
  std::uintptr_t moduleBase_ = 0;
  std::size_t moduleSize_ = 0;
  std::uintptr_t detachEntry_ = 0;   // the entry point Unload notifies, or 0
  std::uint32_t functionTable_ = 0;  // RVA of the registered function table, or 0
  DosHeader dos_;
  NtHeaders nt_;
  std::vector<SectionHeader> sections_;
};

// The size in bytes of the NT headers (signature, file header, optional header) of a format.
std::size_t NtHeadersSize(ImageFormat format);

// Windows builds only.

// The kernel32 calls (VirtualAlloc, VirtualFree, GetModuleHandleA, LoadLibraryA, GetProcAddress)
// and entry-point calls through CallAddress.
LoaderPlatform& SystemLoaderPlatform();

// The program's one loader object: created at start-up, released by the exit routine
// (bookkeeping only: a loaded image stays mapped until the process ends). nullptr before
// CreateGlobalLoader and after ReleaseGlobalLoader.
InMemoryModuleLoader* GlobalLoader();
// Creates the global loader (once). ReleaseGlobalLoader is the exit routine that frees it.
void CreateGlobalLoader();
void ReleaseGlobalLoader(int position);
// Loads an image through the global loader; false when there is none or the image is refused.
bool LoadIntoGlobalLoader(std::span<const std::uint8_t> image);

// Calls the code at address with ten pointer-sized arguments (unused ones 0) and returns its
// result. In 32-bit builds the stack pointer is set back after the call, so the callee may be
// a standard-call function taking any number of the ten arguments or a C-convention function.
std::uintptr_t CallAddress(std::uintptr_t address, std::uintptr_t a1 = 0, std::uintptr_t a2 = 0,
                           std::uintptr_t a3 = 0, std::uintptr_t a4 = 0, std::uintptr_t a5 = 0,
                           std::uintptr_t a6 = 0, std::uintptr_t a7 = 0, std::uintptr_t a8 = 0,
                           std::uintptr_t a9 = 0, std::uintptr_t a10 = 0);

}  // namespace skin
