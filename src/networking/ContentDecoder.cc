#include "networking/ContentDecoder.h"

#include "networking/LzwDecoder.h"

#define ZLIB_CONST
#include <zlib.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace instala {
namespace {

enum class Coding { identity, gzip, compress };

RequestError decodingError(std::string message) {
  return RequestError{RequestError::Kind::contentDecoding, std::move(message)};
}

std::string trimmedLowercase(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return "";
  const auto last = text.find_last_not_of(" \t");
  std::string result(text.substr(first, last - first + 1));
  std::transform(result.begin(), result.end(), result.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
  return result;
}

std::variant<std::vector<Coding>, RequestError> parseCodings(std::string_view header) {
  std::vector<Coding> codings;
  std::size_t start = 0;
  while (start <= header.size()) {
    const std::size_t end = std::min(header.find(',', start), header.size());
    const std::string name = trimmedLowercase(header.substr(start, end - start));
    start = end + 1;
    if (name.empty() || name == "identity") continue;
    if (name == "gzip" || name == "x-gzip") {
      codings.push_back(Coding::gzip);
    } else if (name == "compress" || name == "x-compress") {
      codings.push_back(Coding::compress);
    } else {
      return decodingError("unsupported content coding \"" + name + "\"");
    }
  }
  return codings;
}

RequestError tooLarge(std::uint64_t limit) {
  return RequestError{RequestError::Kind::tooLarge, "the answer grows past " + std::to_string(limit) + " bytes"};
}

RequestError corrupt(const char* coding, const char* reason) {
  return decodingError(std::string("body is not valid ") + coding + " data" +
                       (reason ? std::string(": ") + reason : ""));
}

// gzip with zlib: one or more members, each undone exactly once.
std::variant<std::string, RequestError> undoGzip(const std::string& body, std::uint64_t limit) {
  z_stream stream{};
  if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) return corrupt("gzip", "zlib did not start");
  std::unique_ptr<z_stream, decltype(&inflateEnd)> guard(&stream, &inflateEnd);
  stream.next_in = reinterpret_cast<const Bytef*>(body.data());
  stream.avail_in = static_cast<uInt>(body.size());
  std::string decoded;
  char buffer[16384];
  for (;;) {
    stream.next_out = reinterpret_cast<Bytef*>(buffer);
    stream.avail_out = sizeof buffer;
    const int status = inflate(&stream, Z_NO_FLUSH);
    decoded.append(buffer, sizeof buffer - stream.avail_out);
    if (decoded.size() > limit) return tooLarge(limit);
    if (status == Z_STREAM_END) {
      if (stream.avail_in == 0) return decoded;
      if (inflateReset(&stream) != Z_OK) return corrupt("gzip", nullptr);  // a further member follows
      continue;
    }
    if (status == Z_BUF_ERROR && stream.avail_in == 0) return corrupt("gzip", "truncated");
    if (status != Z_OK) return corrupt("gzip", stream.msg);
  }
}

std::variant<std::string, RequestError> undoCompress(const std::string& body, std::uint64_t limit) {
  std::string reason;
  auto decoded = decodeLzw(body, limit, reason);
  if (!decoded) return corrupt("compress", reason.c_str());
  if (decoded->size() > limit) return tooLarge(limit);
  return std::move(*decoded);
}

std::variant<std::string, RequestError> undo(Coding coding, const std::string& body, std::uint64_t limit) {
  if (body.empty()) return std::string();
  return coding == Coding::gzip ? undoGzip(body, limit) : undoCompress(body, limit);
}

}  // namespace

std::variant<std::string, RequestError> decodeContent(std::string_view contentEncoding, std::string body,
                                                      std::uint64_t limit) {
  if (body.size() > limit) return tooLarge(limit);
  auto parsed = parseCodings(contentEncoding);
  if (auto* error = std::get_if<RequestError>(&parsed)) return *error;
  const auto& codings = std::get<std::vector<Coding>>(parsed);
  for (auto coding = codings.rbegin(); coding != codings.rend(); ++coding) {
    auto step = undo(*coding, body, limit);
    if (auto* error = std::get_if<RequestError>(&step)) return *error;
    body = std::move(std::get<std::string>(step));
  }
  return body;
}

std::variant<std::string, RequestError> takeDecodedBody(HTTPResponse& response, std::uint64_t limit) {
  auto it = response.headers.find("Content-Encoding");
  return decodeContent(it == response.headers.end() ? "" : it->second, std::move(response.body), limit);
}

}  // namespace instala
