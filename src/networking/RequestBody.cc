#include "networking/RequestBody.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace instala {

RequestBody::RequestBody(std::string bytes) : bytes_(std::move(bytes)), size_(bytes_.size()) {}

RequestBody::RequestBody(TemporaryBodyFile file, std::uint64_t size) : file_(std::move(file)), size_(size) {}

std::optional<std::filesystem::path> RequestBody::filePath() const {
  if (!file_) return std::nullopt;
  return file_->path();
}

std::optional<std::size_t> RequestBody::read(char* buffer, std::size_t capacity) {
  const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(capacity, size_ - position_));
  if (wanted == 0) return 0;
  if (!file_) {
    std::memcpy(buffer, bytes_.data() + position_, wanted);
    position_ += wanted;
    return wanted;
  }
  for (;;) {
    const ssize_t count = ::pread(file_->descriptor(), buffer, wanted, static_cast<off_t>(position_));
    if (count < 0 && errno == EINTR) continue;
    // The file was written in full before the upload began: a short file is broken.
    if (count <= 0) return std::nullopt;
    position_ += static_cast<std::uint64_t>(count);
    return static_cast<std::size_t>(count);
  }
}

bool RequestBody::rewind(std::uint64_t offset) {
  if (offset > size_) return false;
  position_ = offset;
  return true;
}

}  // namespace instala
