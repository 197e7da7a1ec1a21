#include "qt/ButtonWidget.h"

#include "qt/Conversions.h"
#include "qt/MirrorContext.h"
#include "ui/Button.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace instala::desktop {
namespace {
constexpr double imageSpacing = 6;
}  // namespace

void ButtonWidget::syncFromModel(ui::View& view) {
  ViewWidget::syncFromModel(view);
  auto& button = static_cast<ui::Button&>(view);
  copy(enabled_, button.isEnabled());
  const ui::ControlState state = enabled_ ? ui::ControlState::normal : ui::ControlState::disabled;
  copy(title_, toQString(button.title(state).value_or("")));
  copy(highlightedTitle_, toQString(button.title(ui::ControlState::highlighted).value_or("")));
  const QColor tint = button.tintColor() ? toQColor(*button.tintColor()) : MirrorContext::defaultTint();
  auto colorFor = [&](ui::ControlState forState) {
    if (auto color = button.titleColor(forState)) return toQColor(*color);
    return tint;
  };
  TextStyle style;
  style.font = context().fonts().font(button.font());
  style.color = colorFor(state);
  if (!enabled_ && !button.titleColor(ui::ControlState::disabled)) style.color = QColor(0x99, 0x99, 0x99);
  style.alignment = ui::TextAlignment::center;
  style.maximumLines = 1;
  copy(textStyle_, style);
  QColor highlighted = colorFor(ui::ControlState::highlighted);
  if (!button.titleColor(ui::ControlState::highlighted)) highlighted.setAlphaF(0.4f);
  copy(highlightedColor_, highlighted);
  copy(image_, button.image(state));
}

void ButtonWidget::paintContent(QPainter& painter) {
  const bool highlighted = isPressed() && enabled_;
  TextStyle style = textStyle_;
  QString title = highlighted && !highlightedTitle_.isEmpty() ? highlightedTitle_ : title_;
  if (highlighted) style.color = highlightedColor_;
  const QRectF bounds = rect();
  QImage image;
  // An image sits in a square as high as the button, less a small margin.
  const double side = std::max(1.0, std::min(bounds.height(), bounds.width()) - 8);
  if (image_) image = context().image(*image_, QSize(static_cast<int>(side), static_cast<int>(side)));
  if (image.isNull()) {
    drawText(painter, bounds, title, style);
    return;
  }
  const QSizeF imageSize = image.deviceIndependentSize().scaled(QSizeF(side, side), Qt::KeepAspectRatio);
  const double textWidth = title.isEmpty() ? 0 : QFontMetricsF(style.font).horizontalAdvance(title);
  const double total = imageSize.width() + (title.isEmpty() ? 0 : imageSpacing + textWidth);
  double x = bounds.left() + std::max(0.0, (bounds.width() - total) / 2);
  painter.save();
  if (highlighted) painter.setOpacity(0.4);
  painter.drawImage(QRectF(QPointF(x, bounds.center().y() - imageSize.height() / 2), imageSize), image);
  painter.restore();
  x += imageSize.width() + imageSpacing;
  if (!title.isEmpty()) {
    style.alignment = ui::TextAlignment::left;
    drawText(painter, QRectF(x, bounds.top(), bounds.right() - x, bounds.height()), title, style);
  }
}

}  // namespace instala::desktop
