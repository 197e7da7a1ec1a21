#pragma once
// Checks on the shape of multipart boundaries, shared by the form and upload tests.

#include <string_view>

namespace instala::testing {

// "instala.boundary." followed by 16 lower-case hexadecimal digits.
inline bool isFormBoundary(std::string_view text) {
  constexpr std::string_view prefix = "instala.boundary.";
  if (text.size() != prefix.size() + 16 || text.substr(0, prefix.size()) != prefix) return false;
  for (char c : text.substr(prefix.size())) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

}  // namespace instala::testing
