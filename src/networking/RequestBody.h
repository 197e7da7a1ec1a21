#pragma once
// The bytes a request sends, from memory or from a temporary file, read by the
// transport in whatever pieces it asks for. It can rewind, because the
// transport re-sends a body when a reused connection turns out to be closed.

#include "networking/TemporaryBodyFile.h"

#include <cstdint>
#include <optional>
#include <string>

namespace instala {

class RequestBody {
 public:
  explicit RequestBody(std::string bytes);
  RequestBody(TemporaryBodyFile file, std::uint64_t size);

  std::uint64_t size() const { return size_; }
  // Where the body is streamed from; nothing for a body in memory.
  std::optional<std::filesystem::path> filePath() const;

  // Copies up to `capacity` bytes from the current position. Nothing when the
  // file cannot be read.
  std::optional<std::size_t> read(char* buffer, std::size_t capacity);
  bool rewind(std::uint64_t offset);

 private:
  std::string bytes_;
  std::optional<TemporaryBodyFile> file_;
  std::uint64_t size_ = 0;
  std::uint64_t position_ = 0;
};

}  // namespace instala
