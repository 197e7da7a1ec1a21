#pragma once
// The application bundle: a directory with Info.plist, the endpoint lists, the
// storyboard, the nibs and Assets/. Found from `--bundle DIR`, then
// INSTALA_BUNDLE, then the bundle shipped with the programs (Paths::shippedFolder).

#include "platform/PropertyList.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace instala::platform {

class Bundle {
 public:
  // Configuration files in `configurationDirectories` take the place of the
  // bundle's own (configurationFiles()); none by default.
  explicit Bundle(std::filesystem::path root, std::vector<std::filesystem::path> configurationDirectories = {});

  // The bundle the application runs from. Start-up sets it; until then it is
  // the one that locate() finds without an option, without overrides.
  static Bundle& main();
  static void setMain(std::filesystem::path root);
  static void setMain(Bundle bundle);
  static std::filesystem::path locate(const std::optional<std::filesystem::path>& fromOption);
  // The located bundle. A bundle named by the option or INSTALA_BUNDLE brings
  // its own configuration; the shipped one is the installed application's,
  // whose configuration an administrator overrides (Paths::configurationDirectories).
  static Bundle located(const std::optional<std::filesystem::path>& fromOption);

  const std::filesystem::path& root() const { return root_; }
  const std::vector<std::filesystem::path>& configurationDirectories() const { return configurationDirectories_; }
  // The file "<name>.<type>" in the bundle, when it exists.
  std::optional<std::filesystem::path> pathForResource(const std::string& name, const std::string& type) const;
  // The existing files "<name>.<type>" in the configuration directories, in
  // their order, then the bundle's: the first usable one is meant to win.
  std::vector<std::filesystem::path> configurationFiles(const std::string& name, const std::string& type) const;
  // Info.plist read anew; nothing when missing or unreadable.
  std::optional<PlistValue> infoDictionary() const;
  std::optional<std::string> infoString(const std::string& key) const;

 private:
  std::filesystem::path root_;
  std::vector<std::filesystem::path> configurationDirectories_;
};

}  // namespace instala::platform
