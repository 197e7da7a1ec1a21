#pragma once
// The bundle's font files (Assets/Fonts) registered with Qt, and the model's
// fonts ("SourceSansPro-Semibold", 16) turned into QFonts. The model's system
// font is the bundle's regular face when there is one, so every text of the
// window is set in the application's own typeface.

#include "ui/Font.h"

#include <QFont>
#include <QString>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

class QObject;

namespace instala::desktop {

class FontRegistry {
 public:
  // Registers every .ttf and .otf file of the folder; a missing folder registers nothing.
  explicit FontRegistry(const std::filesystem::path& folder);
  ~FontRegistry();
  FontRegistry(const FontRegistry&) = delete;
  FontRegistry& operator=(const FontRegistry&) = delete;

  // fontconfig at start-up. Reading the system's configuration (a few dozen
  // XML files of rules, applied again to every font Qt asks for) is the
  // largest part of a first frame with text, and that frame only uses the
  // bundle's own fonts (those of `fontsFolder`). So, where the bundle has
  // fonts and the user points fontconfig nowhere else (FONTCONFIG_FILE,
  // FONTCONFIG_PATH or FONTCONFIG_SYSROOT set), the program starts with a
  // light configuration: the usual font folders and caches and no rules.
  // Call before Qt first uses a font; false when it was not installed.
  static bool useLightConfiguration(const std::filesystem::path& fontsFolder);

  // After a light start: reads the system's configuration on a thread of its
  // own, then, on the Qt thread (a call queued to `context`, which must own
  // this registry), makes it current and registers the bundle's fonts again,
  // so that Qt rebuilds its font database and fonts under it; then `done`.
  void useSystemConfiguration(QObject* context, std::function<void()> done);

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
  void registerFonts();

  std::vector<std::filesystem::path> files_;
  std::map<std::string, Face> faces_;
  std::vector<int> fontIds_;
  // Declared last, so it is joined before anything it refers to goes.
  std::jthread systemConfiguration_;
};

}  // namespace instala::desktop
