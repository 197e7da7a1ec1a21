#include "qt/Conversions.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace instala::desktop {
namespace {

int channel(double component) { return std::clamp(static_cast<int>(std::lround(component * 255.0)), 0, 255); }

}  // namespace

QColor toQColor(const ui::Color& color) {
  return QColor(channel(color.red()), channel(color.green()), channel(color.blue()), channel(color.alpha()));
}

QColor toQColor(const std::optional<ui::Color>& color) { return color ? toQColor(*color) : QColor(Qt::transparent); }

QRectF toQRectF(const ui::Rect& rect) { return {rect.x(), rect.y(), rect.width(), rect.height()}; }

QRect toQRect(const ui::Rect& rect) {
  const int left = static_cast<int>(std::lround(rect.x()));
  const int top = static_cast<int>(std::lround(rect.y()));
  const int right = static_cast<int>(std::lround(rect.maxX()));
  const int bottom = static_cast<int>(std::lround(rect.maxY()));
  return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

QString toQString(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::string toStdString(const QString& text) { return text.toStdString(); }

QImage toQImage(const platform::Image& image) {
  QImage result(image.width(), image.height(), QImage::Format_RGB888);
  const auto rowBytes = static_cast<std::size_t>(image.width()) * 3;
  for (int y = 0; y < image.height(); ++y) {
    std::memcpy(result.scanLine(y), image.pixels().data() + static_cast<std::size_t>(y) * rowBytes, rowBytes);
  }
  return result;
}

std::optional<platform::Image> toPlatformImage(const QImage& image) {
  if (image.isNull()) return std::nullopt;
  QImage rgb;
  if (image.hasAlphaChannel()) {
    QImage flattened(image.size(), QImage::Format_RGB888);
    flattened.fill(Qt::white);
    QPainter painter(&flattened);
    painter.drawImage(0, 0, image);
    painter.end();
    rgb = std::move(flattened);
  } else {
    rgb = image.convertToFormat(QImage::Format_RGB888);
  }
  const auto rowBytes = static_cast<std::size_t>(rgb.width()) * 3;
  platform::Bytes pixels(rowBytes * static_cast<std::size_t>(rgb.height()));
  for (int y = 0; y < rgb.height(); ++y) {
    std::memcpy(pixels.data() + static_cast<std::size_t>(y) * rowBytes, rgb.constScanLine(y), rowBytes);
  }
  return platform::Image::fromRGB(rgb.width(), rgb.height(), std::move(pixels));
}

}  // namespace instala::desktop
