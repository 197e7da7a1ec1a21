#pragma once
// The application bundle: a directory with Info.plist, the endpoint lists, the
// storyboard, the nibs and Assets/. Found from `--bundle DIR`, then
// INSTALA_BUNDLE, then the "bundle" folder next to the executable.

#include "platform/PropertyList.h"

#include <filesystem>
#include <optional>
#include <string>

namespace instala::platform {

class Bundle {
 public:
  explicit Bundle(std::filesystem::path root);

  // The bundle the application runs from. Start-up sets it; until then it is
  // the one that locate() finds without an option.
  static Bundle& main();
  static void setMain(std::filesystem::path root);
  static std::filesystem::path locate(const std::optional<std::filesystem::path>& fromOption);

  const std::filesystem::path& root() const { return root_; }
  // The file "<name>.<type>" in the bundle, when it exists.
  std::optional<std::filesystem::path> pathForResource(const std::string& name, const std::string& type) const;
  // Info.plist read anew; nothing when missing or unreadable.
  std::optional<PlistValue> infoDictionary() const;
  std::optional<std::string> infoString(const std::string& key) const;

 private:
  std::filesystem::path root_;
};

}  // namespace instala::platform
