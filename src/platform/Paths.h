#pragma once
// Where Instala keeps its data on disk: the preferences file and the documents
// directory. `--data DIR` (or INSTALA_DATA_DIR) moves both under DIR.

#include <filesystem>

namespace instala::platform {

class Paths {
 public:
  // Set once by start-up from `--data DIR`; empty means "use the environment".
  static void setDataDirectory(std::filesystem::path directory);

  // $XDG_CONFIG_HOME/instala/Preferences.plist, or DIR/Preferences.plist.
  static std::filesystem::path preferencesFile();
  // $XDG_DATA_HOME/instala/Documents, or DIR/Documents.
  static std::filesystem::path documentsDirectory();
};

}  // namespace instala::platform
