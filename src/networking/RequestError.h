#pragma once
// Why an exchange produced no usable answer. Callers only look at whether an
// error is present; the kind and the text are for tests and logs, never for
// the user.

#include <ostream>
#include <string>
#include <string_view>

namespace instala {

struct RequestError {
  enum class Kind {
    invalidURL,       // the URL text is no http(s) URL; nothing was sent
    invalidRequest,   // a header or the parameters cannot be sent as given; nothing was sent
    transport,        // no connection, dropped connection, TLS failure
    timedOut,         // connect time-out, or the idle time-out of a silent exchange
    cancelled,        // the caller cancelled it, or the session ended before it did
    tooLarge,         // the answer grew past the session's cap, on the wire or decoded; it was not kept
    contentDecoding,  // the body is not valid in the content coding the server named
    decoding,         // a 200 answer whose body is not the expected record
    bodyPart,         // a part could not be added to a multipart form
    bodyEncoding,     // the multipart body could not be built or written
    emptyBody,        // an upload answer without a body
    notJSON,          // an upload answer whose body is not JSON
  };

  Kind kind;
  std::string message;

  bool operator==(const RequestError&) const = default;
};

constexpr std::string_view kindName(RequestError::Kind kind) {
  switch (kind) {
    case RequestError::Kind::invalidURL: return "invalidURL";
    case RequestError::Kind::invalidRequest: return "invalidRequest";
    case RequestError::Kind::transport: return "transport";
    case RequestError::Kind::timedOut: return "timedOut";
    case RequestError::Kind::cancelled: return "cancelled";
    case RequestError::Kind::tooLarge: return "tooLarge";
    case RequestError::Kind::contentDecoding: return "contentDecoding";
    case RequestError::Kind::decoding: return "decoding";
    case RequestError::Kind::bodyPart: return "bodyPart";
    case RequestError::Kind::bodyEncoding: return "bodyEncoding";
    case RequestError::Kind::emptyBody: return "emptyBody";
    case RequestError::Kind::notJSON: return "notJSON";
  }
  return "";
}

inline std::ostream& operator<<(std::ostream& os, RequestError::Kind kind) { return os << kindName(kind); }
inline std::ostream& operator<<(std::ostream& os, const RequestError& error) {
  return os << kindName(error.kind) << ": " << error.message;
}

}  // namespace instala
