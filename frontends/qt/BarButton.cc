#include "qt/BarButton.h"

#include "qt/MirrorContext.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace instala::desktop {
namespace {
constexpr int chevronWidth = 14;
constexpr int padding = 8;
constexpr int iconSide = 24;
}  // namespace

BarButton::BarButton(QWidget* parent) : QAbstractButton(parent), tint_(MirrorContext::defaultTint()) {
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::NoFocus);
}

void BarButton::setChevron(bool chevron) {
  chevron_ = chevron;
  updateGeometry();
  update();
}

void BarButton::setTint(const QColor& tint) {
  tint_ = tint;
  update();
}

void BarButton::setIcon(const QImage& image) {
  icon_ = image;
  updateGeometry();
  update();
}

QSize BarButton::sizeHint() const {
  const QFontMetricsF metrics(font());
  int width = padding * 2 + (chevron_ ? chevronWidth : 0);
  width += icon_.isNull() ? static_cast<int>(std::ceil(metrics.horizontalAdvance(text()))) : iconSide;
  return {width, 44};
}

void BarButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QColor color = isEnabled() ? tint_ : QColor(0xA0, 0xA0, 0xA0);
  if (isDown()) color.setAlphaF(0.35f);
  double x = padding;
  if (chevron_) {
    QPen pen(color, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    const double middle = height() / 2.0;
    QPainterPath path;
    path.moveTo(x + 9, middle - 9);
    path.lineTo(x + 1, middle);
    path.lineTo(x + 9, middle + 9);
    painter.drawPath(path);
    x += chevronWidth;
  }
  if (!icon_.isNull()) {
    const QRectF target(x, (height() - iconSide) / 2.0, iconSide, iconSide);
    painter.drawImage(target, icon_);
    return;
  }
  painter.setPen(color);
  painter.setFont(font());
  const QRectF box(x, 0, width() - x - padding / 2.0, height());
  painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter,
                   QFontMetricsF(font()).elidedText(text(), Qt::ElideRight, box.width()));
}

}  // namespace instala::desktop
