#include "platform/Paths.h"

#include <cstdlib>
#include <mutex>

namespace instala::platform {
namespace {

std::mutex& pathsMutex() {
  static std::mutex mutex;
  return mutex;
}

std::filesystem::path& dataDirectoryOverride() {
  static std::filesystem::path directory;
  return directory;
}

std::filesystem::path dataDirectory() {
  {
    std::lock_guard lock(pathsMutex());
    if (!dataDirectoryOverride().empty()) return dataDirectoryOverride();
  }
  const char* fromEnvironment = std::getenv("INSTALA_DATA_DIR");
  if (fromEnvironment && *fromEnvironment) return fromEnvironment;
  return {};
}

std::filesystem::path xdgDirectory(const char* variable, const char* fallbackUnderHome) {
  const char* value = std::getenv(variable);
  if (value && *value) return value;
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home && *home ? home : "/tmp") / fallbackUnderHome;
}

}  // namespace

void Paths::setDataDirectory(std::filesystem::path directory) {
  std::lock_guard lock(pathsMutex());
  dataDirectoryOverride() = std::move(directory);
}

std::filesystem::path Paths::preferencesFile() {
  if (auto data = dataDirectory(); !data.empty()) return data / "Preferences.plist";
  return xdgDirectory("XDG_CONFIG_HOME", ".config") / "instala" / "Preferences.plist";
}

std::filesystem::path Paths::documentsDirectory() {
  if (auto data = dataDirectory(); !data.empty()) return data / "Documents";
  return xdgDirectory("XDG_DATA_HOME", ".local/share") / "instala" / "Documents";
}

}  // namespace instala::platform
