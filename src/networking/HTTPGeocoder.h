#pragma once
// The application's geocoder: a place search service in the OpenStreetMap
// search form, asked with GET <base>?q=<address>&format=json and answering a
// JSON array of places whose first one is taken. Sent through the shared
// session without the loading overlay: the map fills in when the answer comes.

#include "networking/Geocoder.h"
#include "networking/Session.h"
#include "platform/Bundle.h"

#include <memory>
#include <string>

namespace instala {

class HTTPGeocoder final : public Geocoder {
 public:
  static constexpr const char* kInfoKey = "InstalaGeocoderURL";

  explicit HTTPGeocoder(std::string baseURL, Session& session = Session::shared());

  // The service named under "InstalaGeocoderURL" in the bundle's Info.plist;
  // null when the key is missing or empty.
  static std::shared_ptr<HTTPGeocoder> fromBundle(const platform::Bundle& bundle, Session& session = Session::shared());

  const std::string& baseURL() const { return baseURL_; }

  // Answers on the main queue: the first place, or nothing for an empty
  // answer, a status other than 200, a body that is not such an array, an
  // unusable URL or an unreachable service.
  void geocodeAddressString(const std::string& address, Completion completion) override;

  // The request URL: the address percent-encoded as "q", then "format=json",
  // appended with "?" (or "&" when the base URL already has a query).
  static std::string searchURL(const std::string& baseURL, const std::string& address);

 private:
  std::string baseURL_;
  Session& session_;
};

}  // namespace instala
