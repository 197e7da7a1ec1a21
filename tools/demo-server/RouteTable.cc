#include "RouteTable.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace instala::demo {
namespace {

using platform::Error;

constexpr std::string_view kSearchPlaceholder = "{searchText}";

// Defaults when the bundle has no Info.plist (the source tree's bundle has only
// the template); they match what the build writes into it.
constexpr const char* kDefaultDocumentsURL = "http://127.0.0.1:8765/documents";
constexpr const char* kDefaultGeocoderURL = "http://127.0.0.1:8765/geocode/search";
constexpr const char* kDefaultTilesURL = "http://127.0.0.1:8765/tiles/{z}/{x}/{y}.png";

// "http://host:port/a/b" -> "/a/b"; a text without a scheme is taken as a path.
std::optional<std::string> urlPath(const std::string& url) {
  auto scheme = url.find("://");
  if (scheme == std::string::npos) return url.empty() || url.front() != '/' ? std::nullopt : std::optional(url);
  auto slash = url.find('/', scheme + 3);
  if (slash == std::string::npos) return std::nullopt;
  return url.substr(slash);
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

}  // namespace

std::string RouteTable::regexEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (std::string_view(".^$|()[]{}*+?\\").find(c) != std::string_view::npos) out += '\\';
    out += c;
  }
  return out;
}

platform::Result<RouteTable> RouteTable::load(const platform::Bundle& bundle) {
  auto file = bundle.pathForResource("Endpoints", "plist");
  if (!file) return Error{"no Endpoints.plist in the bundle " + bundle.root().string()};
  auto root = platform::readPropertyListFile(file->string());
  const platform::PlistValue* endpoints = root ? platform::dictValue(*root, "Endpoints") : nullptr;
  if (!endpoints || !endpoints->is<platform::PlistDict>())
    return Error{file->string() + " has no \"Endpoints\" dictionary"};

  RouteTable table;
  for (Endpoint endpoint : kAllEndpoints) {
    const std::string name(endpointName(endpoint));
    const platform::PlistValue* entry = platform::dictValue(*endpoints, name);
    auto url = entry ? platform::dictString(*entry, "URL") : std::nullopt;
    if (!url || url->empty() || url->front() != '/') {
      return Error{file->string() + ": \"" + name + "\" needs a URL path starting with \"/\""};
    }
    const auto question = url->find('?');
    const std::string path = url->substr(0, question);
    const std::string query = question == std::string::npos ? "" : url->substr(question + 1);
    std::string pattern = regexEscape(path);

    if (endpoint == Endpoint::search) {
      const std::string escaped = regexEscape(std::string(kSearchPlaceholder));
      if (pattern.find(escaped) != std::string::npos) {
        pattern = replaceAll(pattern, escaped, "(.*)");
      } else {
        // Look for "name={searchText}" among the query's parameters.
        std::size_t start = 0;
        while (start <= query.size() && table.searchParameter_.empty()) {
          auto end = query.find('&', start);
          if (end == std::string::npos) end = query.size();
          const std::string parameter = query.substr(start, end - start);
          auto equals = parameter.find('=');
          if (equals != std::string::npos && equals > 0 && parameter.substr(equals + 1) == kSearchPlaceholder) {
            table.searchParameter_ = parameter.substr(0, equals);
          }
          start = end + 1;
        }
        if (table.searchParameter_.empty()) {
          return Error{file->string() + ": the \"search\" URL must carry {searchText} in its path or as a query value"};
        }
      }
    }
    table.paths_[index(endpoint)] = path;
    table.patterns_[index(endpoint)] = pattern;
  }

  auto info = bundle.infoDictionary();
  auto infoURL = [&](const char* key, const char* fallback) {
    auto value = info ? platform::dictString(*info, key) : std::nullopt;
    return value.value_or(fallback);
  };
  auto documents = urlPath(infoURL("InstalaDocumentBaseURL", kDefaultDocumentsURL));
  auto geocoder = urlPath(infoURL("InstalaGeocoderURL", kDefaultGeocoderURL));
  auto tiles = urlPath(infoURL("InstalaTileURLTemplate", kDefaultTilesURL));
  if (!documents || !geocoder || !tiles)
    return Error{"Info.plist holds a document, geocoder or tile URL without a path"};
  table.documentsPath_ = *documents;
  table.geocoderPath_ = *geocoder;
  table.tilesPath_ = *tiles;
  // A base URL may end with "/"; the document path brings its own.
  std::string base = *documents;
  while (!base.empty() && base.back() == '/') base.pop_back();
  table.documentsPattern_ = regexEscape(base) + "(/.+)";
  table.geocoderPattern_ = regexEscape(*geocoder);

  std::string tilesPattern = regexEscape(*tiles);
  std::vector<std::pair<std::size_t, char>> found;
  for (char axis : {'z', 'x', 'y'}) {
    const std::string escaped = regexEscape(std::string("{") + axis + "}");
    auto at = tilesPattern.find(escaped);
    if (at == std::string::npos) return Error{"the tile URL template needs {z}, {x} and {y}: " + *tiles};
    found.emplace_back(at, axis);
  }
  std::sort(found.begin(), found.end());
  for (std::size_t i = 0; i < found.size(); ++i) table.tileOrder_[i] = found[i].second;
  for (char axis : {'z', 'x', 'y'}) {
    tilesPattern = replaceAll(tilesPattern, regexEscape(std::string("{") + axis + "}"), "([0-9]{1,9})");
  }
  table.tilesPattern_ = tilesPattern;
  return table;
}

}  // namespace instala::demo
