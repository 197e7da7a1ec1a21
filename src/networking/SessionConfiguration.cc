#include "networking/SessionConfiguration.h"

#include "networking/DefaultHeaders.h"

namespace instala {

SessionConfiguration SessionConfiguration::standard() {
  SessionConfiguration configuration;
  configuration.defaultHeaders = defaultHTTPHeaders();
  return configuration;
}

}  // namespace instala
