#pragma once
// One request as the session sends it, and the rules for building it from what
// a caller hands to the request layer.

#include "models/Json.h"
#include "networking/HTTPHeaders.h"
#include "networking/HTTPMethod.h"
#include "networking/RequestBody.h"
#include "networking/RequestError.h"

#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace instala {

// Parameters are a JSON object; its members are sent in the order they hold.
using Parameters = Json;

struct HTTPRequest {
  std::string url;
  HTTPMethod method = HTTPMethod::GET;
  // The request's own headers; the session adds its defaults for names not here.
  HTTPHeaders headers;
  std::shared_ptr<RequestBody> body;  // none: nothing is sent after the headers

  // 1. The URL text must be an absolute http or https URL written with URL
  //    characters only (RFC 3986, "%" only as the start of an escape).
  // 2. Header names must be tokens and values single lines.
  // 3. Parameters become one compact JSON object in the body, with
  //    "Content-Type: application/json" unless the headers name a Content-Type;
  //    without parameters there is no body and no Content-Type is added.
  // Any failure is reported before anything is sent.
  static std::variant<HTTPRequest, RequestError> make(const std::string& url, HTTPMethod method,
                                                      const std::optional<HTTPHeaders>& headers,
                                                      const std::optional<Parameters>& parameters);
};

// The URL rule of make(): nothing when the text is usable, the reason otherwise.
std::optional<std::string> urlProblem(const std::string& url);

}  // namespace instala
