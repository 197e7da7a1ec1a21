#pragma once
// The bundle's font files (Assets/Fonts) registered with Qt, and the model's
// fonts ("SourceSansPro-Semibold", 16) turned into QFonts. The model's system
// font is the bundle's regular face when there is one, so every text of the
// window is set in the application's own typeface.

#include "ui/Font.h"

#include <QFont>
#include <QString>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace instala::desktop {

class FontRegistry {
 public:
  // Registers every .ttf and .otf file of the folder; a missing folder registers nothing.
  explicit FontRegistry(const std::filesystem::path& folder);
  ~FontRegistry();
  FontRegistry(const FontRegistry&) = delete;
  FontRegistry& operator=(const FontRegistry&) = delete;

  // The QFont for a model font, sized in pixels (a model point is one device-independent pixel).
  // A name that is not registered gives the system face at that size.
  QFont font(const ui::Font& font) const;
  QFont systemFont(double pointSize, bool semibold = false) const;
  bool isRegistered(const std::string& fontName) const { return faces_.count(fontName) != 0; }
  // "Source Sans Pro" when the bundle has it.
  QString family(const std::string& fontName) const;

 private:
  struct Face {
    QString family;
    QString style;
    int weight = QFont::Normal;
    bool italic = false;
  };
  QFont make(const Face& face, double pointSize) const;

  std::map<std::string, Face> faces_;
  std::vector<int> fontIds_;
};

}  // namespace instala::desktop
