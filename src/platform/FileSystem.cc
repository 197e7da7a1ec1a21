#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace instala::platform {

std::optional<std::string> writeFileAtomically(const std::filesystem::path& path, const Bytes& bytes,
                                               std::filesystem::perms mode) {
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  std::string temp = (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
  int fd = mkstemp(temp.data());
  if (fd < 0) return "cannot create a temporary file next to " + path.string() + ": " + std::strerror(errno);
  auto fail = [&](const char* what) {
    std::string error = std::string(what) + " " + temp + ": " + std::strerror(errno);
    close(fd);
    unlink(temp.c_str());
    return error;
  };
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
  if (close(fd) != 0) {
    std::string error = "cannot close " + temp + ": " + std::strerror(errno);
    unlink(temp.c_str());
    return error;
  }
  if (rename(temp.c_str(), path.c_str()) != 0) {
    std::string error = "cannot rename " + temp + " to " + path.string() + ": " + std::strerror(errno);
    unlink(temp.c_str());
    return error;
  }
  return std::nullopt;
}

std::optional<Bytes> readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

}  // namespace instala::platform
