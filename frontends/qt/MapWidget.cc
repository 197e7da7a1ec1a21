#include "qt/MapWidget.h"

#include "qt/Conversions.h"
#include "qt/MirrorContext.h"
#include "qt/TileCache.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace instala::desktop {
namespace {

constexpr double tileSize = 256;
constexpr int maximumZoom = 19;
// Metres per pixel at zoom 0 on the equator, for 256-pixel tiles.
constexpr double equatorMetersPerPixel = 156543.03392804097;
constexpr double metersPerDegree = 111319.49079327357;
// Without a region the map shows this much around its first pin.
constexpr double defaultSpanMeters = 1000;
const QColor neutralBackground(0xE8, 0xE6, 0xE1);
const QColor pinColor(0xE5, 0x39, 0x35);

double radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

}  // namespace

MapWidget::MapWidget(const std::shared_ptr<ui::View>& view, MirrorContext& context, QWidget* parent)
    : ViewWidget(view, context, parent) {
  connect(&context.tiles(), &TileCache::tileArrived, this, qOverload<>(&QWidget::update));
}

void MapWidget::syncFromModel(ui::View& view) {
  ViewWidget::syncFromModel(view);
  auto& map = static_cast<ui::MapView&>(view);
  std::vector<Pin> pins;
  for (const auto& annotation : map.annotations()) {
    pins.push_back({toQString(annotation->title()), annotation->coordinate()});
  }
  copy(pins_, std::move(pins));
  copy(region_, map.region());
}

MapWidget::Fit MapWidget::fit(const ui::CoordinateRegion& region, double width, double height) {
  const double cosine = std::max(0.01, std::cos(radians(region.center.latitude)));
  const double latitudeMeters = std::max(1.0, region.span.latitudeDelta * metersPerDegree);
  const double longitudeMeters = std::max(1.0, region.span.longitudeDelta * metersPerDegree * cosine);
  // The whole region is visible: the tighter of the two directions decides.
  const double metersPerPixel = std::max(latitudeMeters / std::max(1.0, height), longitudeMeters / std::max(1.0, width));
  const double zoom = std::log2(equatorMetersPerPixel * cosine / metersPerPixel);
  Fit result;
  result.zoom = std::clamp(static_cast<int>(std::floor(zoom)), 0, maximumZoom);
  result.scale = std::pow(2.0, zoom - result.zoom);
  return result;
}

QPointF MapWidget::worldPixel(const ui::Coordinate& coordinate, int zoom) {
  const double size = tileSize * std::pow(2.0, zoom);
  const double latitude = std::clamp(coordinate.latitude, -85.05112878, 85.05112878);
  const double x = (coordinate.longitude + 180.0) / 360.0 * size;
  const double y = (1.0 - std::asinh(std::tan(radians(latitude))) / std::numbers::pi) / 2.0 * size;
  return {x, y};
}

std::optional<ui::CoordinateRegion> MapWidget::shownRegion() const {
  if (region_) return region_;
  if (!pins_.empty()) {
    return ui::CoordinateRegion::withDistance(pins_.front().coordinate, defaultSpanMeters, defaultSpanMeters);
  }
  return std::nullopt;
}

void MapWidget::paintContent(QPainter& painter) {
  painter.fillRect(rect(), neutralBackground);
  const auto region = shownRegion();
  hadAllTiles_ = false;
  if (!region) return;
  paintTiles(painter, *region);
  const Fit fitted = fit(*region, width(), height());
  const QPointF center = worldPixel(region->center, fitted.zoom);
  const QPointF middle = QRectF(rect()).center();
  for (const auto& pin : pins_) {
    const QPointF tip = middle + (worldPixel(pin.coordinate, fitted.zoom) - center) * fitted.scale;
    paintPin(painter, tip, pin.title);
  }
  if (!hadAllTiles_) {
    const ui::Coordinate& shown = pins_.empty() ? region->center : pins_.front().coordinate;
    const QString text = QStringLiteral("%1, %2").arg(shown.latitude, 0, 'f', 5).arg(shown.longitude, 0, 'f', 5);
    QFont font = context().fonts().systemFont(11);
    painter.setFont(font);
    const QRectF box = QRectF(rect()).adjusted(6, 6, -6, -6);
    painter.setPen(QColor(0x55, 0x55, 0x55));
    painter.drawText(box, Qt::AlignLeft | Qt::AlignBottom, text);
  }
}

void MapWidget::paintTiles(QPainter& painter, const ui::CoordinateRegion& region) {
  const Fit fitted = fit(region, width(), height());
  const QPointF center = worldPixel(region.center, fitted.zoom);
  const double halfWidth = width() / 2.0 / fitted.scale;
  const double halfHeight = height() / 2.0 / fitted.scale;
  const int count = 1 << fitted.zoom;
  const int firstX = static_cast<int>(std::floor((center.x() - halfWidth) / tileSize));
  const int lastX = static_cast<int>(std::floor((center.x() + halfWidth) / tileSize));
  const int firstY = std::max(0, static_cast<int>(std::floor((center.y() - halfHeight) / tileSize)));
  const int lastY = std::min(count - 1, static_cast<int>(std::floor((center.y() + halfHeight) / tileSize)));
  const QPointF middle = QRectF(rect()).center();
  const double drawn = tileSize * fitted.scale;
  bool complete = true;
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  for (int ty = firstY; ty <= lastY; ++ty) {
    for (int tx = firstX; tx <= lastX; ++tx) {
      const int wrapped = ((tx % count) + count) % count;
      const QImage image = context().tiles().tile(fitted.zoom, wrapped, ty);
      if (image.isNull()) {
        complete = false;
        continue;
      }
      const QPointF topLeft = middle + (QPointF(tx * tileSize, ty * tileSize) - center) * fitted.scale;
      // Half a pixel of overlap hides the seams between scaled tiles.
      painter.drawImage(QRectF(topLeft, QSizeF(drawn, drawn)).adjusted(-0.25, -0.25, 0.25, 0.25), image);
    }
  }
  painter.restore();
  hadAllTiles_ = complete;
}

void MapWidget::paintPin(QPainter& painter, QPointF tip, const QString& title) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const double radius = 11;
  const QPointF head(tip.x(), tip.y() - 28);
  QPainterPath marker;
  marker.moveTo(tip);
  marker.cubicTo(tip + QPointF(-4, -8), head + QPointF(-radius, 6), head + QPointF(-radius, 0));
  marker.arcTo(QRectF(head.x() - radius, head.y() - radius, 2 * radius, 2 * radius), 180, -180);
  marker.cubicTo(head + QPointF(radius, 6), tip + QPointF(4, -8), tip);
  painter.setPen(QPen(QColor(0, 0, 0, 60), 1));
  painter.setBrush(pinColor);
  painter.drawPath(marker);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::white);
  painter.drawEllipse(head, 4, 4);
  if (!title.isEmpty()) {
    const QFont font = context().fonts().systemFont(12, true);
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    const double textWidth = metrics.horizontalAdvance(title);
    const QRectF box(tip.x() - textWidth / 2 - 6, tip.y() + 4, textWidth + 12, metrics.height() + 4);
    painter.setBrush(QColor(255, 255, 255, 230));
    painter.setPen(QPen(QColor(0, 0, 0, 40), 1));
    painter.drawRoundedRect(box, 5, 5);
    painter.setPen(QColor(0x22, 0x22, 0x22));
    painter.drawText(box, Qt::AlignCenter, title);
  }
  painter.restore();
}

}  // namespace instala::desktop
