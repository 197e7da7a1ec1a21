#include "models/JsonFields.h"

#include <cmath>

namespace instala::json_fields {

std::optional<std::string> text(const Json& object, const char* key) {
  auto it = object.find(key);
  if (it == object.end() || !it->is_string()) return std::nullopt;
  return it->get<std::string>();
}

std::optional<std::string> text(Json& object, const char* key) {
  auto it = object.find(key);
  if (it == object.end() || !it->is_string()) return std::nullopt;
  return std::move(it->get_ref<std::string&>());
}

std::optional<std::int64_t> integer(const Json& object, const char* key) {
  auto it = object.find(key);
  if (it == object.end()) return std::nullopt;
  if (it->is_number_unsigned()) {
    auto value = it->get<std::uint64_t>();
    if (value > static_cast<std::uint64_t>(INT64_MAX)) return std::nullopt;
    return static_cast<std::int64_t>(value);
  }
  if (it->is_number_integer()) return it->get<std::int64_t>();
  if (it->is_number_float()) {
    double value = it->get<double>();
    // Integer texts that fit arrive as integers above. A double at -2^63 may
    // stand for -9223372036854775809 (the nearest double), so only values
    // strictly inside the range count.
    if (!std::isfinite(value) || std::trunc(value) != value || value <= -9223372036854775808.0 ||
        value >= 9223372036854775808.0) {
      return std::nullopt;
    }
    return static_cast<std::int64_t>(value);
  }
  return std::nullopt;
}

}  // namespace instala::json_fields
