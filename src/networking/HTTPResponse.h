#pragma once
// What one exchange produced, as the session hands it back.

#include "networking/HTTPHeaders.h"
#include "networking/RequestError.h"

#include <optional>
#include <string>

namespace instala {

struct HTTPResponse {
  // The exchange failed (no connection, time-out, invalid request, …).
  std::optional<RequestError> error;
  // The status of the final answer, when one arrived.
  std::optional<int> status;
  // Headers of the final answer; a repeated name holds its values joined by ", ".
  HTTPHeaders headers;
  // The body as it came over the wire, still content-coded. Empty when the
  // request asked to keep only the body of a 200 answer and the status was another.
  std::string body;
};

}  // namespace instala
