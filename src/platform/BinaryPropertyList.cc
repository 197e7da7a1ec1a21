#include "platform/BinaryPropertyList.h"

#include <unicode/utf8.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace instala::platform {
namespace {

constexpr std::string_view kMagic = "bplist00";
constexpr std::size_t kTrailerSize = 32;
// Texts and data shared by several references are copied for each; together
// they may reach this many times the document's size, plus a floor.
constexpr std::size_t kGrowthFactor = 8;
constexpr std::size_t kGrowthFloor = 1u << 20;

enum Marker : std::uint8_t {
  kSimple = 0x0,
  kInteger = 0x1,
  kReal = 0x2,
  kDate = 0x3,
  kData = 0x4,
  kAsciiText = 0x5,
  kUtf16Text = 0x6,
  kUid = 0x8,
  kArray = 0xA,
  kDictionary = 0xD,
};

void appendUtf8(std::string& text, std::uint32_t codePoint) {
  if (codePoint < 0x80) {
    text += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    text += static_cast<char>(0xC0 | (codePoint >> 6));
    text += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    text += static_cast<char>(0xE0 | (codePoint >> 12));
    text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | (codePoint >> 18));
    text += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes), budget_(bytes.size() * kGrowthFactor + kGrowthFloor) {}

  std::optional<PlistValue> read() {
    if (bytes_.size() < kMagic.size() + kTrailerSize + 2 || !bytes_.starts_with(kMagic)) return std::nullopt;
    const std::size_t trailer = bytes_.size() - kTrailerSize;
    offsetSize_ = static_cast<std::uint8_t>(bytes_[trailer + 6]);
    referenceSize_ = static_cast<std::uint8_t>(bytes_[trailer + 7]);
    if (!validIntegerSize(offsetSize_) || !validIntegerSize(referenceSize_)) return std::nullopt;
    const std::uint64_t objectCount = unsignedAt(trailer + 8, 8);
    const std::uint64_t top = unsignedAt(trailer + 16, 8);
    const std::uint64_t tableOffset = unsignedAt(trailer + 24, 8);
    // Objects lie between the magic and the offset table, which ends at the trailer.
    if (tableOffset <= kMagic.size() || tableOffset >= trailer) return std::nullopt;
    if (objectCount == 0 || objectCount > (trailer - tableOffset) / offsetSize_ || top >= objectCount) {
      return std::nullopt;
    }
    tableOffset_ = static_cast<std::size_t>(tableOffset);
    objectCount_ = objectCount;
    containerSeen_.assign(static_cast<std::size_t>(objectCount), false);
    return object(top, 0);
  }

 private:
  static bool validIntegerSize(std::size_t size) { return size == 1 || size == 2 || size == 4 || size == 8; }

  // Big-endian, `size` ≤ 8 bytes at `offset`; the caller has checked the bounds.
  std::uint64_t unsignedAt(std::size_t offset, std::size_t size) const {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i) value = (value << 8) | static_cast<std::uint8_t>(bytes_[offset + i]);
    return value;
  }

  // Whether `size` bytes at `offset` lie inside the object area.
  bool fits(std::size_t offset, std::uint64_t size) const {
    return offset <= tableOffset_ && size <= tableOffset_ - offset;
  }

  std::optional<std::size_t> objectOffset(std::uint64_t index) const {
    if (index >= objectCount_) return std::nullopt;
    const std::uint64_t offset = unsignedAt(tableOffset_ + static_cast<std::size_t>(index) * offsetSize_, offsetSize_);
    if (offset < kMagic.size() || offset >= tableOffset_) return std::nullopt;
    return static_cast<std::size_t>(offset);
  }

  // The count that follows a marker: its low four bits, or an integer object after it when those are 0xF.
  std::optional<std::uint64_t> countAfter(std::size_t& position, std::uint8_t info) const {
    if (info != 0xF) return info;
    if (!fits(position, 1)) return std::nullopt;
    const auto marker = static_cast<std::uint8_t>(bytes_[position]);
    const std::size_t size = std::size_t{1} << (marker & 0xF);
    if ((marker >> 4) != kInteger || size > 8 || !fits(position + 1, size)) return std::nullopt;
    const std::uint64_t count = unsignedAt(position + 1, size);
    position += 1 + size;
    return count;
  }

  bool spend(std::uint64_t size) {
    if (size > budget_) return false;
    budget_ -= static_cast<std::size_t>(size);
    return true;
  }

  // A text object (the only kind a dictionary key may be).
  std::optional<std::string> text(std::uint64_t index) {
    const auto offset = objectOffset(index);
    if (!offset) return std::nullopt;
    const auto marker = static_cast<std::uint8_t>(bytes_[*offset]);
    std::size_t position = *offset + 1;
    const auto count = countAfter(position, marker & 0xF);
    if (!count) return std::nullopt;
    if ((marker >> 4) == kAsciiText) {
      if (!fits(position, *count) || !spend(*count)) return std::nullopt;
      std::string value(bytes_.substr(position, static_cast<std::size_t>(*count)));
      if (!isPropertyListText(value)) return std::nullopt;
      return value;
    }
    if ((marker >> 4) != kUtf16Text || *count > (tableOffset_ - std::min(position, tableOffset_)) / 2 ||
        !spend(*count * 3)) {
      return std::nullopt;
    }
    std::string value;
    for (std::size_t i = 0; i < *count; ++i) {
      std::uint32_t unit = static_cast<std::uint32_t>(unsignedAt(position + 2 * i, 2));
      if (unit == 0 || (unit >= 0xDC00 && unit <= 0xDFFF)) return std::nullopt;
      if (unit >= 0xD800 && unit <= 0xDBFF) {
        if (i + 1 >= *count) return std::nullopt;
        const auto low = static_cast<std::uint32_t>(unsignedAt(position + 2 * (i + 1), 2));
        if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
      appendUtf8(value, unit);
    }
    return value;
  }

  std::optional<PlistValue> object(std::uint64_t index, int depth) {
    const auto offset = objectOffset(index);
    if (!offset) return std::nullopt;
    const auto marker = static_cast<std::uint8_t>(bytes_[*offset]);
    const std::uint8_t info = marker & 0xF;
    std::size_t position = *offset + 1;
    switch (marker >> 4) {
      case kSimple:
        if (info == 0x8 || info == 0x9) return PlistValue(info == 0x9);
        return std::nullopt;  // null and fill bytes stand for no value
      case kInteger: {
        if (info > 4 || !fits(position, std::uint64_t{1} << info)) return std::nullopt;
        // Sixteen-byte integers hold unsigned values beyond 63 bits: keep the low eight bytes.
        const std::size_t size = std::size_t{1} << info;
        const std::uint64_t value = size == 16 ? unsignedAt(position + 8, 8) : unsignedAt(position, size);
        return PlistValue(static_cast<std::int64_t>(value));
      }
      case kReal:
        if (info == 2 && fits(position, 4)) {
          return PlistValue(static_cast<double>(std::bit_cast<float>(static_cast<std::uint32_t>(unsignedAt(position, 4)))));
        }
        if (info == 3 && fits(position, 8)) return PlistValue(std::bit_cast<double>(unsignedAt(position, 8)));
        return std::nullopt;
      case kDate:
        if (info != 3 || !fits(position, 8)) return std::nullopt;
        return PlistValue(PlistDate{std::bit_cast<double>(unsignedAt(position, 8))});
      case kData: {
        const auto count = countAfter(position, info);
        if (!count || !fits(position, *count) || !spend(*count)) return std::nullopt;
        const auto* begin = reinterpret_cast<const std::uint8_t*>(bytes_.data() + position);
        return PlistValue(Bytes(begin, begin + *count));
      }
      case kAsciiText:
      case kUtf16Text: {
        auto value = text(index);
        if (!value) return std::nullopt;
        return PlistValue(std::move(*value));
      }
      case kUid:
        if (info > 7 || !fits(position, info + 1u)) return std::nullopt;
        return PlistValue(PlistUid{unsignedAt(position, info + 1u)});
      case kArray:
      case kDictionary:
        return container(index, marker >> 4, position, info, depth + 1);
      default:
        return std::nullopt;
    }
  }

  std::optional<PlistValue> container(std::uint64_t index, std::uint8_t kind, std::size_t position, std::uint8_t info,
                                      int depth) {
    // A container met a second time is a loop or a copy no writer makes.
    if (depth > kMaximumPropertyListNesting || containerSeen_[static_cast<std::size_t>(index)]) return std::nullopt;
    containerSeen_[static_cast<std::size_t>(index)] = true;
    const auto count = countAfter(position, info);
    const std::size_t referencesPerEntry = kind == kDictionary ? 2 : 1;
    if (!count || *count > (tableOffset_ - std::min(position, tableOffset_)) / (referencesPerEntry * referenceSize_)) {
      return std::nullopt;
    }
    auto reference = [&](std::uint64_t i) {
      return unsignedAt(position + static_cast<std::size_t>(i) * referenceSize_, referenceSize_);
    };
    if (kind == kArray) {
      PlistArray array;
      array.reserve(static_cast<std::size_t>(*count));
      for (std::uint64_t i = 0; i < *count; ++i) {
        auto item = object(reference(i), depth);
        if (!item) return std::nullopt;
        array.push_back(std::move(*item));
      }
      return PlistValue(std::move(array));
    }
    PlistDict dict;
    for (std::uint64_t i = 0; i < *count; ++i) {
      auto key = text(reference(i));
      auto value = key ? object(reference(*count + i), depth) : std::nullopt;
      if (!value) return std::nullopt;
      dict.emplace(std::move(*key), std::move(*value));
    }
    return PlistValue(std::move(dict));
  }

  std::string_view bytes_;
  std::size_t budget_;
  std::size_t offsetSize_ = 0;
  std::size_t referenceSize_ = 0;
  std::size_t tableOffset_ = 0;
  std::uint64_t objectCount_ = 0;
  std::vector<bool> containerSeen_;
};

}  // namespace

std::optional<PlistValue> decodeBinaryPropertyList(std::string_view bytes) { return Reader(bytes).read(); }

bool isPropertyListText(std::string_view text) {
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) return false;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(text.size());
  for (std::int32_t i = 0; i < length;) {
    UChar32 character = 0;
    U8_NEXT(bytes, i, length, character);
    if (character <= 0) return false;  // a NUL, or a malformed sequence (negative)
  }
  return true;
}

}  // namespace instala::platform
