#include "qt/SwitchWidget.h"

#include "qt/Conversions.h"
#include "ui/Switch.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace instala::desktop {

void SwitchWidget::syncFromModel(ui::View& view) {
  ViewWidget::syncFromModel(view);
  auto& control = static_cast<ui::Switch&>(view);
  copy(on_, control.isOn());
  copy(enabled_, control.isEnabled());
  copy(onTint_, control.onTintColor() ? toQColor(*control.onTintColor()) : QColor(0x34, 0xC7, 0x59));
}

void SwitchWidget::paintContent(QPainter& painter) {
  // The pill keeps the phone's proportions (51 by 31) inside whatever frame the model gives.
  const QRectF bounds = rect();
  const double height = std::min(bounds.height(), bounds.width() * 31.0 / 51.0);
  const double width = height * 51.0 / 31.0;
  const QRectF track(bounds.center().x() - width / 2, bounds.center().y() - height / 2, width, height);
  painter.save();
  if (!enabled_) painter.setOpacity(0.5);
  painter.setPen(Qt::NoPen);
  const double radius = height / 2;
  if (on_) {
    painter.setBrush(onTint_);
    painter.drawRoundedRect(track, radius, radius);
  } else {
    painter.setBrush(QColor(0xE9, 0xE9, 0xEB));
    painter.drawRoundedRect(track, radius, radius);
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(track.adjusted(1.5, 1.5, -1.5, -1.5), radius - 1.5, radius - 1.5);
  }
  const double knob = height - 4;
  const double knobX = on_ ? track.right() - 2 - knob : track.left() + 2;
  const QRectF knobRect(knobX, track.top() + 2, knob, knob);
  painter.setBrush(QColor(0, 0, 0, 40));
  painter.drawEllipse(knobRect.translated(0, 1.5).adjusted(-0.5, -0.5, 0.5, 0.5));
  painter.setBrush(Qt::white);
  painter.drawEllipse(knobRect);
  painter.restore();
}

}  // namespace instala::desktop
