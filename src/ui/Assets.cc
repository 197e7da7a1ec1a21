#include "ui/Assets.h"

#include "platform/Bundle.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <memory>

namespace instala::ui {

Assets::Assets(std::filesystem::path folder) : folder_(std::move(folder)) {
  std::ifstream in(folder_ / "Colors.json", std::ios::binary);
  if (!in) return;
  auto json = nlohmann::json::parse(in, nullptr, false);
  if (json.is_discarded() || !json.is_object()) {
    problems_.push_back("Colors.json is not a JSON object");
    return;
  }
  for (const auto& [name, value] : json.items()) {
    std::optional<Color> color;
    if (value.is_string()) color = Color::fromHex(value.get<std::string>());
    if (color) {
      colors_.emplace(name, *color);
    } else {
      problems_.push_back("colour \"" + name + "\" is not \"#RRGGBB\" or \"#RRGGBBAA\"");
    }
  }
}

Assets& Assets::main() {
  static std::unique_ptr<Assets> assets;
  auto folder = platform::Bundle::main().root() / "Assets";
  if (!assets || assets->folder() != folder) assets = std::make_unique<Assets>(folder);
  return *assets;
}

std::optional<Color> Assets::color(const std::string& name) const {
  auto found = colors_.find(name);
  if (found == colors_.end()) return std::nullopt;
  return found->second;
}

std::vector<std::string> Assets::colorNames() const {
  std::vector<std::string> names;
  for (const auto& [name, color] : colors_) names.push_back(name);
  return names;
}

std::optional<std::filesystem::path> Assets::firstExisting(const std::filesystem::path& base,
                                                           std::initializer_list<const char*> extensions) const {
  for (const char* extension : extensions) {
    auto path = base;
    path += extension;
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) return path;
  }
  return std::nullopt;
}

std::optional<std::filesystem::path> Assets::imageFile(const std::string& name) const {
  if (name.empty() || name.find('/') != std::string::npos) return std::nullopt;
  return firstExisting(folder_ / "Images" / name, {".svg", ".png"});
}

std::optional<std::filesystem::path> Assets::fontFile(const std::string& name) const {
  if (name.empty() || name.find('/') != std::string::npos) return std::nullopt;
  return firstExisting(folder_ / "Fonts" / name, {".ttf", ".otf"});
}

}  // namespace instala::ui
