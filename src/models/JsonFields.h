#pragma once
// The per-field decoding rule shared by the server records: a missing key, a
// null or a value of the wrong JSON type makes the field absent, never the
// record invalid. Used by the records' own .cc files. Each reader also takes a
// document that is decoded for the last time (not const): texts are then moved
// out of it instead of copied.

#include "models/Json.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace instala::json_fields {

std::optional<std::string> text(const Json& object, const char* key);
std::optional<std::string> text(Json& object, const char* key);
// A JSON number with a whole value that fits a signed 64-bit integer (7 and 7.0,
// not 12.5, 2^63 or -2^63 - 1). A whole number written with a fraction or an
// exponent counts only strictly inside the range, where no out-of-range text
// rounds to it.
std::optional<std::int64_t> integer(const Json& object, const char* key);

// A list is present only when every element decodes as a record (is an object).
template <typename Record, typename Object>
std::optional<std::vector<Record>> list(Object& object, const char* key) {
  auto it = object.find(key);
  if (it == object.end() || !it->is_array()) return std::nullopt;
  std::vector<Record> records;
  records.reserve(it->size());
  for (auto& element : *it) {
    // From a const document this picks the copying decode.
    auto record = Record::decode(std::move(element));
    if (!record) return std::nullopt;
    records.push_back(std::move(record).value());
  }
  return records;
}

// Writes only present fields.
template <typename T>
void put(Json& object, const char* key, const std::optional<T>& value) {
  if (value) object[key] = *value;
}

}  // namespace instala::json_fields
