// The records of a skin's content: which tag holds which field of Look, and how it is stored.
// Shared by the reader and the writer so the two can never disagree.
#pragma once

#include <cstddef>
#include <cstdint>

#include "skin/engine/skin_format.h"

namespace skin::engine::fields {

enum class Storage : std::uint8_t {
  kColor,  // three bytes: red, green, blue
  kFlag,   // one byte, 0 or 1
  kByte,   // one byte, at most the field's limit
  kName,   // 1 to kMaxNameLength bytes of GBK text (ASCII in version 1), no control bytes
};

struct Field {
  std::uint8_t tag;
  Storage storage;
  std::size_t offset;  // within Look
  std::uint8_t limit;  // largest value of a kByte field
};

inline constexpr std::uint8_t kRadiusLimit = 12;

#define SKIN_FIELD(tag, storage, member, limit)          \
  Field {                                                \
    tag, Storage::storage, offsetof(Look, member), limit \
  }

inline constexpr Field kFields[] = {
    SKIN_FIELD(1, kName, name, 0),
    SKIN_FIELD(2, kFlag, dark, 1),
    SKIN_FIELD(3, kColor, windowColor, 0),
    SKIN_FIELD(4, kColor, panelColor, 0),
    SKIN_FIELD(5, kColor, textureColor, 0),
    SKIN_FIELD(6, kByte, texture, kTextureCount - 1),
    SKIN_FIELD(7, kColor, textColor, 0),
    SKIN_FIELD(8, kColor, disabledTextColor, 0),
    SKIN_FIELD(9, kColor, accentColor, 0),
    SKIN_FIELD(10, kColor, captionFrom, 0),
    SKIN_FIELD(11, kColor, captionTo, 0),
    SKIN_FIELD(12, kColor, captionTextColor, 0),
    SKIN_FIELD(13, kColor, frameColor, 0),
    SKIN_FIELD(14, kFlag, captionHorizontal, 1),
    SKIN_FIELD(15, kColor, buttonFrom, 0),
    SKIN_FIELD(16, kColor, buttonTo, 0),
    SKIN_FIELD(17, kColor, buttonHotFrom, 0),
    SKIN_FIELD(18, kColor, buttonHotTo, 0),
    SKIN_FIELD(19, kColor, buttonPressedFrom, 0),
    SKIN_FIELD(20, kColor, buttonPressedTo, 0),
    SKIN_FIELD(21, kColor, buttonBorderColor, 0),
    SKIN_FIELD(22, kColor, buttonTextColor, 0),
    SKIN_FIELD(23, kByte, buttonRadius, kRadiusLimit),
    SKIN_FIELD(24, kColor, fieldColor, 0),
    SKIN_FIELD(25, kColor, fieldTextColor, 0),
    SKIN_FIELD(26, kColor, fieldBorderColor, 0),
    SKIN_FIELD(27, kColor, groupBorderColor, 0),
    SKIN_FIELD(28, kColor, groupCaptionColor, 0),
    SKIN_FIELD(29, kColor, groupFillColor, 0),
    SKIN_FIELD(30, kFlag, groupFilled, 1),
    SKIN_FIELD(31, kByte, groupRadius, kRadiusLimit),
    SKIN_FIELD(32, kColor, tabFrom, 0),
    SKIN_FIELD(33, kColor, tabTo, 0),
    SKIN_FIELD(34, kColor, tabTextColor, 0),
    SKIN_FIELD(35, kColor, tabSelectedTextColor, 0),
    SKIN_FIELD(36, kColor, tabBorderColor, 0),
};

#undef SKIN_FIELD

inline constexpr std::size_t kFieldCount = sizeof kFields / sizeof kFields[0];

}  // namespace skin::engine::fields
