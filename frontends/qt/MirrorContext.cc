#include "qt/MirrorContext.h"

#include "qt/Conversions.h"

#include <QPainter>
#include <QSvgRenderer>

namespace instala::desktop {

MirrorContext::MirrorContext(FontRegistry& fonts, AnimationTracker& animations, TileCache& tiles,
                             WebModuleLoader& webModules)
    : fonts_(fonts), animations_(animations), tiles_(tiles), webModules_(webModules) {}

bool MirrorContext::tap(ui::View& view) {
  auto window = window_.lock();
  const bool delivered = window && window->sendTap(view);
  modelChanged();
  return delivered;
}

void MirrorContext::modelChanged() {
  if (redraw_) redraw_();
}

QColor MirrorContext::defaultTint() { return QColor(0x00, 0x7A, 0xFF); }

QImage MirrorContext::image(const ui::Image& image, QSize size) {
  if (size.isEmpty()) return {};
  if (const auto* pixels = image.pixels()) return toQImage(*pixels);
  if (!image.assetFile()) return {};
  const auto& file = *image.assetFile();
  const std::string key = file.string() + "@" + std::to_string(size.width()) + "x" + std::to_string(size.height());
  if (auto found = assetImages_.find(key); found != assetImages_.end()) return found->second;
  QImage result;
  const QString path = QString::fromStdString(file.string());
  if (file.extension() == ".svg") {
    QSvgRenderer renderer(path);
    if (renderer.isValid()) {
      // Twice the size, so the image stays sharp on high-density screens and in screenshots.
      result = QImage(size * 2, QImage::Format_ARGB32_Premultiplied);
      result.fill(Qt::transparent);
      QPainter painter(&result);
      renderer.setAspectRatioMode(Qt::KeepAspectRatio);
      renderer.render(&painter);
      painter.end();
      result.setDevicePixelRatio(2);
    }
  } else {
    result.load(path);
  }
  assetImages_[key] = result;
  return result;
}

}  // namespace instala::desktop
