#pragma once
// A model activity indicator. The loading overlay is one: a view as large as
// the window in the overlay colour (black at 0.2) with the white spinner in its
// middle, turning while the model says it animates.

#include "qt/ViewWidget.h"

#include <QTimer>

namespace instala::desktop {

class OverlayWidget : public ViewWidget {
  Q_OBJECT

 public:
  OverlayWidget(const std::shared_ptr<ui::View>& view, MirrorContext& context, QWidget* parent = nullptr);

  void syncFromModel(ui::View& view) override;
  bool isSpinning() const { return spinning_; }
  QColor spinnerColor() const { return color_; }

 protected:
  void paintContent(QPainter& painter) override;

 private:
  QTimer turn_;
  int step_ = 0;
  bool spinning_ = false;
  bool large_ = true;
  QColor color_;
};

}  // namespace instala::desktop
