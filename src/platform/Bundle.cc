#include "platform/Bundle.h"

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <mutex>

namespace instala::platform {
namespace {

std::filesystem::path executableDirectory() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::current_path() : exe.parent_path();
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

Bundle::Bundle(std::filesystem::path root) : root_(std::move(root)) {}

std::filesystem::path Bundle::locate(const std::optional<std::filesystem::path>& fromOption) {
  if (fromOption && !fromOption->empty()) return *fromOption;
  if (const char* fromEnvironment = std::getenv("INSTALA_BUNDLE"); fromEnvironment && *fromEnvironment) {
    return fromEnvironment;
  }
  return executableDirectory() / "bundle";
}

Bundle& Bundle::main() {
  std::lock_guard lock(mainMutex());
  auto& bundle = mainBundle();
  if (!bundle) bundle = std::make_unique<Bundle>(locate(std::nullopt));
  return *bundle;
}

void Bundle::setMain(std::filesystem::path root) {
  std::lock_guard lock(mainMutex());
  mainBundle() = std::make_unique<Bundle>(std::move(root));
}

std::optional<std::filesystem::path> Bundle::pathForResource(const std::string& name, const std::string& type) const {
  auto path = root_ / (type.empty() ? name : name + "." + type);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  return path;
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
