#include "SessionStore.h"

#include <cstdint>
#include <cstdlib>

namespace instala::demo {

std::string SessionStore::open() {
  std::uint8_t bytes[32];
  arc4random_buf(bytes, sizeof bytes);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string token;
  for (std::uint8_t byte : bytes) {
    token += kHex[byte >> 4];
    token += kHex[byte & 0x0f];
  }
  std::lock_guard lock(mutex_);
  tokens_.insert(token);
  return token;
}

bool SessionStore::isOpen(std::string_view token) const {
  if (token.empty()) return false;
  std::lock_guard lock(mutex_);
  return tokens_.find(token) != tokens_.end();
}

bool SessionStore::close(std::string_view token) {
  std::lock_guard lock(mutex_);
  auto it = tokens_.find(token);
  if (it == tokens_.end()) return false;
  tokens_.erase(it);
  return true;
}

}  // namespace instala::demo
