#include "networking/TemporaryBodyFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace instala {

std::variant<TemporaryBodyFile, RequestError> TemporaryBodyFile::create() {
  std::error_code ec;
  const auto temporary = std::filesystem::temp_directory_path(ec);
  if (ec) return RequestError{RequestError::Kind::bodyEncoding, "no temporary directory: " + ec.message()};
  std::string pattern = (temporary / "instala-upload-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    return RequestError{RequestError::Kind::bodyEncoding,
                        "cannot create a folder in " + temporary.string() + ": " + std::strerror(errno)};
  }
  const std::filesystem::path folder(pattern);
  const std::filesystem::path path = folder / "multipart.body";
  const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (descriptor < 0) {
    const int error = errno;
    std::filesystem::remove(folder, ec);
    return RequestError{RequestError::Kind::bodyEncoding,
                        "cannot create " + path.string() + ": " + std::strerror(error)};
  }
  return TemporaryBodyFile(folder, path, descriptor);
}

TemporaryBodyFile::TemporaryBodyFile(TemporaryBodyFile&& other) noexcept
    : folder_(std::move(other.folder_)), path_(std::move(other.path_)), descriptor_(other.descriptor_) {
  other.folder_.clear();
  other.path_.clear();
  other.descriptor_ = -1;
}

TemporaryBodyFile& TemporaryBodyFile::operator=(TemporaryBodyFile&& other) noexcept {
  if (this != &other) {
    remove();
    folder_ = std::move(other.folder_);
    path_ = std::move(other.path_);
    descriptor_ = other.descriptor_;
    other.folder_.clear();
    other.path_.clear();
    other.descriptor_ = -1;
  }
  return *this;
}

TemporaryBodyFile::~TemporaryBodyFile() { remove(); }

void TemporaryBodyFile::remove() noexcept {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove(path_, ec);
  if (!folder_.empty()) std::filesystem::remove(folder_, ec);
  path_.clear();
  folder_.clear();
}

}  // namespace instala
