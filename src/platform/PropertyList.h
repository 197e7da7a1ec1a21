#pragma once
// A property-list value and its XML / binary encodings (libplist underneath).

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

class PlistValue {
 public:
  using Storage = std::variant<std::string, bool, std::int64_t, double, Bytes, PlistArray, PlistDict>;

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

// Decodes XML or binary (detected from the bytes). Nothing when the bytes are not a property list.
// libplist has no signed integers: negative numbers come back through their two's complement.
std::optional<PlistValue> decodePropertyList(const Bytes& bytes);
std::optional<PlistValue> decodePropertyList(std::string_view bytes);

// Reads a whole file; nothing when it cannot be read or is not a property list.
std::optional<PlistValue> readPropertyListFile(const std::string& path);

// Lookup helpers for dictionaries read from files.
const PlistValue* dictValue(const PlistValue& dict, const std::string& key);
std::optional<std::string> dictString(const PlistValue& dict, const std::string& key);

}  // namespace instala::platform
