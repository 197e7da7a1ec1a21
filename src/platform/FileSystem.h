#pragma once
// Small file helpers shared by the stores that must never leave half-written files.

#include "platform/PropertyList.h"

#include <filesystem>
#include <optional>
#include <string>

namespace instala::platform {

// Writes the bytes to a temporary file in the same folder, fsyncs it and
// renames it over `path`, so readers see either the old or the new content.
// Returns an error text on failure (the old file is then untouched).
std::optional<std::string> writeFileAtomically(const std::filesystem::path& path, const Bytes& bytes,
                                               std::filesystem::perms mode);

std::optional<Bytes> readFile(const std::filesystem::path& path);

}  // namespace instala::platform
