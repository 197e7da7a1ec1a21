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

std::filesystem::path Paths::executableDirectory() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::current_path() : exe.parent_path();
}

std::filesystem::path Paths::shippedFolder(const std::string& name) {
  return shippedFolder(name, executableDirectory());
}

std::filesystem::path Paths::shippedFolder(const std::string& name, const std::filesystem::path& executableDirectory) {
  auto beside = executableDirectory / name;
  std::error_code ec;
  if (std::filesystem::is_directory(beside, ec)) return beside;
  return (executableDirectory / INSTALA_DATADIR_FROM_BINDIR / name).lexically_normal();
}

std::vector<std::filesystem::path> Paths::configurationDirectories() {
  std::vector<std::filesystem::path> directories;
  // A relative XDG_CONFIG_HOME is invalid and ignored. Without a home there is
  // no user folder: a shared fallback such as /tmp would let anyone choose the server.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  if (config && std::filesystem::path(config).is_absolute()) {
    directories.push_back(std::filesystem::path(config) / "instala");
  } else if (home && std::filesystem::path(home).is_absolute()) {
    directories.push_back(std::filesystem::path(home) / ".config" / "instala");
  }
  directories.emplace_back(kSystemConfigurationDirectory);
  return directories;
}

}  // namespace instala::platform
