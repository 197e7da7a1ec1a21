#pragma once
// A font by name and point size. Named fonts are the files of the bundle's
// Assets/Fonts; an unknown name gives no font and the caller keeps its own.

#include <optional>
#include <string>

namespace instala::ui {

class Font {
 public:
  // The toolkit's default font.
  static Font systemFont(double pointSize);
  // The font file "<name>.ttf" or "<name>.otf" in Assets/Fonts, or nothing.
  static std::optional<Font> named(const std::string& name, double pointSize);

  const std::string& fontName() const { return fontName_; }
  double pointSize() const { return pointSize_; }
  bool isSystemFont() const { return fontName_ == systemFontName; }
  Font withSize(double pointSize) const { return Font(fontName_, pointSize); }

  bool operator==(const Font&) const = default;

  static constexpr const char* systemFontName = ".SystemFont";

 private:
  Font(std::string name, double pointSize) : fontName_(std::move(name)), pointSize_(pointSize) {}
  std::string fontName_;
  double pointSize_;
};

}  // namespace instala::ui
