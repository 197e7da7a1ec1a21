#include "networking/RequestBody.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace instala {
namespace {

RequestError encodingError(std::string message) {
  return RequestError{RequestError::Kind::bodyEncoding, std::move(message)};
}

bool isStill(int descriptor, const FileIdentity& identity) {
  struct stat status {};
  return ::fstat(descriptor, &status) == 0 && FileIdentity::of(status) == identity;
}

}  // namespace

RequestBody::RequestBody(std::string bytes) : size_(bytes.size()) {
  Source source;
  source.length = bytes.size();
  source.bytes = std::move(bytes);
  sources_.push_back(std::move(source));
}

RequestBody::~RequestBody() {
  for (const auto& source : sources_) {
    if (source.descriptor >= 0) ::close(source.descriptor);
  }
}

std::variant<std::shared_ptr<RequestBody>, RequestError> RequestBody::open(std::vector<Piece> pieces) {
  std::shared_ptr<RequestBody> body(new RequestBody());
  for (auto& piece : pieces) {
    Source source;
    if (auto* bytes = std::get_if<std::string>(&piece)) {
      if (bytes->empty()) continue;
      source.length = bytes->size();
      source.bytes = std::move(*bytes);
    } else {
      File& file = std::get<File>(piece);
      source.descriptor = ::open(file.path.c_str(), O_RDONLY | O_CLOEXEC);
      if (source.descriptor < 0)
        return encodingError("cannot open " + file.path.string() + ": " + std::strerror(errno));
      source.length = file.identity.size;
      source.file = std::move(file);
    }
    body->size_ += source.length;
    body->sources_.push_back(std::move(source));
    const Source& added = body->sources_.back();
    if (!added.file) continue;
    if (!isStill(added.descriptor, added.file->identity))
      return encodingError(added.file->path.string() + " changed after it was added to the form");
    // Read once, front to back: let the kernel read ahead generously.
    ::posix_fadvise(added.descriptor, 0, 0, POSIX_FADV_SEQUENTIAL);
  }
  return body;
}

bool RequestBody::readsFiles() const {
  return std::any_of(sources_.begin(), sources_.end(), [](const Source& source) { return source.file.has_value(); });
}

std::nullopt_t RequestBody::fail(std::string message) {
  error_ = encodingError(std::move(message));
  return std::nullopt;
}

std::optional<std::size_t> RequestBody::readFile(const Source& source, char* buffer, std::size_t wanted) {
  for (;;) {
    const ssize_t count = ::pread(source.descriptor, buffer, wanted, static_cast<off_t>(offset_));
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return fail("cannot read " + source.file->path.string() + ": " + std::strerror(errno));
    if (count == 0) return fail(source.file->path.string() + " became shorter after it was added to the form");
    return static_cast<std::size_t>(count);
  }
}

std::optional<std::size_t> RequestBody::read(char* buffer, std::size_t capacity) {
  if (error_) return std::nullopt;
  std::size_t filled = 0;
  while (filled < capacity && current_ < sources_.size()) {
    const Source& source = sources_[current_];
    const std::size_t wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(capacity - filled, source.length - offset_));
    if (wanted > 0) {
      std::size_t count = wanted;
      if (source.file) {
        auto read = readFile(source, buffer + filled, wanted);
        if (!read) return std::nullopt;
        count = *read;
      } else {
        std::memcpy(buffer + filled, source.bytes.data() + offset_, wanted);
      }
      offset_ += count;
      filled += count;
    }
    if (offset_ < source.length) continue;
    // The last bytes of a file are handed out only if it is still the file that was chosen.
    if (source.file && !isStill(source.descriptor, source.file->identity))
      return fail(source.file->path.string() + " changed while it was being sent");
    ++current_;
    offset_ = 0;
  }
  position_ += filled;
  return filled;
}

std::variant<std::string, RequestError> RequestBody::readAll() {
  std::string bytes(static_cast<std::size_t>(size_ - position_), '\0');
  auto count = read(bytes.data(), bytes.size());
  if (!count) return *error_;
  bytes.resize(*count);
  return bytes;
}

}  // namespace instala
