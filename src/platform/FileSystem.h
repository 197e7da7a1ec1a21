#pragma once
// Small file helpers shared by the stores that must never leave half-written files.

#include "platform/PropertyList.h"

#include <filesystem>
#include <optional>
#include <string>

namespace instala::platform {

// Writes the bytes to a temporary file in the same folder (".<name>.XXXXXX",
// locked while it is written), fsyncs it and renames it over `path`, so readers
// see either the old or the new content. Returns an error text on failure (the
// old file is then untouched).
std::optional<std::string> writeFileAtomically(const std::filesystem::path& path, const Bytes& bytes,
                                               std::filesystem::perms mode);

// Removes the temporary files that interrupted writeFileAtomically calls (a
// kill, a power cut) left in `directory`: those of `fileName`, or of any name
// when it is empty. A write still under way in another process holds the lock
// on its file and is left alone.
void removeAtomicWriteLeftovers(const std::filesystem::path& directory, const std::string& fileName = {});

// The whole content of a regular file. Nothing when it cannot be opened or read,
// when it holds more than 256 MiB, or when it is anything else (a folder, a
// FIFO, a device): such a file is never read, so it can neither block nor throw.
std::optional<Bytes> readFile(const std::filesystem::path& path);

}  // namespace instala::platform
