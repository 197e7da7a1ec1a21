#pragma once
// The bundle's asset folder: named colours (Colors.json, name → "#RRGGBB" or
// "#RRGGBBAA"), images (Images/<name>.svg or .png) and fonts (Fonts/<name>.ttf
// or .otf). A missing name is "no colour / no image / no font", never an error.

#include "ui/Color.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace instala::ui {

class Assets {
 public:
  explicit Assets(std::filesystem::path folder);

  // The assets of platform::Bundle::main(); re-read when the main bundle moves.
  static Assets& main();

  const std::filesystem::path& folder() const { return folder_; }
  std::optional<Color> color(const std::string& name) const;
  std::vector<std::string> colorNames() const;
  std::optional<std::filesystem::path> imageFile(const std::string& name) const;
  std::optional<std::filesystem::path> fontFile(const std::string& name) const;

  // Problems found while reading Colors.json (bad JSON, bad values); empty when clean.
  const std::vector<std::string>& problems() const { return problems_; }

 private:
  std::optional<std::filesystem::path> firstExisting(const std::filesystem::path& base,
                                                     std::initializer_list<const char*> extensions) const;
  std::filesystem::path folder_;
  std::map<std::string, Color> colors_;
  std::vector<std::string> problems_;
};

}  // namespace instala::ui
