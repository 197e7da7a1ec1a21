#include "networking/HTTPRequest.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <string_view>

namespace instala {
namespace {

bool isHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

bool isURLCharacter(char c) {
  static constexpr std::string_view kAllowed = "-._~:/?#[]@!$&'()*+,;=";
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || kAllowed.find(c) != std::string_view::npos;
}

std::string lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// host [":" port] after an optional "userinfo@"; the host is a bracketed IPv6
// address or a non-empty name, the port at most 65535.
std::optional<std::string> authorityProblem(std::string_view authority) {
  if (const auto at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
  std::string_view host = authority;
  std::string_view port;
  if (authority.starts_with('[')) {
    const auto close = authority.find(']');
    if (close == std::string_view::npos) return "malformed URL: an IPv6 address without its \"]\"";
    host = authority.substr(0, close + 1);
    const std::string_view rest = authority.substr(close + 1);
    if (!rest.empty() && !rest.starts_with(':')) return "malformed URL: text after the IPv6 address";
    if (!rest.empty()) port = rest.substr(1);
    if (host.size() == 2 || host.find_first_not_of("0123456789abcdefABCDEF:.", 1) != host.size() - 1) {
      return "malformed URL: the IPv6 address is not one";
    }
  } else {
    if (const auto colon = authority.find(':'); colon != std::string_view::npos) {
      host = authority.substr(0, colon);
      port = authority.substr(colon + 1);
    }
    if (host.empty()) return "the URL has no host";
    if (host.find_first_of("[]") != std::string_view::npos) return "malformed URL: a bracket outside an IPv6 address";
  }
  if (port.size() > 5 || port.find_first_not_of("0123456789") != std::string_view::npos ||
      (!port.empty() && std::stoul(std::string(port)) > 65535)) {
    return "malformed URL: the port is not a number up to 65535";
  }
  return std::nullopt;
}

RequestError invalidRequest(std::string message) {
  return RequestError{RequestError::Kind::invalidRequest, std::move(message)};
}

}  // namespace

std::optional<std::string> urlProblem(const std::string& url) {
  if (url.empty()) return "the URL is empty";
  for (std::size_t i = 0; i < url.size(); ++i) {
    if (url[i] == '%') {
      if (i + 2 >= url.size() || !isHexDigit(url[i + 1]) || !isHexDigit(url[i + 2])) {
        return "\"%\" does not start an escape at offset " + std::to_string(i);
      }
    } else if (!isURLCharacter(url[i])) {
      return "character " + std::to_string(static_cast<unsigned char>(url[i])) + " at offset " + std::to_string(i) +
             " is not allowed in a URL";
    }
  }
  // Read here rather than by libcurl, which a screen's first request would
  // otherwise load on the main thread just to check its address.
  const auto colon = url.find(':');
  if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(url[0]))) {
    return "the URL has no scheme";
  }
  const std::string scheme = lowercase(url.substr(0, colon));
  if (scheme != "http" && scheme != "https") return "unsupported scheme \"" + scheme + "\"";
  if (url.compare(colon + 1, 2, "//") != 0) return "the URL has no host";
  const std::size_t authorityStart = colon + 3;
  const std::string_view authority =
      std::string_view(url).substr(authorityStart, url.find_first_of("/?#", authorityStart) - authorityStart);
  return authorityProblem(authority);
}

std::variant<HTTPRequest, RequestError> HTTPRequest::make(const std::string& url, HTTPMethod method,
                                                          const std::optional<HTTPHeaders>& headers,
                                                          const std::optional<Parameters>& parameters) {
  if (auto problem = urlProblem(url)) return RequestError{RequestError::Kind::invalidURL, *problem + ": " + url};
  HTTPRequest request;
  request.url = url;
  request.method = method;
  if (headers) {
    for (const auto& [name, value] : *headers) {
      if (!isValidHeaderName(name)) return invalidRequest("\"" + name + "\" is not a header name");
      if (!isValidHeaderValue(value)) return invalidRequest("the value of header " + name + " holds a line break");
    }
    request.headers = *headers;
  }
  if (parameters) {
    if (!parameters->is_object()) return invalidRequest("parameters must be a JSON object");
    if (method == HTTPMethod::HEAD) return invalidRequest("a HEAD request cannot carry parameters");
    std::string body;
    try {
      body = parameters->dump();
    } catch (const Json::exception& error) {
      return invalidRequest(std::string("parameters cannot be written as JSON: ") + error.what());
    }
    request.body = std::make_shared<RequestBody>(std::move(body));
    request.headers.emplace("Content-Type", "application/json");  // kept when the caller set one
  }
  return request;
}

}  // namespace instala
