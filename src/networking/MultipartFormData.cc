#include "networking/MultipartFormData.h"

#include "platform/MimeType.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

void MultipartFormData::addFilePart(const std::filesystem::path& file, const std::string& name,
                                    const std::string& fileName, const std::string& mimeType) {
  addFile(file, name, fileName, mimeType);
}

void MultipartFormData::addFileURLPart(const std::filesystem::path& fileURL, const std::string& name) {
  const std::string fileName = fileURL.filename().string();
  if (fileName.empty()) return fail("the file location \"" + fileURL.string() + "\" has no file name");
  const std::string extension = fileURL.extension().string();
  if (extension.empty() || extension == ".") return fail("the file name \"" + fileName + "\" has no extension");
  addFile(fileURL, name, fileName, platform::mimeTypeForPath(fileName));
}

void MultipartFormData::addFile(const std::filesystem::path& file, const std::string& name, const std::string& fileName,
                                const std::string& mimeType) {
  std::error_code ec;
  const std::filesystem::path path = std::filesystem::absolute(file, ec);
  if (ec) return fail("the file \"" + file.string() + "\" is not reachable: " + ec.message());
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
  part.headers = {{"Content-Disposition", disposition(name, fileName)}, {"Content-Type", mimeType}};
  part.bodyContentLength = static_cast<std::uint64_t>(status.st_size);
  part.bodyStream = path;
  part.fileIdentity = FileIdentity::of(status);
  append(std::move(part));
}

std::vector<RequestBody::Piece> MultipartFormData::bodyPieces() && {
  std::vector<RequestBody::Piece> pieces;
  for (std::size_t i = 0; i < bodyParts_.size(); ++i) {
    BodyPart& part = bodyParts_[i];
    pieces.emplace_back(boundaryLine(boundary_, i == 0) + headerBlock(part));
    if (auto* bytes = std::get_if<std::string>(&part.bodyStream)) {
      pieces.emplace_back(std::move(*bytes));
    } else {
      pieces.emplace_back(RequestBody::File{std::get<std::filesystem::path>(part.bodyStream), part.fileIdentity});
    }
  }
  if (!bodyParts_.empty()) pieces.emplace_back(closingLine(boundary_));
  bodyParts_.clear();
  return pieces;
}

std::variant<std::string, RequestError> MultipartFormData::encode() const {
  auto opened = RequestBody::open(MultipartFormData(*this).bodyPieces());
  if (auto* error = std::get_if<RequestError>(&opened)) return *error;
  return std::get<std::shared_ptr<RequestBody>>(opened)->readAll();
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
