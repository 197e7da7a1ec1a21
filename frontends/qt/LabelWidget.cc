#include "qt/LabelWidget.h"

#include "qt/Conversions.h"
#include "qt/MirrorContext.h"
#include "ui/Label.h"

#include <QPainter>

namespace instala::desktop {

void LabelWidget::syncFromModel(ui::View& view) {
  ViewWidget::syncFromModel(view);
  auto& label = static_cast<ui::Label&>(view);
  text_ = toQString(label.text());
  textStyle_.font = context().fonts().font(label.font());
  textStyle_.color = label.textColor() ? toQColor(*label.textColor()) : QColor(Qt::black);
  textStyle_.alignment = label.textAlignment();
  textStyle_.maximumLines = label.numberOfLines();
  textStyle_.shrinkToFit = label.adjustsFontSizeToFitWidth();
}

void LabelWidget::paintContent(QPainter& painter) { drawText(painter, rect(), text_, textStyle_); }

}  // namespace instala::desktop
