#include "qt/OverlayWidget.h"

#include "qt/Conversions.h"
#include "ui/ActivityIndicatorView.h"

#include <QPainter>

namespace instala::desktop {
namespace {
constexpr int spokes = 12;
constexpr int turnIntervalMs = 80;
}  // namespace

OverlayWidget::OverlayWidget(const std::shared_ptr<ui::View>& view, MirrorContext& context, QWidget* parent)
    : ViewWidget(view, context, parent) {
  turn_.setInterval(turnIntervalMs);
  connect(&turn_, &QTimer::timeout, this, [this] {
    step_ = (step_ + 1) % spokes;
    update();
  });
}

void OverlayWidget::syncFromModel(ui::View& view) {
  ViewWidget::syncFromModel(view);
  auto& indicator = static_cast<ui::ActivityIndicatorView&>(view);
  using Style = ui::ActivityIndicatorView::Style;
  copy(large_, indicator.style() == Style::large || indicator.style() == Style::whiteLarge);
  if (indicator.color()) {
    copy(color_, toQColor(*indicator.color()));
  } else if (indicator.style() == Style::white || indicator.style() == Style::whiteLarge) {
    copy(color_, QColor(Qt::white));
  } else {
    copy(color_, QColor(0x8E, 0x8E, 0x93));
  }
  copy(spinning_, indicator.isAnimating());
  if (spinning_ && !turn_.isActive()) turn_.start();
  if (!spinning_) turn_.stop();
}

void OverlayWidget::paintContent(QPainter& painter) {
  // The phone hides a stopped indicator.
  if (!spinning_) return;
  const double diameter = large_ ? 37 : 20;
  const QPointF center = QRectF(rect()).center();
  painter.save();
  painter.translate(center);
  QPen pen(color_, large_ ? 3.5 : 2.0, Qt::SolidLine, Qt::RoundCap);
  for (int i = 0; i < spokes; ++i) {
    QColor spoke = color_;
    // The spoke at the current step is the brightest; the others fade behind it.
    const int age = (step_ - i + spokes) % spokes;
    spoke.setAlphaF(static_cast<float>(color_.alphaF() * (1.0 - 0.75 * age / (spokes - 1.0))));
    pen.setColor(spoke);
    painter.setPen(pen);
    painter.save();
    painter.rotate(360.0 * i / spokes);
    painter.drawLine(QPointF(0, -diameter / 2), QPointF(0, -diameter / 4));
    painter.restore();
  }
  painter.restore();
}

}  // namespace instala::desktop
