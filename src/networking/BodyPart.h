#pragma once
// One part of a multipart form: its headers and where its content comes from.

#include "networking/RequestBody.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace instala {

struct BodyPart {
  // In the order they are written: Content-Disposition, then Content-Type if any.
  std::vector<std::pair<std::string, std::string>> headers;
  // The bytes themselves, or the file they are read from while the body is sent.
  std::variant<std::string, std::filesystem::path> bodyStream;
  std::uint64_t bodyContentLength = 0;
  // A file part's file as it was when the part was added; sending fails if it is no longer so.
  FileIdentity fileIdentity;
};

}  // namespace instala
