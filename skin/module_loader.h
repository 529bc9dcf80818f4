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
// that breaks a bound is refused like any other failed check. An image the loader cannot run
// exactly as the system loader would (a relocation it cannot apply, thread-local data it has no
// slot for, a page that would have to be writable and executable) is refused too, with a reason.
// A loaded image's pages carry the protections its sections ask for; none is writable and
// executable at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
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

// The page size of the systems the loader runs on; protections are set per page.
inline constexpr std::uint64_t kPageSize = 0x1000;

// Why Load refused an image (kNone after a successful Load).
enum class LoadError {
  kNone,
  kAlreadyLoaded,         // a module is loaded; nothing changed
  kBadHeaders,            // DOS or NT headers missing, damaged or not an executable image
  kWrongFormat,           // an image of the other architecture
  kBadSections,           // section table or raw data outside the buffer, overlapping sections,
                          // a section over the headers
  kBadImageSize,          // no sane block size, SizeOfImage not covering it, above the cap
  kNoMemory,              // no block could be reserved
  kNotRelocatable,        // ImageBase is taken and the image has no relocations
  kBadRelocation,         // a relocation block or entry that cannot be applied exactly
  kBadImportTable,        // an import structure outside the image
  kImportMissing,         // an imported module or symbol is not there
  kUnsupportedTls,        // thread-local data that needs a slot the loader cannot give
  kBadTls,                // a TLS directory or callback outside the image's code
  kBadEntryPoint,         // an entry point outside the image's code
  kWritableCode,          // a page would have to be writable and executable at once
  kProtectionFailed,      // the system refused to set a page protection
  kFunctionTableRefused,  // the system refused the 64-bit image's unwind table
  kEntryPointRefused,     // the entry point answered DLL_PROCESS_ATTACH with FALSE
};

// A short English description of a failure, for diagnostics ("a relocation cannot be applied").
const char* DescribeLoadError(LoadError error);

// The access a range of a loaded image gets.
enum class PageProtection {
  kNoAccess,
  kReadOnly,
  kReadWrite,
  kExecuteRead,
  kDecommitted,  // discardable sections: their memory is given back
};

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
  // A zero-filled, readable and writable (not executable) block of at least size bytes, starting
  // exactly at preferred when that is not 0, or 0.
  [[nodiscard]] virtual std::uintptr_t Reserve(std::uint64_t preferred, std::size_t size) = 0;
  // Releases a whole block that Reserve returned.
  virtual void Release(std::uintptr_t block) = 0;
  // Gives whole pages of a block a protection (size is a multiple of kPageSize); false when the
  // system refuses.
  [[nodiscard]] virtual bool Protect(std::uintptr_t address, std::size_t size,
                                     PageProtection protection) = 0;
  // A module already in the process, or 0.
  [[nodiscard]] virtual std::uintptr_t FindModule(const char* name) = 0;
  // Loads a module (never released by the loader), or 0.
  [[nodiscard]] virtual std::uintptr_t LoadModule(const char* name) = 0;
  [[nodiscard]] virtual std::uintptr_t FindSymbol(std::uintptr_t module, const char* name) = 0;
  [[nodiscard]] virtual std::uintptr_t FindSymbol(std::uintptr_t module, std::uint16_t ordinal) = 0;
  // Makes the function table of a 64-bit image (its exception directory: entries of 12 bytes
  // at block + rva) known to the system's unwinder, so that exceptions and long jumps can unwind
  // through the mapped code; false when the system refuses. Until RemoveFunctionTable.
  [[nodiscard]] virtual bool AddFunctionTable(std::uintptr_t block, std::uint32_t rva,
                                              std::uint32_t count) = 0;
  virtual void RemoveFunctionTable(std::uintptr_t block, std::uint32_t rva) = 0;
  // Calls a DLL entry point or a TLS callback with (block, reason, 0) and returns its BOOL
  // result (a TLS callback's is meaningless).
  virtual std::uint32_t CallEntryPoint(std::uintptr_t entry, std::uintptr_t block,
                                       std::uint32_t reason) = 0;
};

// The header fields the loader uses, decoded from the image's own layout.
struct DataDirectory {
  std::uint32_t virtualAddress = 0;
  std::uint32_t size = 0;
  bool operator==(const DataDirectory&) const = default;
};

struct DosHeader {
  std::uint16_t magic = 0;
  std::int32_t lfanew = 0;
  bool operator==(const DosHeader&) const = default;
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
  std::uint32_t sizeOfImage = 0;
  std::uint32_t sizeOfHeaders = 0;
  DataDirectory directories[16] = {};
  bool operator==(const NtHeaders&) const = default;
};

struct SectionHeader {
  std::uint32_t virtualSize = 0;
  std::uint32_t virtualAddress = 0;
  std::uint32_t sizeOfRawData = 0;
  std::uint32_t pointerToRawData = 0;
  std::uint32_t characteristics = 0;
  // The bytes the section occupies in the block from its VirtualAddress.
  std::uint64_t Extent() const { return virtualSize > sizeOfRawData ? virtualSize : sizeOfRawData; }
  bool operator==(const SectionHeader&) const = default;
};

inline constexpr int kExportDirectory = 0;
inline constexpr int kImportDirectory = 1;
inline constexpr int kExceptionDirectory = 3;
inline constexpr int kRelocationDirectory = 5;
inline constexpr int kTlsDirectory = 9;
inline constexpr std::uint16_t kFileExecutableImage = 0x0002;
inline constexpr std::uint16_t kFileDll = 0x2000;

class InMemoryModuleLoader {
 public:
  // The platform must outlive the loader.
  explicit InMemoryModuleLoader(LoaderPlatform& platform, ImageFormat format = kNativeImageFormat);
  // Frees the bookkeeping only: a loaded block stays mapped (the skin engine stays mapped until
  // the process ends).
  virtual ~InMemoryModuleLoader();
  // Only one loader may unload a module, so a loader is moved, never copied: the loader moved
  // from is left empty (nothing loaded). A loader moved onto keeps nothing of its own module,
  // which stays mapped, as at destruction.
  InMemoryModuleLoader(const InMemoryModuleLoader&) = delete;
  InMemoryModuleLoader& operator=(const InMemoryModuleLoader&) = delete;
  InMemoryModuleLoader(InMemoryModuleLoader&& other) noexcept;
  InMemoryModuleLoader& operator=(InMemoryModuleLoader&& other) noexcept;

  // Maps, relocates, binds, protects and initialises the image: its TLS callbacks, then its entry
  // point, hear of DLL_PROCESS_ATTACH. False, with nothing left reserved and LastError saying
  // why, when any step fails; false without any change while a module is loaded. The image
  // buffer is only read, and only during the call.
  [[nodiscard]] bool Load(std::span<const std::uint8_t> image);
  // Why the last Load, or the last step called on its own, failed; kNone after a success.
  LoadError LastError() const { return error_; }
  // Calls the entry point (DLL images with an entry point), then the TLS callbacks, with
  // DLL_PROCESS_DETACH and releases the block. Modules bound for the imports stay loaded.
  void Unload();
  // The address of the export with this exact (case-sensitive) name, or 0: nothing loaded, no
  // export directory, no such name, an empty or null name, or a forwarder entry.
  [[nodiscard]] std::uintptr_t GetExport(const char* name) const;
  std::uintptr_t GetEntryAddress() const;  // 0 when nothing is loaded
  std::uintptr_t GetModuleBase() const;    // 0 when nothing is loaded

  // The steps of Load, public so each can be checked on its own.
  // Reads the headers and the section table into the loader; false at the first failed check.
  [[nodiscard]] bool CheckHeaders(std::span<const std::uint8_t> image);
  // The block size the checked headers need (SizeOfImage, which must cover every section), or 0
  // when they describe no sane block.
  [[nodiscard]] std::uint64_t ComputeImageSize() const;
  // The smallest multiple of alignment not below value; value itself for alignment 0.
  static std::uint64_t AlignUp(std::uint64_t value, std::uint64_t alignment);
  // Copies the headers and the sections into a zero-filled block, then reads the headers back
  // from the block and checks them again. False when a copy would leave the image or the block,
  // or the headers read back are not the ones checked.
  [[nodiscard]] bool MapImage(Block block, std::span<const std::uint8_t> image);
  // Adds the block's distance from ImageBase to every address the relocation directory lists;
  // nothing at all for a block at ImageBase. False, at the first fault, for a relocation block
  // outside the directory or the block, not a whole number of entries, an entry type this format
  // does not define, or a fixup touching bytes outside the block.
  [[nodiscard]] bool ApplyRelocations(Block block);
  // Binds every import through the platform: names and ordinals from OriginalFirstThunk (from
  // FirstThunk when that is 0), addresses into FirstThunk. False when a module or symbol is
  // missing or an import structure lies outside the block.
  [[nodiscard]] bool ResolveImports(Block block);
  // Reads the TLS directory of a relocated block: its callbacks, which must be code of the image.
  // False for thread-local data (a template or zero fill): that needs a static TLS slot of the
  // system's, which only the system loader can give.
  [[nodiscard]] bool ReadTls(Block block);
  // Gives every page its section's protection: code execute+read, read-only data read-only,
  // writable data read+write, the headers read-only, discardable sections decommitted, pages of
  // no section no access. False for a page two sections would make writable and executable, or
  // when the platform refuses.
  [[nodiscard]] bool ProtectSections(Block block);

  // The export walk over any mapped block (GetExport on the loaded block).
  [[nodiscard]] std::uintptr_t FindExport(Block block, const char* name) const;
  // The address of the export with this ordinal (the export directory's Base counts), or 0.
  [[nodiscard]] std::uintptr_t GetExportByOrdinal(std::uint32_t ordinal) const;

  // The header copies: they describe the last image examined, loaded or not.
  const DosHeader& Dos() const { return dos_; }
  const NtHeaders& Nt() const { return nt_; }
  const std::vector<SectionHeader>& Sections() const { return sections_; }
  ImageFormat Format() const { return format_; }

 private:
  class BlockGuard;
  [[nodiscard]] bool Fail(LoadError error);
  [[nodiscard]] bool ReadHeaders(std::span<const std::uint8_t> bytes, DosHeader& dos, NtHeaders& nt,
                                 std::vector<SectionHeader>& sections);
  bool DirectoryInBlock(int index, std::size_t blockSize) const;
  bool IsCode(std::uint64_t rva) const;
  [[nodiscard]] bool AddFunctionTable(Block block);
  void CallTlsCallbacks(std::uintptr_t block, std::uint32_t reason);
  void ReleaseBlock(std::uintptr_t block);

  LoaderPlatform* platform_;
  ImageFormat format_;
  std::uintptr_t moduleBase_ = 0;
  std::size_t moduleSize_ = 0;
  std::uintptr_t detachEntry_ = 0;            // the entry point Unload notifies, or 0
  std::uint32_t functionTable_ = 0;           // RVA of the registered function table, or 0
  std::vector<std::uintptr_t> tlsCallbacks_;  // of the image being loaded or loaded
  LoadError error_ = LoadError::kNone;
  DosHeader dos_;
  NtHeaders nt_;
  std::vector<SectionHeader> sections_;
};

// The size in bytes of the NT headers (signature, file header, optional header) of a format.
std::size_t NtHeadersSize(ImageFormat format);

// The line the program writes on the debug output when it refuses an image: its name, why, and
// what that means for the windows.
std::string RefusedImageMessage(const char* name, LoadError error);

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
// Loads an image through the global loader; false when there is none or the image is refused
// (GlobalLoader()->LastError() says why).
[[nodiscard]] bool LoadIntoGlobalLoader(std::span<const std::uint8_t> image);
// Writes RefusedImageMessage on the debug output (OutputDebugStringW), where a debugger or a
// debug-output viewer shows it.
void ReportRefusedImage(const char* name, LoadError error);

// Calls the code at address with ten pointer-sized arguments (unused ones 0) and returns its
// result. In 32-bit builds the stack pointer is set back after the call, so the callee may be
// a standard-call function taking any number of the ten arguments or a C-convention function.
std::uintptr_t CallAddress(std::uintptr_t address, std::uintptr_t a1 = 0, std::uintptr_t a2 = 0,
                           std::uintptr_t a3 = 0, std::uintptr_t a4 = 0, std::uintptr_t a5 = 0,
                           std::uintptr_t a6 = 0, std::uintptr_t a7 = 0, std::uintptr_t a8 = 0,
                           std::uintptr_t a9 = 0, std::uintptr_t a10 = 0);

}  // namespace skin
