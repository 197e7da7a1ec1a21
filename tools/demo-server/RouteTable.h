#pragma once
// Where the demo server answers, read from the application bundle so that the
// server and the application never disagree: the seven endpoint paths of
// Endpoints.plist, and the paths of the document, geocoder and tile URLs of
// Info.plist. Paths become the regular expressions the HTTP server routes by.

#include "networking/Endpoint.h"
#include "platform/Bundle.h"
#include "platform/Result.h"

#include <array>
#include <string>

namespace instala::demo {

class RouteTable {
 public:
  static platform::Result<RouteTable> load(const platform::Bundle& bundle);

  // The configured path without its query, e.g. "/api/v1/tickets/active".
  const std::string& path(Endpoint endpoint) const { return paths_[index(endpoint)]; }
  // `path` as an anchored regular expression; for "search" a placeholder in
  // the path becomes capture group 1.
  const std::string& pattern(Endpoint endpoint) const { return patterns_[index(endpoint)]; }
  // The query parameter that carries the search text ("text" for
  // ".../search?text={searchText}"); empty when the text travels in the path.
  const std::string& searchParameter() const { return searchParameter_; }

  // "/documents(/.*)": the document path is capture group 1.
  const std::string& documentsPattern() const { return documentsPattern_; }
  const std::string& geocoderPattern() const { return geocoderPattern_; }
  // The tile template's path with {z}, {x}, {y} as capture groups; tileOrder
  // says which of z, x, y each group holds.
  const std::string& tilesPattern() const { return tilesPattern_; }
  const std::array<char, 3>& tileOrder() const { return tileOrder_; }

  const std::string& documentsPath() const { return documentsPath_; }
  const std::string& geocoderPath() const { return geocoderPath_; }
  const std::string& tilesPath() const { return tilesPath_; }

  static std::string regexEscape(const std::string& text);

 private:
  static std::size_t index(Endpoint endpoint) { return static_cast<std::size_t>(endpoint); }

  std::array<std::string, kAllEndpoints.size()> paths_;
  std::array<std::string, kAllEndpoints.size()> patterns_;
  std::string searchParameter_;
  std::string documentsPath_, geocoderPath_, tilesPath_;
  std::string documentsPattern_, geocoderPattern_, tilesPattern_;
  std::array<char, 3> tileOrder_{'z', 'x', 'y'};
};

}  // namespace instala::demo
