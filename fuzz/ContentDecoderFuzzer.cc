// An answer body with its Content-Encoding: the first line of the input is the
// header's value ("gzip", "compress, gzip", ...), the rest is the body.

#include "networking/ContentDecoder.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto newline = input.find('\n');
  const std::string_view header = newline == std::string_view::npos ? std::string_view() : input.substr(0, newline);
  const std::string_view body = newline == std::string_view::npos ? input : input.substr(newline + 1);
  static_cast<void>(instala::decodeContent(header, std::string(body)));
  return 0;
}
