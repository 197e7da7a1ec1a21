#include "networking/ResponseClassification.h"

#include "networking/ContentDecoder.h"

namespace instala::detail {

DataOutcome classifyDataResponse(HTTPResponse response, std::uint64_t limit) {
  if (response.error) return {response.error, std::nullopt, std::nullopt};
  if (!response.status) return {};
  if (*response.status != 200) return {std::nullopt, std::nullopt, response.status};
  auto decoded = takeDecodedBody(response, limit);
  if (auto* error = std::get_if<RequestError>(&decoded)) {
    // Past the cap the exchange has failed; there is no answer to classify.
    if (error->kind == RequestError::Kind::tooLarge) return {*error, std::nullopt, std::nullopt};
    return {RequestError{RequestError::Kind::decoding, error->message}, std::nullopt, 200};
  }
  const auto& body = std::get<std::string>(decoded);
  if (body.empty()) return {RequestError{RequestError::Kind::decoding, "the answer has no body"}, std::nullopt, 200};
  Json json = Json::parse(body, nullptr, /*allow_exceptions=*/false);
  if (json.is_discarded())
    return {RequestError{RequestError::Kind::decoding, "the answer is not JSON"}, std::nullopt, 200};
  return {std::nullopt, std::move(json), 200};
}

}  // namespace instala::detail
