#pragma once
// A property-list value and its XML / binary encodings. libplist writes both and
// parses XML; binary documents are read by our own bounded reader.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace instala::platform {

using Bytes = std::vector<std::uint8_t>;

class PlistValue;
using PlistArray = std::vector<PlistValue>;
using PlistDict = std::map<std::string, PlistValue>;

// A point in time: seconds since 2001-01-01 00:00:00 UTC, as property lists count them.
struct PlistDate {
  double secondsSince2001 = 0;
  bool operator==(const PlistDate&) const = default;
};

// A keyed archive's object reference.
struct PlistUid {
  std::uint64_t value = 0;
  bool operator==(const PlistUid&) const = default;
};

// Containers nested deeper than this (the root container counts as one) are
// refused by the decoder: the documents of the application nest a few levels.
inline constexpr int kMaximumPropertyListNesting = 512;

class PlistValue {
 public:
  using Storage =
      std::variant<std::string, bool, std::int64_t, double, Bytes, PlistArray, PlistDict, PlistDate, PlistUid>;

  PlistValue() : storage_(std::string()) {}
  PlistValue(std::string text) : storage_(std::move(text)) {}
  PlistValue(const char* text) : storage_(std::string(text)) {}
  PlistValue(bool flag) : storage_(flag) {}
  PlistValue(std::int64_t number) : storage_(number) {}
  PlistValue(int number) : storage_(std::int64_t{number}) {}
  PlistValue(double number) : storage_(number) {}
  PlistValue(Bytes data) : storage_(std::move(data)) {}
  PlistValue(PlistArray array) : storage_(std::move(array)) {}
  PlistValue(PlistDict dict) : storage_(std::move(dict)) {}
  PlistValue(PlistDate date) : storage_(date) {}
  PlistValue(PlistUid uid) : storage_(uid) {}

  template <typename T>
  const T* get() const { return std::get_if<T>(&storage_); }
  template <typename T>
  bool is() const { return std::holds_alternative<T>(storage_); }

  const Storage& storage() const { return storage_; }
  bool operator==(const PlistValue&) const = default;

 private:
  Storage storage_;
};

enum class PlistFormat { xml, binary };

// Encodes a value; returns nothing only when libplist refuses it.
std::optional<Bytes> encodePropertyList(const PlistValue& value, PlistFormat format);

// Decodes XML or binary (detected from the bytes). Nothing when the bytes are
// not a property list, or are damaged: a text holding a NUL character, a
// nesting deeper than kMaximumPropertyListNesting, a binary object table that
// points outside itself or loops. Every value kind is read, dates and UIDs
// included. Integers are signed 64-bit: a larger unsigned number comes back
// through its two's complement, as libplist gives it.
std::optional<PlistValue> decodePropertyList(const Bytes& bytes);
std::optional<PlistValue> decodePropertyList(std::string_view bytes);

// Reads a whole file (a regular file only, see readFile); nothing when it cannot be read or is not a property list.
std::optional<PlistValue> readPropertyListFile(const std::string& path);

// Lookup helpers for dictionaries read from files.
const PlistValue* dictValue(const PlistValue& dict, const std::string& key);
std::optional<std::string> dictString(const PlistValue& dict, const std::string& key);

}  // namespace instala::platform
