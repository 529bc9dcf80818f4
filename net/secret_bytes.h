// Bytes that must not stay in memory after their use, such as a password: zeroed before their
// memory goes back, and moved without leaving a copy behind.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace net {

// Zeroes the bytes through a volatile pointer, which the compiler may not drop as a dead store.
inline void WipeBytes(void* data, std::size_t size) {
  volatile auto* bytes = static_cast<volatile unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = 0;
}
template <typename Char>
void WipeBytes(std::basic_string<Char>& text) {
  WipeBytes(text.data(), text.size() * sizeof(Char));
  text.clear();
}

class SecretBytes {
 public:
  SecretBytes() = default;
  explicit SecretBytes(std::string_view bytes) : bytes_(bytes.begin(), bytes.end()) {}
  // A move takes the other's block itself, so no copy of the bytes is left behind.
  SecretBytes(SecretBytes&& other) noexcept = default;
  SecretBytes& operator=(SecretBytes&& other) noexcept {
    if (this != &other) {
      Wipe();
      bytes_ = std::move(other.bytes_);
    }
    return *this;
  }
  SecretBytes(const SecretBytes&) = delete;
  SecretBytes& operator=(const SecretBytes&) = delete;
  ~SecretBytes() { Wipe(); }

  std::string_view View() const { return {bytes_.data(), bytes_.size()}; }
  [[nodiscard]] bool Empty() const { return bytes_.empty(); }
  void Wipe() {
    WipeBytes(bytes_.data(), bytes_.size());
    bytes_.clear();
  }

 private:
  std::vector<char> bytes_;
};

}  // namespace net
