#pragma once
// A file that holds one upload body: created 0600 in a fresh private folder
// (0700) under the system temporary directory, removed with its folder when
// the object goes, whether the upload ended or writing the file failed.

#include "networking/RequestError.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <variant>

namespace instala {

class TemporaryBodyFile {
 public:
  static std::variant<TemporaryBodyFile, RequestError> create();

  TemporaryBodyFile(TemporaryBodyFile&& other) noexcept;
  TemporaryBodyFile& operator=(TemporaryBodyFile&& other) noexcept;
  TemporaryBodyFile(const TemporaryBodyFile&) = delete;
  TemporaryBodyFile& operator=(const TemporaryBodyFile&) = delete;
  ~TemporaryBodyFile();

  const std::filesystem::path& path() const { return path_; }
  // Open for reading and writing; the position is shared by both.
  int descriptor() const { return descriptor_; }

 private:
  TemporaryBodyFile(std::filesystem::path folder, std::filesystem::path path, int descriptor)
      : folder_(std::move(folder)), path_(std::move(path)), descriptor_(descriptor) {}
  void remove() noexcept;

  std::filesystem::path folder_;
  std::filesystem::path path_;
  int descriptor_ = -1;
};

}  // namespace instala
