#pragma once
// Turns an endpoint name into the text of its URL: the base URL of
// "Server-config.plist" followed directly by the path configured in
// "Endpoints.plist". Both files live in the application bundle; an
// administrator's "Server-config.plist" in one of the bundle's configuration
// directories takes the place of the bundle's.

#include "networking/Endpoint.h"
#include "platform/Bundle.h"
#include "platform/PropertyList.h"

#include <string>

namespace instala {

class Networking {
 public:
  // The one instance of the process, created (thread-safely) on first use from the main bundle.
  static Networking& shared();

  explicit Networking(const platform::Bundle& bundle);

  const platform::PlistDict& endpointsDictionary() const { return endpointsDictionary_; }
  const std::string& endpointKey() const { return endpointKey_; }

  // Read anew on every call. Without a usable "Server-config.plist" the process
  // stops: there is no server to talk to.
  std::string serverBaseURL() const;
  std::string endpointURL(Endpoint endpoint) const;

  static constexpr const char* kMissingServerConfigMessage =
      "Cannot find the 'Server-config.plist' or required parameters";

 private:
  void loadEndpoints();

  platform::Bundle bundle_;
  platform::PlistDict endpointsDictionary_;
  std::string endpointKey_ = "Endpoints";
};

}  // namespace instala
