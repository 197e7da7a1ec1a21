#pragma once
// Where Instala keeps its data on disk: the preferences file and the documents
// directory. `--data DIR` (or INSTALA_DATA_DIR) moves both under DIR. Also
// where the folders that ship with the programs are, and where an
// administrator's configuration is looked up.

#include <filesystem>
#include <string>
#include <vector>

namespace instala::platform {

class Paths {
 public:
  // Set once by start-up from `--data DIR`; empty means "use the environment".
  static void setDataDirectory(std::filesystem::path directory);

  // $XDG_CONFIG_HOME/instala/Preferences.plist, or DIR/Preferences.plist.
  static std::filesystem::path preferencesFile();
  // $XDG_DATA_HOME/instala/Documents, or DIR/Documents.
  static std::filesystem::path documentsDirectory();

  // The folder of the running program.
  static std::filesystem::path executableDirectory();
  // A folder that ships with the programs (the bundle, the demo data): NAME
  // beside the executable in the build tree, else NAME in the installed data
  // folder (bin/../share/instala/NAME).
  static std::filesystem::path shippedFolder(const std::string& name);
  static std::filesystem::path shippedFolder(const std::string& name, const std::filesystem::path& executableDirectory);

  // Where an administrator's files override the bundle's configuration, most
  // specific first: $XDG_CONFIG_HOME/instala (default ~/.config/instala; left
  // out without a home), then /etc/instala.
  static std::vector<std::filesystem::path> configurationDirectories();
  static constexpr const char* kSystemConfigurationDirectory = "/etc/instala";
};

}  // namespace instala::platform
