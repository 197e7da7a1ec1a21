#pragma once
// What a session applies to every request it sends.

#include "networking/HTTPHeaders.h"

#include <chrono>
#include <cstdint>

namespace instala {

// The most an answer may grow to, as received and again once its content
// codings are undone: a list of ten thousand tickets is about 7 MB.
inline constexpr std::uint64_t kDefaultMaxAnswerSize = 64 * 1024 * 1024;

struct SessionConfiguration {
  // Added to each request that does not set a header of the same name itself.
  HTTPHeaders defaultHeaders;
  // A dead network must end in an error, never in a request that waits forever:
  // a connection that is not up after connectTimeout, or an exchange that moves
  // no byte for idleTimeout (a server that accepts and never answers, a link
  // that drops silently), fails with a time-out. Tests shorten both.
  std::chrono::milliseconds connectTimeout{std::chrono::seconds(60)};
  std::chrono::seconds idleTimeout{60};
  // An answer that grows past this ends in a tooLarge error: the transfer is
  // stopped as soon as it is known, and decoding stops there too.
  std::uint64_t maxAnswerSize = kDefaultMaxAnswerSize;

  // The application's configuration: the default headers of DefaultHeaders.h,
  // 60 s for both time-outs and the default answer cap.
  static SessionConfiguration standard();
};

}  // namespace instala
