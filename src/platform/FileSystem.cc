#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

namespace instala::platform {
namespace {

// mkstemp's six characters, after ".<name>.".
constexpr std::size_t kTemporarySuffixLength = 6;
// Nothing the application reads comes near this; a larger file is damage, not data.
constexpr std::size_t kMaximumFileSize = 256u * 1024 * 1024;

std::string temporaryPattern(const std::filesystem::path& path) {
  return "." + path.filename().string() + "." + std::string(kTemporarySuffixLength, 'X');
}

// Whether `candidate` is a temporary name of writeFileAtomically for `fileName` (any name when empty).
bool isTemporaryName(const std::string& candidate, const std::string& fileName) {
  if (candidate.size() < kTemporarySuffixLength + 3 || candidate.front() != '.') return false;
  const std::size_t dot = candidate.size() - kTemporarySuffixLength - 1;
  if (candidate[dot] != '.') return false;
  for (std::size_t i = dot + 1; i < candidate.size(); ++i) {
    if (!std::isalnum(static_cast<unsigned char>(candidate[i]))) return false;
  }
  const std::string name = candidate.substr(1, dot - 1);
  return fileName.empty() ? !name.empty() : name == fileName;
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

std::optional<std::string> writeFileAtomically(const std::filesystem::path& path, const Bytes& bytes,
                                               std::filesystem::perms mode) {
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  std::string temp = (path.parent_path() / temporaryPattern(path)).string();
  int fd = mkstemp(temp.data());
  if (fd < 0) return "cannot create a temporary file next to " + path.string() + ": " + std::strerror(errno);
  auto fail = [&](const char* what) {
    std::string error = std::string(what) + " " + temp + ": " + std::strerror(errno);
    close(fd);
    unlink(temp.c_str());
    return error;
  };
  // The lock tells removeAtomicWriteLeftovers that this file is still being written; closing releases it.
  if (flock(fd, LOCK_EX) != 0) return fail("cannot lock");
  if (fchmod(fd, static_cast<mode_t>(mode)) != 0) return fail("cannot set the mode of");
  std::size_t written = 0;
  while (written < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail("cannot write");
    }
    written += static_cast<std::size_t>(n);
  }
  if (fsync(fd) != 0) return fail("cannot sync");
  // Renamed while still locked, so no cleaner takes it for a leftover in between.
  if (rename(temp.c_str(), path.c_str()) != 0) {
    std::string error = "cannot rename " + temp + " to " + path.string() + ": " + std::strerror(errno);
    close(fd);
    unlink(temp.c_str());
    return error;
  }
  // The content is on disk (fsync) and in place (rename); closing only releases the lock.
  close(fd);
  return std::nullopt;
}

void removeAtomicWriteLeftovers(const std::filesystem::path& directory, const std::string& fileName) {
  std::error_code ec;
  std::filesystem::directory_iterator entries(directory, ec);
  for (; !ec && entries != std::filesystem::directory_iterator(); entries.increment(ec)) {
    const auto& path = entries->path();
    if (!isTemporaryName(path.filename().string(), fileName)) continue;
    Descriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    if (file.get() < 0 || fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    if (flock(file.get(), LOCK_EX | LOCK_NB) == 0) unlink(path.c_str());
  }
}

std::optional<Bytes> readFile(const std::filesystem::path& path) {
  // O_NONBLOCK: opening a FIFO must not wait for a writer before fstat can refuse it.
  Descriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat info {};
  if (file.get() < 0 || fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  Bytes bytes;
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t n = read(file.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (n == 0) return bytes;
    if (bytes.size() + static_cast<std::size_t>(n) > kMaximumFileSize) return std::nullopt;
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
}

}  // namespace instala::platform
