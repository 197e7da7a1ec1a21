#pragma once
// The request methods, named as they go on the wire.

#include <string_view>

namespace instala {

enum class HTTPMethod { OPTIONS, GET, HEAD, POST, PUT, PATCH, DELETE, TRACE, CONNECT };

constexpr std::string_view methodName(HTTPMethod method) {
  switch (method) {
    case HTTPMethod::OPTIONS: return "OPTIONS";
    case HTTPMethod::GET: return "GET";
    case HTTPMethod::HEAD: return "HEAD";
    case HTTPMethod::POST: return "POST";
    case HTTPMethod::PUT: return "PUT";
    case HTTPMethod::PATCH: return "PATCH";
    case HTTPMethod::DELETE: return "DELETE";
    case HTTPMethod::TRACE: return "TRACE";
    case HTTPMethod::CONNECT: return "CONNECT";
  }
  return "";
}

}  // namespace instala
