#include "networking/HTTPGeocoder.h"

#include "networking/ContentDecoder.h"
#include "networking/HTTPRequest.h"
#include "networking/ServerAPI.h"

#include <nlohmann/json.hpp>

namespace instala {
namespace {

std::optional<Coordinate> placeIn(HTTPResponse response, std::uint64_t limit) {
  if (response.error || response.status != 200) return std::nullopt;
  auto decoded = takeDecodedBody(response, limit);
  const auto* body = std::get_if<std::string>(&decoded);
  if (!body) return std::nullopt;
  Json answer = Json::parse(*body, nullptr, /*allow_exceptions=*/false);
  if (answer.is_discarded()) return std::nullopt;
  return firstPlaceCoordinate(answer);
}

}  // namespace

HTTPGeocoder::HTTPGeocoder(std::string baseURL, Session& session) : baseURL_(std::move(baseURL)), session_(session) {}

std::shared_ptr<HTTPGeocoder> HTTPGeocoder::fromBundle(const platform::Bundle& bundle, Session& session) {
  auto url = bundle.infoString(kInfoKey);
  if (!url || url->empty()) return nullptr;
  return std::make_shared<HTTPGeocoder>(*url, session);
}

std::string HTTPGeocoder::searchURL(const std::string& baseURL, const std::string& address) {
  const char separator = baseURL.find('?') == std::string::npos ? '?' : '&';
  return baseURL + separator + "q=" + ServerAPI::percentEncoded(address) + "&format=json";
}

void HTTPGeocoder::geocodeAddressString(const std::string& address, Completion completion) {
  HTTPHeaders headers{{"Accept", "application/json"}};
  auto built = HTTPRequest::make(searchURL(baseURL_, address), HTTPMethod::GET, headers, std::nullopt);
  if (std::holds_alternative<RequestError>(built)) {
    session_.mainLoop().async([completion = std::move(completion)] {
      if (completion) completion(std::nullopt);
    });
    return;
  }
  // The answer is read on the session's worker; the main loop only gets the place.
  session_.startReading(std::move(std::get<HTTPRequest>(built)), /*keepBodyOnlyOn200=*/true,
                        [completion = std::move(completion), limit = session_.configuration().maxAnswerSize](
                            HTTPResponse response) mutable -> std::function<void()> {
                          return [completion = std::move(completion), place = placeIn(std::move(response), limit)] {
                            if (completion) completion(place);
                          };
                        });
}

}  // namespace instala
