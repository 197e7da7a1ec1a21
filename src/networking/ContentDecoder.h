#pragma once
// Undoes the content codings of an answer body (Content-Encoding). The session
// advertises gzip and compress and decodes them itself, because the transport
// leaves LZW "compress" alone.

#include "networking/RequestError.h"

#include <string>
#include <string_view>
#include <variant>

namespace instala {

// `contentEncoding` is the header's value, possibly a list ("gzip" or
// "compress, gzip"); codings are undone last first. "identity" and an empty
// value leave the body as it is; x-gzip and x-compress are the old names.
// Any other coding, or a body that is not valid in the named coding, is an
// error (kind contentDecoding).
std::variant<std::string, RequestError> decodeContent(std::string_view contentEncoding, std::string body);

}  // namespace instala
