#include "networking/ServerAPI.h"

#include <nlohmann/json.hpp>

namespace instala {

ServerAPI::ServerAPI() : ServerAPI(Networking::shared(), Session::shared()) {}

ServerAPI::ServerAPI(const Networking& networking, Session& session) : networking_(networking), session_(session) {}

std::string ServerAPI::authorizationValue(const std::string& token) { return "Bearer " + token; }

std::string ServerAPI::percentEncoded(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(text.size() * 3);
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                            (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~';
    if (unreserved) {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0x0F];
    }
  }
  return encoded;
}

std::string ServerAPI::searchURL(std::string_view urlTemplate, std::string_view searchText) {
  const std::string replacement = percentEncoded(searchText);
  std::string url;
  std::size_t position = 0;
  for (;;) {
    const std::size_t found = urlTemplate.find(kSearchPlaceholder, position);
    if (found == std::string_view::npos) break;
    url.append(urlTemplate.substr(position, found - position));
    url.append(replacement);
    position = found + kSearchPlaceholder.size();
  }
  url.append(urlTemplate.substr(position));
  return url;
}

HTTPHeaders ServerAPI::headers(const std::optional<std::string>& token) const {
  HTTPHeaders headers{{"Content-Type", "application/json"}};
  if (token) headers.emplace("Authorization", authorizationValue(*token));
  return headers;
}

void ServerAPI::signIn(const std::string& email, const std::string& password,
                       RequestCompletion<User> completion) const {
  Parameters parameters{{"email", email}, {"password", password}};
  performRequest<User>(session_, networking_.endpointURL(Endpoint::signIn), HTTPMethod::POST, headers(std::nullopt),
                       parameters, true, std::move(completion));
}

void ServerAPI::signOut(const std::string& token, RequestCompletion<User> completion) const {
  performRequest<User>(session_, networking_.endpointURL(Endpoint::signOut), HTTPMethod::DELETE, headers(token),
                       std::nullopt, true, std::move(completion));
}

void ServerAPI::activeTickets(const std::string& token, RequestCompletion<Tickets> completion) const {
  performRequest<Tickets>(session_, networking_.endpointURL(Endpoint::activeTickets), HTTPMethod::GET, headers(token),
                          std::nullopt, true, std::move(completion));
}

void ServerAPI::closedTickets(const std::string& token, RequestCompletion<Tickets> completion) const {
  performRequest<Tickets>(session_, networking_.endpointURL(Endpoint::closedTickets), HTTPMethod::GET, headers(token),
                          std::nullopt, true, std::move(completion));
}

void ServerAPI::search(const std::string& token, const std::string& searchText,
                       RequestCompletion<Documents> completion) const {
  performRequest<Documents>(session_, searchURL(networking_.endpointURL(Endpoint::search), searchText), HTTPMethod::GET,
                            headers(token), std::nullopt, true, std::move(completion));
}

void ServerAPI::postData(const std::string& token, const std::string& idempotencyKey, FormBuilder formBuilder,
                         EncodingCompletion encodingCompletion) const {
  auto withKey = headers(token);
  withKey.emplace(kIdempotencyKeyHeader, idempotencyKey);
  uploadMultipart(session_, std::move(formBuilder), kUploadMemoryThreshold, networking_.endpointURL(Endpoint::postData),
                  HTTPMethod::POST, withKey, std::move(encodingCompletion));
}

}  // namespace instala
