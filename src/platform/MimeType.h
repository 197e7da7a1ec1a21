#pragma once
// File name to MIME type through the freedesktop shared MIME database (GIO).

#include <filesystem>
#include <string>

namespace instala::platform {

inline constexpr const char* kOctetStreamMimeType = "application/octet-stream";

// Decided by the file name alone (the file is never opened), so it also works
// for files that do not exist. "application/octet-stream" when the database
// knows no type for the name.
std::string mimeTypeForPath(const std::filesystem::path& path);

}  // namespace instala::platform
