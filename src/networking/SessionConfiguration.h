#pragma once
// What a session applies to every request it sends.

#include "networking/HTTPHeaders.h"

#include <chrono>

namespace instala {

struct SessionConfiguration {
  // Added to each request that does not set a header of the same name itself.
  HTTPHeaders defaultHeaders;
  // A dead network must end in an error, never in a request that waits forever:
  // a connection that is not up after connectTimeout, or an exchange that moves
  // no byte for idleTimeout (a server that accepts and never answers, a link
  // that drops silently), fails with a time-out. Tests shorten both.
  std::chrono::milliseconds connectTimeout{std::chrono::seconds(60)};
  std::chrono::seconds idleTimeout{60};

  // The application's configuration: the default headers of DefaultHeaders.h
  // and 60 s for both time-outs.
  static SessionConfiguration standard();
};

}  // namespace instala
