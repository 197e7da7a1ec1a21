#include "qt/FontRegistry.h"

#include <fontconfig/fontconfig.h>

#include <QFontDatabase>
#include <QGuiApplication>
#include <QObject>

#include <algorithm>
#include <cmath>
#include <utility>

namespace instala::desktop {
namespace {

constexpr const char* regularFace = "SourceSansPro-Regular";
constexpr const char* semiboldFace = "SourceSansPro-Semibold";

// The weight a style name stands for; the files' own weight field is not reliable.
int weightOf(const QString& style) {
  const QString name = style.toLower().remove(QLatin1Char(' ')).remove(QLatin1Char('-'));
  const std::pair<const char*, int> weights[] = {
      {"extralight", QFont::ExtraLight}, {"ultralight", QFont::ExtraLight}, {"semibold", QFont::DemiBold},
      {"demibold", QFont::DemiBold},     {"extrabold", QFont::ExtraBold},   {"ultrabold", QFont::ExtraBold},
      {"thin", QFont::Thin},             {"light", QFont::Light},           {"medium", QFont::Medium},
      {"black", QFont::Black},           {"heavy", QFont::Black},           {"bold", QFont::Bold}};
  for (const auto& [prefix, weight] : weights) {
    if (name.startsWith(QLatin1String(prefix))) return weight;
  }
  return QFont::Normal;
}

struct FileStyle {
  QString style;
  bool italic = false;
};

// The style the font file names itself, read by fontconfig. QRawFont tells the
// same but builds a whole font engine for it, which was most of the start-up's
// font work.
FileStyle styleOf(const std::filesystem::path& file) {
  FileStyle result;
  int faces = 0;
  FcPattern* pattern = FcFreeTypeQuery(reinterpret_cast<const FcChar8*>(file.c_str()), 0, nullptr, &faces);
  if (!pattern) return result;
  FcChar8* style = nullptr;
  if (FcPatternGetString(pattern, FC_STYLE, 0, &style) == FcResultMatch) {
    result.style = QString::fromUtf8(reinterpret_cast<const char*>(style));
  }
  int slant = FC_SLANT_ROMAN;
  if (FcPatternGetInteger(pattern, FC_SLANT, 0, &slant) == FcResultMatch) result.italic = slant != FC_SLANT_ROMAN;
  FcPatternDestroy(pattern);
  return result;
}

// The .ttf and .otf files of the folder, in name order.
std::vector<std::filesystem::path> fontFiles(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) return files;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    const auto extension = entry.path().extension();
    if (entry.is_regular_file(ec) && (extension == ".ttf" || extension == ".otf")) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

bool FontRegistry::useLightConfiguration(const std::filesystem::path& fontsFolder) {
  if (fontFiles(fontsFolder).empty()) return false;
  for (const char* variable : {"FONTCONFIG_FILE", "FONTCONFIG_PATH", "FONTCONFIG_SYSROOT"}) {
    if (!qEnvironmentVariableIsEmpty(variable)) return false;
  }
  // The folders and caches of fontconfig's own default configuration.
  static const char light[] = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>/usr/share/fonts</dir>
  <dir>/usr/local/share/fonts</dir>
  <dir prefix="xdg">fonts</dir>
  <dir>~/.fonts</dir>
  <cachedir>/var/cache/fontconfig</cachedir>
  <cachedir prefix="xdg">fontconfig</cachedir>
  <cachedir>~/.fontconfig</cachedir>
</fontconfig>
)";
  FcConfig* config = FcConfigCreate();
  if (!config) return false;
  const bool installed = FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(light), FcTrue) &&
                         FcConfigBuildFonts(config) && FcConfigSetCurrent(config);
  FcConfigDestroy(config);  // the current configuration holds a reference of its own
  return installed;
}

void FontRegistry::useSystemConfiguration(QObject* context, std::function<void()> done) {
  systemConfiguration_ = std::jthread([this, context, done = std::move(done)] {
    // What FcInit reads, without the descriptions of the optional files in
    // conf.avail that it also parses (only fc-conflist shows them).
    FcConfig* config = FcConfigCreate();
    if (config && !(FcConfigParseAndLoad(config, nullptr, FcTrue) && FcConfigBuildFonts(config))) {
      FcConfigDestroy(config);
      config = FcInitLoadConfigAndFonts();  // fontconfig's own fallback when there is nothing to read
    }
    QMetaObject::invokeMethod(
        context,
        [this, config, done] {
          if (config) {
            FcConfigSetCurrent(config);
            FcConfigDestroy(config);
            registerFonts();
          }
          if (done) done();
        },
        Qt::QueuedConnection);
  });
}

FontRegistry::FontRegistry(const std::filesystem::path& folder) : files_(fontFiles(folder)) { registerFonts(); }

// Registering anew (after removing what was registered) also makes Qt rebuild
// its font database from the current configuration.
void FontRegistry::registerFonts() {
  for (int id : fontIds_) QFontDatabase::removeApplicationFont(id);
  fontIds_.clear();
  faces_.clear();
  for (const auto& file : files_) {
    const QString path = QString::fromStdString(file.string());
    const int id = QFontDatabase::addApplicationFont(path);
    if (id < 0) continue;
    fontIds_.push_back(id);
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) continue;
    const FileStyle fileStyle = styleOf(file);
    Face face;
    face.family = families.front();
    face.style = fileStyle.style;
    face.weight = weightOf(face.style);
    face.italic = fileStyle.italic;
    faces_[file.stem().string()] = face;
  }
}

FontRegistry::~FontRegistry() {
  for (int id : fontIds_) QFontDatabase::removeApplicationFont(id);
}

QFont FontRegistry::make(const Face& face, double pointSize) const {
  QFont font(face.family);
  font.setWeight(static_cast<QFont::Weight>(face.weight));
  if (!face.style.isEmpty()) font.setStyleName(face.style);
  font.setItalic(face.italic);
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(pointSize))));
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

QFont FontRegistry::systemFont(double pointSize, bool semibold) const {
  const auto found = faces_.find(semibold ? semiboldFace : regularFace);
  if (found != faces_.end()) return make(found->second, pointSize);
  QFont font = QGuiApplication::font();
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(pointSize))));
  font.setWeight(semibold ? QFont::DemiBold : QFont::Normal);
  return font;
}

QFont FontRegistry::font(const ui::Font& font) const {
  const auto found = faces_.find(font.fontName());
  if (found == faces_.end()) return systemFont(font.pointSize());
  return make(found->second, font.pointSize());
}

QString FontRegistry::family(const std::string& fontName) const {
  const auto found = faces_.find(fontName);
  return found == faces_.end() ? QString() : found->second.family;
}

}  // namespace instala::desktop
