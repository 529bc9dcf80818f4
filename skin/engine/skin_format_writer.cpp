// Writing skin files for the generator and the tests.
#include "skin/engine/skin_format_writer.h"

#include <algorithm>
#include <cstring>

#include "skin/engine/skin_format_fields.h"

namespace skin::engine {
namespace {

void AppendLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

}  // namespace

std::vector<std::uint8_t> EncodeContent(const Look& look) {
  std::vector<std::uint8_t> out;
  const auto* source = reinterpret_cast<const std::uint8_t*>(&look);
  for (const fields::Field& field : fields::kFields) {
    const std::uint8_t* member = source + field.offset;
    out.push_back(field.tag);
    switch (field.storage) {
      case fields::Storage::kColor: {
        std::uint32_t color = 0;
        std::memcpy(&color, member, sizeof color);
        out.push_back(3);
        out.push_back(static_cast<std::uint8_t>(color >> 16));
        out.push_back(static_cast<std::uint8_t>(color >> 8));
        out.push_back(static_cast<std::uint8_t>(color));
        break;
      }
      case fields::Storage::kFlag:
      case fields::Storage::kByte:
        out.push_back(1);
        out.push_back(*member);
        break;
      case fields::Storage::kName: {
        const std::size_t length = strnlen(look.name, kMaxNameLength);
        out.push_back(static_cast<std::uint8_t>(length));
        out.insert(out.end(), look.name, look.name + length);
        break;
      }
    }
  }
  return out;
}

std::vector<std::uint8_t> Pack(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::uint8_t> out;
  std::vector<std::uint8_t> literals;
  auto flushLiterals = [&] {
    for (std::size_t at = 0; at < literals.size(); at += 128) {
      const std::size_t count = std::min<std::size_t>(128, literals.size() - at);
      out.push_back(static_cast<std::uint8_t>(count - 1));
      out.insert(out.end(), literals.begin() + static_cast<long>(at),
                 literals.begin() + static_cast<long>(at + count));
    }
    literals.clear();
  };
  std::size_t at = 0;
  while (at < bytes.size()) {
    // The longest earlier match (the content is small, so a plain search will do).
    std::size_t bestLength = 0;
    std::size_t bestDistance = 0;
    const std::size_t window = std::min<std::size_t>(at, 65535);
    for (std::size_t distance = 1; distance <= window; ++distance) {
      std::size_t length = 0;
      while (length < 130 && at + length < bytes.size() &&
             bytes[at + length] == bytes[at + length - distance]) {
        ++length;
      }
      if (length > bestLength) {
        bestLength = length;
        bestDistance = distance;
      }
    }
    if (bestLength >= 3) {
      flushLiterals();
      out.push_back(static_cast<std::uint8_t>(0x80 | (bestLength - 3)));
      out.push_back(static_cast<std::uint8_t>(bestDistance));
      out.push_back(static_cast<std::uint8_t>(bestDistance >> 8));
      at += bestLength;
    } else {
      literals.push_back(bytes[at++]);
    }
  }
  flushLiterals();
  return out;
}

std::vector<std::uint8_t> SkinHead(std::uint32_t unpackedSize, std::uint32_t version) {
  std::vector<std::uint8_t> out(kSkinMagic, kSkinMagic + 4);
  AppendLe32(out, version);
  AppendLe32(out, unpackedSize);
  return out;
}

std::vector<std::uint8_t> WriteSkin(const Look& look) {
  const std::vector<std::uint8_t> content = EncodeContent(look);
  std::vector<std::uint8_t> out = SkinHead(static_cast<std::uint32_t>(content.size()));
  const std::vector<std::uint8_t> packed = Pack(content);
  out.insert(out.end(), packed.begin(), packed.end());
  return out;
}

}  // namespace skin::engine
