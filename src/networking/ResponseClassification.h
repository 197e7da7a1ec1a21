#pragma once
// How the request layer reads the answer of a JSON request, on the session's
// worker. Internal to the request layer (and its tests): it brings in the full
// JSON parser.

#include "models/Json.h"
#include "networking/HTTPResponse.h"
#include "networking/RequestError.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>

namespace instala::detail {

struct DataOutcome {
  std::optional<RequestError> error;
  std::optional<Json> json;  // present only for a 200 answer with a JSON body
  std::optional<int> status;
};

// The answer of a JSON request, before record decoding:
// | failed exchange (no connection, time-out, invalid URL) | error    | —    | —      |
// | a body decoding past `limit` bytes                     | tooLarge | —    | —      |
// | no HTTP answer and no error                            | —        | —    | —      |
// | a status other than 200 (body never read)              | —        | —    | status |
// | 200 with a JSON body                                   | —        | JSON | 200    |
// | 200, body empty, not JSON or badly coded               | decoding | —    | 200    |
DataOutcome classifyDataResponse(HTTPResponse response, std::uint64_t limit);

}  // namespace instala::detail
