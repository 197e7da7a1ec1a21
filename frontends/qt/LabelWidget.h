#pragma once
// A model label: its text in its font, colour, alignment and line limit.

#include "qt/TextDrawing.h"
#include "qt/ViewWidget.h"

namespace instala::desktop {

class LabelWidget : public ViewWidget {
  Q_OBJECT

 public:
  using ViewWidget::ViewWidget;

  void syncFromModel(ui::View& view) override;
  const QString& text() const { return text_; }
  const TextStyle& textStyle() const { return textStyle_; }

 protected:
  void paintContent(QPainter& painter) override;

 private:
  QString text_;
  TextStyle textStyle_;
};

}  // namespace instala::desktop
