// The skin file format shared by the skin engine and the skin generator. A skin file is a
// 12-byte head (the magic "CSKN", a 32-bit format version, the 32-bit size of the unpacked
// content, all little-endian) followed by the packed content. The content is a list of tagged
// records (one byte tag, one byte length, the value) that together describe a complete look:
// colours as 0xRRGGBB, small metrics as bytes, the skin's name as GBK text (version 2; the
// names of version 1 are ASCII, and such files are still read).
//
// The reader runs inside the engine DLL, which has no C++ run-time library: it allocates
// nothing, throws nothing and calls no library function. Every length it takes from the file is
// checked before it is used, so a damaged file is refused, never read past its end.
#pragma once

#include <cstddef>
#include <cstdint>

namespace skin::engine {

inline constexpr std::uint8_t kSkinMagic[4] = {'C', 'S', 'K', 'N'};
// The version written. Version 2 lets the name be GBK text; files of the first version, whose
// names are ASCII, are still read. Nothing else differs between the two.
inline constexpr std::uint32_t kSkinVersion = 2;
inline constexpr std::uint32_t kOldestSkinVersion = 1;
inline constexpr std::size_t kSkinHeadSize = 12;
// The largest unpacked content a skin may declare; anything bigger is refused unread.
inline constexpr std::uint32_t kMaxUnpackedSize = 2048;
inline constexpr std::size_t kMaxNameLength = 31;

// How a surface is textured beyond its base colour. The texture repeats every 8 pixels and is
// anchored at the top-level window's client origin, so neighbouring controls join seamlessly.
enum class Texture : std::uint8_t {
  kPlain = 0,
  kDots = 1,      // a dot every 4 pixels
  kLines = 2,     // thin horizontal lines every 4 pixels
  kDiagonal = 3,  // fine diagonal hatching
  kGrid = 4,      // an 8-pixel grid
};
inline constexpr std::uint8_t kTextureCount = 5;

// Everything a skin says. Colours are 0xRRGGBB.
struct Look {
  char name[kMaxNameLength + 1] = {};  // GBK, as the program shows it in its skin menus
  bool dark = false;  // dark surfaces: the engine lightens text that would be hard to read

  // Window and tab-page surfaces.
  std::uint32_t windowColor = 0;
  std::uint32_t panelColor = 0;
  std::uint32_t textureColor = 0;
  Texture texture = Texture::kPlain;
  std::uint32_t textColor = 0;
  std::uint32_t disabledTextColor = 0;
  std::uint32_t accentColor = 0;

  // Title bar and window frame.
  std::uint32_t captionFrom = 0;
  std::uint32_t captionTo = 0;
  std::uint32_t captionTextColor = 0;
  std::uint32_t frameColor = 0;
  std::uint8_t captionHorizontal = 0;  // 1: the caption gradient runs left to right

  // Push buttons.
  std::uint32_t buttonFrom = 0;
  std::uint32_t buttonTo = 0;
  std::uint32_t buttonHotFrom = 0;
  std::uint32_t buttonHotTo = 0;
  std::uint32_t buttonPressedFrom = 0;
  std::uint32_t buttonPressedTo = 0;
  std::uint32_t buttonBorderColor = 0;
  std::uint32_t buttonTextColor = 0;
  std::uint8_t buttonRadius = 0;

  // Edit boxes, drop-down lists and rich edit boxes.
  std::uint32_t fieldColor = 0;
  std::uint32_t fieldTextColor = 0;
  std::uint32_t fieldBorderColor = 0;

  // Group boxes.
  std::uint32_t groupBorderColor = 0;
  std::uint32_t groupCaptionColor = 0;
  std::uint32_t groupFillColor = 0;
  std::uint8_t groupFilled = 0;  // 1: the frame's inside is filled with groupFillColor
  std::uint8_t groupRadius = 0;

  // Tab headers.
  std::uint32_t tabFrom = 0;
  std::uint32_t tabTo = 0;
  std::uint32_t tabTextColor = 0;
  std::uint32_t tabSelectedTextColor = 0;
  std::uint32_t tabBorderColor = 0;
};

enum class ReadStatus {
  kOk,
  kTooShort,  // shorter than the head
  kBadMagic,
  kBadVersion,  // neither of the versions read
  kTooLarge,    // the declared unpacked size is above kMaxUnpackedSize
  kBadPacking,  // the packed content does not unpack to exactly the declared size
  kBadContent,  // a record is cut off, unknown, of the wrong length, or one is missing
};

// Reads a whole skin file into look. On any status but kOk, look is left untouched.
[[nodiscard]] ReadStatus ReadSkin(const std::uint8_t* file, std::size_t size, Look& look);

// Unpacks packed into out (capacity bytes). Returns the number of bytes produced, or -1 when the
// packed data is malformed or would produce more than capacity bytes.
[[nodiscard]] long Unpack(const std::uint8_t* packed, std::size_t packedSize, std::uint8_t* out,
                          std::size_t capacity);

}  // namespace skin::engine
