#pragma once
// A model button: the title and image of its current state in its title
// colour (the tint when it has none), dimmed while pressed, greyed when disabled.

#include "qt/TextDrawing.h"
#include "qt/ViewWidget.h"
#include "ui/Image.h"

#include <QImage>

#include <optional>

namespace instala::desktop {

class ButtonWidget : public ViewWidget {
  Q_OBJECT

 public:
  using ViewWidget::ViewWidget;

  void syncFromModel(ui::View& view) override;
  const QString& title() const { return title_; }

 protected:
  void paintContent(QPainter& painter) override;
  bool highlightsRowOnPress() const override { return false; }

 private:
  QString title_;
  QString highlightedTitle_;
  TextStyle textStyle_;
  QColor highlightedColor_;
  std::optional<ui::Image> image_;
  bool enabled_ = true;
};

}  // namespace instala::desktop
