#include "networking/HTTPRequest.h"

#include <curl/curl.h>
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
  std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> parsed(curl_url(), &curl_url_cleanup);
  if (!parsed) return "out of memory";
  if (const CURLUcode code = curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0); code != CURLUE_OK) {
    return std::string("malformed URL: ") + curl_url_strerror(code);
  }
  char* scheme = nullptr;
  if (curl_url_get(parsed.get(), CURLUPART_SCHEME, &scheme, 0) != CURLUE_OK || !scheme) return "the URL has no scheme";
  const std::string schemeText = lowercase(scheme);
  curl_free(scheme);
  if (schemeText != "http" && schemeText != "https") return "unsupported scheme \"" + schemeText + "\"";
  char* host = nullptr;
  if (curl_url_get(parsed.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK || !host) return "the URL has no host";
  const bool hasHost = *host != '\0';
  curl_free(host);
  if (!hasHost) return "the URL has no host";
  return std::nullopt;
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
