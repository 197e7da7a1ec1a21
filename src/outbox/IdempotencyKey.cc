#include "outbox/IdempotencyKey.h"

#include <array>
#include <cstdint>
#include <cstdlib>

namespace instala::outbox {
namespace {

constexpr char kHex[] = "0123456789abcdef";
constexpr std::array<std::size_t, 4> kDashes{8, 13, 18, 23};

bool isDash(std::size_t index) {
  for (std::size_t dash : kDashes) {
    if (index == dash) return true;
  }
  return false;
}

}  // namespace

std::string makeIdempotencyKey() {
  std::array<std::uint8_t, 16> bytes{};
  arc4random_buf(bytes.data(), bytes.size());
  bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // the RFC 4122 variant
  std::string key;
  key.reserve(36);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (isDash(key.size())) key += '-';
    key += kHex[bytes[i] >> 4];
    key += kHex[bytes[i] & 0x0F];
  }
  return key;
}

bool isIdempotencyKey(std::string_view text) {
  if (text.size() != 36) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (isDash(i)) {
      if (c != '-') return false;
    } else if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
      return false;
    }
  }
  return text[14] == '4' && (text[19] == '8' || text[19] == '9' || text[19] == 'a' || text[19] == 'b');
}

}  // namespace instala::outbox
