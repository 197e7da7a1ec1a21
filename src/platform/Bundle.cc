#include "platform/Bundle.h"

#include "platform/Paths.h"

#include <cstdlib>
#include <memory>
#include <mutex>

namespace instala::platform {
namespace {

std::optional<std::filesystem::path> chosenBundle(const std::optional<std::filesystem::path>& fromOption) {
  if (fromOption && !fromOption->empty()) return *fromOption;
  if (const char* fromEnvironment = std::getenv("INSTALA_BUNDLE"); fromEnvironment && *fromEnvironment) {
    return fromEnvironment;
  }
  return std::nullopt;
}

std::mutex& mainMutex() {
  static std::mutex mutex;
  return mutex;
}

std::unique_ptr<Bundle>& mainBundle() {
  static std::unique_ptr<Bundle> bundle;
  return bundle;
}

}  // namespace

Bundle::Bundle(std::filesystem::path root, std::vector<std::filesystem::path> configurationDirectories)
    : root_(std::move(root)), configurationDirectories_(std::move(configurationDirectories)) {}

std::filesystem::path Bundle::locate(const std::optional<std::filesystem::path>& fromOption) {
  return located(fromOption).root();
}

Bundle Bundle::located(const std::optional<std::filesystem::path>& fromOption) {
  if (auto chosen = chosenBundle(fromOption)) return Bundle(*chosen);
  return Bundle(Paths::shippedFolder("bundle"), Paths::configurationDirectories());
}

Bundle& Bundle::main() {
  std::lock_guard lock(mainMutex());
  auto& bundle = mainBundle();
  if (!bundle) bundle = std::make_unique<Bundle>(locate(std::nullopt));
  return *bundle;
}

void Bundle::setMain(std::filesystem::path root) { setMain(Bundle(std::move(root))); }

void Bundle::setMain(Bundle bundle) {
  std::lock_guard lock(mainMutex());
  mainBundle() = std::make_unique<Bundle>(std::move(bundle));
}

std::optional<std::filesystem::path> Bundle::pathForResource(const std::string& name, const std::string& type) const {
  auto path = root_ / (type.empty() ? name : name + "." + type);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  return path;
}

std::vector<std::filesystem::path> Bundle::configurationFiles(const std::string& name, const std::string& type) const {
  std::vector<std::filesystem::path> files;
  const std::string file = type.empty() ? name : name + "." + type;
  for (const auto& directory : configurationDirectories_) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(directory / file, ec)) files.push_back(directory / file);
  }
  if (auto own = pathForResource(name, type)) files.push_back(*own);
  return files;
}

std::optional<PlistValue> Bundle::infoDictionary() const {
  auto path = pathForResource("Info", "plist");
  if (!path) return std::nullopt;
  auto value = readPropertyListFile(path->string());
  if (!value || !value->is<PlistDict>()) return std::nullopt;
  return value;
}

std::optional<std::string> Bundle::infoString(const std::string& key) const {
  auto info = infoDictionary();
  if (!info) return std::nullopt;
  return dictString(*info, key);
}

}  // namespace instala::platform
