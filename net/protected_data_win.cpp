// Windows' data protection (DPAPI) around the remote console's password.
#include "net/protected_data_win.h"

#include <windows.h>

#include <dpapi.h>

#include "base/late_bound_win.h"

namespace net {
namespace {

// Ties the blobs to this purpose: a blob protected by another program for the same user does not
// open here, nor ours there, without these bytes.
constexpr char kPurpose[] = "CommandComposer remote console password";

DATA_BLOB Blob(const void* data, std::size_t size) {
  return DATA_BLOB{static_cast<DWORD>(size),
                   static_cast<BYTE*>(const_cast<void*>(static_cast<const void*>(data)))};
}

}  // namespace

std::optional<base::Bytes> ProtectForUser(std::string_view plain) {
  static const auto protect =
      base::LateBound<decltype(&::CryptProtectData)>(L"crypt32.dll", "CryptProtectData");
  if (protect == nullptr) return std::nullopt;
  DATA_BLOB in = Blob(plain.data(), plain.size());
  DATA_BLOB entropy = Blob(kPurpose, sizeof kPurpose - 1);
  DATA_BLOB out{};
  if (!protect(&in, L"", &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) {
    return std::nullopt;
  }
  base::Bytes blob(out.pbData, out.pbData + out.cbData);
  LocalFree(out.pbData);
  return blob;
}

std::optional<SecretBytes> UnprotectForUser(const base::Bytes& blob) {
  static const auto unprotect =
      base::LateBound<decltype(&::CryptUnprotectData)>(L"crypt32.dll", "CryptUnprotectData");
  if (unprotect == nullptr || blob.empty()) return std::nullopt;
  DATA_BLOB in = Blob(blob.data(), blob.size());
  DATA_BLOB entropy = Blob(kPurpose, sizeof kPurpose - 1);
  DATA_BLOB out{};
  if (!unprotect(&in, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) {
    return std::nullopt;
  }
  SecretBytes plain(std::string_view(reinterpret_cast<const char*>(out.pbData), out.cbData));
  SecureZeroMemory(out.pbData, out.cbData);
  LocalFree(out.pbData);
  return plain;
}

}  // namespace net
