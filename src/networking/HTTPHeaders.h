#pragma once
// Header dictionaries. Names compare without regard to case, as HTTP defines
// them, so a request's "content-type" replaces a default "Content-Type".

#include <map>
#include <string>
#include <string_view>

namespace instala {

struct CaseInsensitiveLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

using HTTPHeaders = std::map<std::string, std::string, CaseInsensitiveLess>;

// A header name must be an HTTP token; a value must not hold CR, LF or NUL,
// which would end the header line early and let the rest pose as new headers.
bool isValidHeaderName(std::string_view name);
bool isValidHeaderValue(std::string_view value);

}  // namespace instala
