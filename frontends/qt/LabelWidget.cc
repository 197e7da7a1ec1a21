#include "qt/LabelWidget.h"

#include "qt/Conversions.h"
#include "qt/MirrorContext.h"
#include "ui/Label.h"

#include <QPainter>

namespace instala::desktop {

void LabelWidget::syncFromModel(ui::View& view) {
  ViewWidget::syncFromModel(view);
  auto& label = static_cast<ui::Label&>(view);
  copy(text_, toQString(label.text()));
  TextStyle style;
  style.font = context().fonts().font(label.font());
  style.color = label.textColor() ? toQColor(*label.textColor()) : QColor(Qt::black);
  style.alignment = label.textAlignment();
  style.maximumLines = label.numberOfLines();
  style.shrinkToFit = label.adjustsFontSizeToFitWidth();
  copy(textStyle_, style);
}

void LabelWidget::paintContent(QPainter& painter) { drawText(painter, rect(), text_, textStyle_); }

}  // namespace instala::desktop
