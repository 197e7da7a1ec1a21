#include "networking/MultipartFormData.h"

#include "platform/MimeType.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace instala {
namespace {

constexpr std::string_view kCRLF = "\r\n";

std::string boundaryLine(const std::string& boundary, bool first) {
  return (first ? "" : std::string(kCRLF)) + "--" + boundary + std::string(kCRLF);
}

std::string closingLine(const std::string& boundary) {
  return std::string(kCRLF) + "--" + boundary + "--" + std::string(kCRLF);
}

std::string headerBlock(const BodyPart& part) {
  std::string block;
  for (const auto& [name, value] : part.headers) block += name + ": " + value + std::string(kCRLF);
  return block + std::string(kCRLF);
}

std::string disposition(const std::string& name, const std::optional<std::string>& fileName) {
  std::string value = "form-data; name=\"" + MultipartFormData::escapedParameter(name) + "\"";
  if (fileName) value += "; filename=\"" + MultipartFormData::escapedParameter(*fileName) + "\"";
  return value;
}

RequestError encodingError(std::string message) {
  return RequestError{RequestError::Kind::bodyEncoding, std::move(message)};
}

// Streams exactly `length` bytes of the file to the sink in streamBufferSize pieces.
std::optional<RequestError> streamFile(const std::filesystem::path& path, std::uint64_t length,
                                       const std::function<bool(std::string_view)>& sink) {
  std::unique_ptr<std::FILE, decltype(&std::fclose)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) return encodingError("cannot open " + path.string() + ": " + std::strerror(errno));
  char buffer[MultipartFormData::streamBufferSize];
  std::uint64_t remaining = length;
  while (remaining > 0) {
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, sizeof buffer));
    const std::size_t count = std::fread(buffer, 1, wanted, file.get());
    if (count == 0) {
      if (std::ferror(file.get())) return encodingError("cannot read " + path.string());
      return encodingError(path.string() + " became shorter after it was added to the form");
    }
    if (!sink(std::string_view(buffer, count))) return encodingError("cannot write the body");
    remaining -= count;
  }
  // A file that grew would be cut; better to fail than to send half a video.
  if (std::fgetc(file.get()) != EOF)
    return encodingError(path.string() + " became longer after it was added to the form");
  return std::nullopt;
}

}  // namespace

MultipartFormData::MultipartFormData() {
  char text[64];
  std::snprintf(text, sizeof text, "instala.boundary.%08x%08x", arc4random(), arc4random());
  boundary_ = text;
}

std::string MultipartFormData::contentType() const { return "multipart/form-data; boundary=" + boundary_; }

std::uint64_t MultipartFormData::contentLength() const {
  std::uint64_t total = 0;
  for (const auto& part : bodyParts_) total += part.bodyContentLength;
  return total;
}

std::string MultipartFormData::escapedParameter(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '"': escaped += "%22"; break;
      case '\r': escaped += "%0D"; break;
      case '\n': escaped += "%0A"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

void MultipartFormData::append(BodyPart part) { bodyParts_.push_back(std::move(part)); }

void MultipartFormData::fail(std::string message) {
  if (!bodyPartError_) bodyPartError_ = RequestError{RequestError::Kind::bodyPart, std::move(message)};
}

void MultipartFormData::addDataPart(std::string data, const std::string& name) {
  BodyPart part;
  part.headers = {{"Content-Disposition", disposition(name, std::nullopt)}};
  part.bodyContentLength = data.size();
  part.bodyStream = std::move(data);
  append(std::move(part));
}

void MultipartFormData::addDataPart(const platform::Bytes& data, const std::string& name) {
  addDataPart(std::string(data.begin(), data.end()), name);
}

void MultipartFormData::addFilePart(std::string data, const std::string& name, const std::string& fileName,
                                    const std::string& mimeType) {
  BodyPart part;
  part.headers = {{"Content-Disposition", disposition(name, fileName)}, {"Content-Type", mimeType}};
  part.bodyContentLength = data.size();
  part.bodyStream = std::move(data);
  append(std::move(part));
}

void MultipartFormData::addFilePart(const platform::Bytes& data, const std::string& name, const std::string& fileName,
                                    const std::string& mimeType) {
  addFilePart(std::string(data.begin(), data.end()), name, fileName, mimeType);
}

void MultipartFormData::addFileURLPart(const std::filesystem::path& fileURL, const std::string& name) {
  const std::string fileName = fileURL.filename().string();
  if (fileName.empty()) return fail("the file location \"" + fileURL.string() + "\" has no file name");
  const std::string extension = fileURL.extension().string();
  if (extension.empty() || extension == ".") return fail("the file name \"" + fileName + "\" has no extension");
  std::error_code ec;
  const std::filesystem::path path = std::filesystem::absolute(fileURL, ec);
  if (ec) return fail("the file \"" + fileURL.string() + "\" is not reachable: " + ec.message());
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return fail("the file \"" + path.string() + "\" does not exist");
    return fail("the file \"" + path.string() + "\" is not reachable: " + std::strerror(errno));
  }
  if (S_ISDIR(status.st_mode)) return fail("\"" + path.string() + "\" is a directory");
  if (!S_ISREG(status.st_mode)) return fail("\"" + path.string() + "\" is not a regular file");
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return fail("the file \"" + path.string() + "\" cannot be opened: " + std::strerror(errno));
  ::close(descriptor);

  BodyPart part;
  part.headers = {{"Content-Disposition", disposition(name, fileName)},
                  {"Content-Type", platform::mimeTypeForPath(fileName)}};
  part.bodyContentLength = static_cast<std::uint64_t>(status.st_size);
  part.bodyStream = path;
  append(std::move(part));
}

std::optional<RequestError> MultipartFormData::encode(const std::function<bool(std::string_view)>& sink) const {
  for (std::size_t i = 0; i < bodyParts_.size(); ++i) {
    const BodyPart& part = bodyParts_[i];
    if (!sink(boundaryLine(boundary_, i == 0)) || !sink(headerBlock(part)))
      return encodingError("cannot write the body");
    if (const auto* bytes = std::get_if<std::string>(&part.bodyStream)) {
      for (std::size_t offset = 0; offset < bytes->size(); offset += streamBufferSize) {
        if (!sink(std::string_view(*bytes).substr(offset, streamBufferSize)))
          return encodingError("cannot write the body");
      }
    } else if (auto error =
                   streamFile(std::get<std::filesystem::path>(part.bodyStream), part.bodyContentLength, sink)) {
      return error;
    }
  }
  if (!bodyParts_.empty() && !sink(closingLine(boundary_))) return encodingError("cannot write the body");
  return std::nullopt;
}

std::variant<std::string, RequestError> MultipartFormData::encode() const {
  std::string body;
  body.reserve(static_cast<std::size_t>(encodedLength()));
  auto error = encode([&body](std::string_view piece) {
    body.append(piece);
    return true;
  });
  if (error) return *error;
  return body;
}

std::uint64_t MultipartFormData::encodedLength() const {
  if (bodyParts_.empty()) return 0;
  std::uint64_t length = closingLine(boundary_).size();
  for (std::size_t i = 0; i < bodyParts_.size(); ++i) {
    length +=
        boundaryLine(boundary_, i == 0).size() + headerBlock(bodyParts_[i]).size() + bodyParts_[i].bodyContentLength;
  }
  return length;
}

}  // namespace instala
