#pragma once
// The bytes a request sends, handed to the transport in whatever pieces it
// asks for, from the first byte to the last, once. There is no rewinding: a
// body that has been handed out, in part or whole, is never sent again.
//
// A body is a sequence of pieces: bytes in memory and whole files. A file is
// read through the descriptor opened when the body was made, and must still
// be the file that was chosen (its FileIdentity) when it is opened and before
// its last byte is handed out. A file that changed ends the body in an error,
// never in a body whose length or content differs from what was announced.

#include "networking/RequestError.h"

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace instala {

// A file as it was when it was chosen: the same file, of the same size, not modified since.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t modifiedSeconds = 0;
  std::int64_t modifiedNanoseconds = 0;

  static FileIdentity of(const struct stat& status) {
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
            static_cast<std::uint64_t>(status.st_size), static_cast<std::int64_t>(status.st_mtim.tv_sec),
            static_cast<std::int64_t>(status.st_mtim.tv_nsec)};
  }
  bool operator==(const FileIdentity&) const = default;
};

class RequestBody {
 public:
  // The whole content of a file that must still be `identity`.
  struct File {
    std::filesystem::path path;
    FileIdentity identity;
  };
  using Piece = std::variant<std::string, File>;

  explicit RequestBody(std::string bytes);
  // Opens every file of the pieces and checks that it is still the file chosen;
  // fails (bodyEncoding) when one cannot be opened or has changed.
  static std::variant<std::shared_ptr<RequestBody>, RequestError> open(std::vector<Piece> pieces);

  ~RequestBody();
  RequestBody(const RequestBody&) = delete;
  RequestBody& operator=(const RequestBody&) = delete;

  std::uint64_t size() const { return size_; }
  // Whether some of the bytes are read from files as they are sent.
  bool readsFiles() const;
  // Whether any byte has been handed out.
  bool started() const { return position_ > 0; }

  // Copies up to `capacity` bytes from where the last read ended; 0 at the
  // end. Nothing when a file cannot be read or has changed; error() says why,
  // and every later read fails too.
  std::optional<std::size_t> read(char* buffer, std::size_t capacity);
  // Everything not yet read, in one string.
  std::variant<std::string, RequestError> readAll();
  const std::optional<RequestError>& error() const { return error_; }

 private:
  struct Source {
    std::string bytes;         // a piece in memory,
    std::optional<File> file;  // or a file,
    int descriptor = -1;       // open for reading
    std::uint64_t length = 0;
  };

  RequestBody() = default;
  std::optional<std::size_t> readFile(const Source& source, char* buffer, std::size_t wanted);
  std::nullopt_t fail(std::string message);

  std::vector<Source> sources_;
  std::size_t current_ = 0;   // the source being read
  std::uint64_t offset_ = 0;  // how far into it
  std::uint64_t position_ = 0;
  std::uint64_t size_ = 0;
  std::optional<RequestError> error_;
};

}  // namespace instala
