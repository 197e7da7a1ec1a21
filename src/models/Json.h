#pragma once
// The JSON value the records are decoded from and encoded to. Only the
// declaration: a file that builds or reads JSON includes <nlohmann/json.hpp>
// itself, so the full parser stays out of every header.

#include <nlohmann/json_fwd.hpp>

namespace instala {

// Keeps member order, which the search answer's documents follow.
using Json = nlohmann::ordered_json;

}  // namespace instala
