#include "ui/Font.h"

#include "ui/Assets.h"

namespace instala::ui {

Font Font::systemFont(double pointSize) { return Font(systemFontName, pointSize); }

std::optional<Font> Font::named(const std::string& name, double pointSize) {
  if (name == systemFontName) return systemFont(pointSize);
  if (!Assets::main().fontFile(name)) return std::nullopt;
  return Font(name, pointSize);
}

}  // namespace instala::ui
