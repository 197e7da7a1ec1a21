#pragma once
// A coding key made at run time, used to walk an object whose member names vary.

#include <cstdint>
#include <optional>
#include <string>

namespace instala {

class DynamicKey {
 public:
  explicit DynamicKey(std::string stringValue) : stringValue_(std::move(stringValue)) {}
  // Integer keys are refused: there is no such key.
  static std::optional<DynamicKey> fromInt(std::int64_t) { return std::nullopt; }

  const std::string& stringValue() const { return stringValue_; }
  const std::optional<std::int64_t>& intValue() const { return intValue_; }

 private:
  std::string stringValue_;
  std::optional<std::int64_t> intValue_;
};

}  // namespace instala
