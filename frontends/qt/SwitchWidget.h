#pragma once
// A model switch: the phone's pill with its knob, in its on-tint when on.

#include "qt/ViewWidget.h"

namespace instala::desktop {

class SwitchWidget : public ViewWidget {
  Q_OBJECT

 public:
  using ViewWidget::ViewWidget;

  void syncFromModel(ui::View& view) override;
  bool isOn() const { return on_; }

 protected:
  void paintContent(QPainter& painter) override;
  bool highlightsRowOnPress() const override { return false; }

 private:
  bool on_ = false;
  bool enabled_ = true;
  QColor onTint_;
};

}  // namespace instala::desktop
