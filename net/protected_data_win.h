// A password at rest: encrypted with Windows' data protection for the current user, so only this
// user on this machine reads it back, and never written anywhere in plain text. crypt32 is loaded
// on first use, not at start-up.
#pragma once

#include <optional>
#include <string_view>

#include "base/text_ops.h"
#include "net/secret_bytes.h"

namespace net {

// The bytes encrypted for the current Windows user (CryptProtectData); nothing when the system
// refuses. The blob holds no plain text and may be stored as it is.
[[nodiscard]] std::optional<base::Bytes> ProtectForUser(std::string_view plain);

// The plain bytes of a blob ProtectForUser made for this user; nothing when the blob is damaged
// or belongs to another user. The system's copy of the plain bytes is zeroed before it is freed,
// and the result zeroes its own when it goes.
[[nodiscard]] std::optional<SecretBytes> UnprotectForUser(const base::Bytes& blob);

}  // namespace net
