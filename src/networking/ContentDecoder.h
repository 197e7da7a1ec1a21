#pragma once
// Undoes the content codings of an answer body (Content-Encoding). The session
// advertises gzip and compress and decodes them itself, because the transport
// leaves LZW "compress" alone.

#include "networking/HTTPResponse.h"
#include "networking/RequestError.h"
#include "networking/SessionConfiguration.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace instala {

// `contentEncoding` is the header's value, possibly a list ("gzip" or
// "compress, gzip"); codings are undone last first. "identity" and an empty
// value leave the body as it is; x-gzip and x-compress are the old names.
// Any other coding, or a body that is not valid in the named coding, is an
// error (kind contentDecoding). A body, or the output of any one coding, that
// grows past `limit` bytes is an error of kind tooLarge: decoding stops within
// one buffer of the limit, so a small body that expands without end costs no
// more memory than the limit.
std::variant<std::string, RequestError> decodeContent(std::string_view contentEncoding, std::string body,
                                                      std::uint64_t limit = kDefaultMaxAnswerSize);

// decodeContent of an answer's body under the codings its Content-Encoding
// header names. The body is taken out of the response.
std::variant<std::string, RequestError> takeDecodedBody(HTTPResponse& response, std::uint64_t limit);

}  // namespace instala
