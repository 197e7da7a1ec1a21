#include "networking/LzwDecoder.h"

#include <cstdint>
#include <vector>

namespace instala {
namespace {

constexpr unsigned char magic0 = 0x1F;
constexpr unsigned char magic1 = 0x9D;
constexpr unsigned blockModeFlag = 0x80;
constexpr unsigned reservedFlags = 0x60;
constexpr unsigned firstWidth = 9;
constexpr unsigned clearCode = 256;
constexpr unsigned noCode = 1u << 16;  // no previous code: the next one starts a string

// Codes packed least significant bit first, read from a byte position that
// the caller may move to a group boundary.
class CodeReader {
 public:
  explicit CodeReader(std::string_view bytes) : bytes_(bytes) {}

  // The next code of `width` bits; nothing when fewer bits are left.
  std::optional<unsigned> next(unsigned width) {
    if (bit_ + width > bytes_.size() * 8) return std::nullopt;
    unsigned code = 0;
    for (unsigned taken = 0; taken < width;) {
      const std::size_t byte = bit_ / 8;
      const unsigned offset = static_cast<unsigned>(bit_ % 8);
      const unsigned count = std::min(8 - offset, width - taken);
      const unsigned bits = (static_cast<unsigned char>(bytes_[byte]) >> offset) & ((1u << count) - 1);
      code |= bits << taken;
      taken += count;
      bit_ += count;
    }
    return code;
  }

  // The writer emits whole groups of eight codes (`width` bytes) and pads the
  // last group of a width: skip to the end of the group, counted from the
  // first byte of that width, where the next width starts.
  void skipToGroupEnd(unsigned width) {
    const std::size_t used = (bit_ + 7) / 8 - sectionStart_;
    sectionStart_ += (used + width - 1) / width * width;
    bit_ = sectionStart_ * 8;
  }

 private:
  std::string_view bytes_;
  std::size_t bit_ = 0;
  std::size_t sectionStart_ = 0;
};

}  // namespace

std::optional<std::string> decodeLzw(std::string_view coded, std::uint64_t maxSize, std::string& reason) {
  if (coded.size() < 3 || static_cast<unsigned char>(coded[0]) != magic0 ||
      static_cast<unsigned char>(coded[1]) != magic1) {
    reason = "no compress header";
    return std::nullopt;
  }
  const unsigned flags = static_cast<unsigned char>(coded[2]);
  const unsigned maxWidth = flags & 0x1F;
  const bool blockMode = (flags & blockModeFlag) != 0;
  if ((flags & reservedFlags) != 0 || maxWidth < firstWidth || maxWidth > 16) {
    reason = "unsupported compress flags";
    return std::nullopt;
  }
  const unsigned tableSize = 1u << maxWidth;
  const unsigned firstFree = blockMode ? clearCode + 1 : clearCode;
  std::vector<std::uint16_t> prefix(tableSize);
  std::vector<unsigned char> suffix(tableSize);
  for (unsigned code = 0; code < 256; ++code) suffix[code] = static_cast<unsigned char>(code);
  std::vector<unsigned char> stack;
  stack.reserve(tableSize);

  // `compress` widens the codes once the next entry passes `limit`: (1 << width) - 1,
  // but the whole table once the maximum width is reached by widening (a table
  // of 9-bit codes thus ends up read with 10 bits, as every reader does).
  const auto limitFor = [&](unsigned width) { return width == maxWidth ? tableSize : (1u << width) - 1; };
  CodeReader reader(coded.substr(3));
  unsigned width = firstWidth;
  unsigned limit = (1u << firstWidth) - 1;
  unsigned freeEntry = firstFree;
  unsigned previous = noCode;
  unsigned char firstByte = 0;  // the first byte of the previous code's string
  std::string decoded;
  while (auto read = reader.next(width)) {
    unsigned code = *read;
    if (blockMode && code == clearCode) {
      reader.skipToGroupEnd(width);
      width = firstWidth;
      limit = (1u << firstWidth) - 1;
      freeEntry = firstFree;
      previous = noCode;
      continue;
    }
    if (code > freeEntry || (code == freeEntry && previous == noCode)) {
      reason = "a code beyond the table";
      return std::nullopt;
    }
    const unsigned current = code;
    stack.clear();
    if (code == freeEntry) {
      // The string being defined right now: the previous one and its own first byte.
      stack.push_back(firstByte);
      code = previous;
    }
    while (code >= firstFree) {
      stack.push_back(suffix[code]);
      code = prefix[code];
    }
    firstByte = suffix[code];
    stack.push_back(firstByte);
    decoded.append(stack.rbegin(), stack.rend());
    if (decoded.size() > maxSize) return decoded;
    if (previous != noCode && freeEntry < tableSize) {
      prefix[freeEntry] = static_cast<std::uint16_t>(previous);
      suffix[freeEntry] = firstByte;
      ++freeEntry;
    }
    previous = current;
    if (freeEntry > limit) {
      reader.skipToGroupEnd(width);
      ++width;
      limit = limitFor(width);
    }
  }
  return decoded;
}

}  // namespace instala
