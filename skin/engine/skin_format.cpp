// Reading skin files. No library calls and no allocation: this file is compiled into the engine
// DLL, which runs without a C++ run-time library.
#include "skin/engine/skin_format.h"

#include "skin/engine/skin_format_fields.h"

namespace skin::engine {
namespace {

std::uint32_t ReadLe32(const std::uint8_t* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

const fields::Field* FindField(std::uint8_t tag) {
  for (const fields::Field& field : fields::kFields) {
    if (field.tag == tag) return &field;
  }
  return nullptr;
}

// Whether name is printable text: ASCII, or with gbk also whole GBK characters (a lead byte 0x81
// to 0xFE and a trail byte 0x40 to 0xFE other than 0x7F).
bool IsNameText(const std::uint8_t* name, std::size_t length, bool gbk) {
  for (std::size_t i = 0; i < length; ++i) {
    const std::uint8_t byte = name[i];
    if (byte >= 0x20 && byte <= 0x7E) continue;
    if (!gbk || byte < 0x81 || byte == 0xFF || i + 1 == length) return false;
    const std::uint8_t trail = name[++i];
    if (trail < 0x40 || trail == 0x7F || trail == 0xFF) return false;
  }
  return true;
}

// Decodes the records into look; false at the first record that does not fit. gbkName: the
// file's version allows a GBK name.
bool ReadContent(const std::uint8_t* content, std::size_t size, bool gbkName, Look& look) {
  bool seen[fields::kFieldCount] = {};
  auto* target = reinterpret_cast<std::uint8_t*>(&look);
  std::size_t at = 0;
  while (at < size) {
    if (size - at < 2) return false;
    const std::uint8_t tag = content[at];
    const std::uint8_t length = content[at + 1];
    at += 2;
    if (size - at < length) return false;
    const fields::Field* field = FindField(tag);
    if (field == nullptr) return false;
    const std::size_t index = static_cast<std::size_t>(field - fields::kFields);
    if (seen[index]) return false;
    seen[index] = true;
    const std::uint8_t* value = content + at;
    std::uint8_t* member = target + field->offset;
    switch (field->storage) {
      case fields::Storage::kColor: {
        if (length != 3) return false;
        const std::uint32_t color = static_cast<std::uint32_t>(value[0]) << 16 |
                                    static_cast<std::uint32_t>(value[1]) << 8 | value[2];
        *reinterpret_cast<std::uint32_t*>(member) = color;
        break;
      }
      case fields::Storage::kFlag:
        if (length != 1 || value[0] > 1) return false;
        *member = value[0];
        break;
      case fields::Storage::kByte:
        if (length != 1 || value[0] > field->limit) return false;
        *member = value[0];
        break;
      case fields::Storage::kName:
        if (length == 0 || length > kMaxNameLength || !IsNameText(value, length, gbkName)) {
          return false;
        }
        for (std::size_t i = 0; i < length; ++i) member[i] = value[i];
        for (std::size_t i = length; i <= kMaxNameLength; ++i) member[i] = 0;
        break;
    }
    at += length;
  }
  for (bool present : seen) {
    if (!present) return false;
  }
  return true;
}

}  // namespace

long Unpack(const std::uint8_t* packed, std::size_t packedSize, std::uint8_t* out,
            std::size_t capacity) {
  std::size_t in = 0;
  std::size_t produced = 0;
  while (in < packedSize) {
    const std::uint8_t token = packed[in++];
    if (token < 0x80) {
      // A run of literal bytes.
      const std::size_t count = static_cast<std::size_t>(token) + 1;
      if (packedSize - in < count || capacity - produced < count) return -1;
      for (std::size_t i = 0; i < count; ++i) out[produced++] = packed[in++];
    } else {
      // A copy of earlier output: length 3 to 130, distance 1 to 65535 back.
      const std::size_t count = static_cast<std::size_t>(token & 0x7F) + 3;
      if (packedSize - in < 2) return -1;
      const std::size_t distance = packed[in] | static_cast<std::size_t>(packed[in + 1]) << 8;
      in += 2;
      if (distance == 0 || distance > produced || capacity - produced < count) return -1;
      for (std::size_t i = 0; i < count; ++i, ++produced) out[produced] = out[produced - distance];
    }
  }
  return static_cast<long>(produced);
}

ReadStatus ReadSkin(const std::uint8_t* file, std::size_t size, Look& look) {
  if (file == nullptr || size < kSkinHeadSize) return ReadStatus::kTooShort;
  for (int i = 0; i < 4; ++i) {
    if (file[i] != kSkinMagic[i]) return ReadStatus::kBadMagic;
  }
  const std::uint32_t version = ReadLe32(file + 4);
  if (version < kOldestSkinVersion || version > kSkinVersion) return ReadStatus::kBadVersion;
  const std::uint32_t unpackedSize = ReadLe32(file + 8);
  if (unpackedSize > kMaxUnpackedSize) return ReadStatus::kTooLarge;

  std::uint8_t content[kMaxUnpackedSize];
  const long produced = Unpack(file + kSkinHeadSize, size - kSkinHeadSize, content, unpackedSize);
  if (produced < 0 || static_cast<std::uint32_t>(produced) != unpackedSize) {
    return ReadStatus::kBadPacking;
  }
  Look decoded;
  if (!ReadContent(content, unpackedSize, version >= 2, decoded)) return ReadStatus::kBadContent;
  look = decoded;
  return ReadStatus::kOk;
}

}  // namespace skin::engine
