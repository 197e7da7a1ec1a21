#pragma once
// A table row view made from its nib. The row itself is drawn like any view
// (its card, labels and controls are its mirrored children); the row adds the
// phone's grey press highlight over its content while a finger, here the
// mouse, rests on it.

#include "qt/ViewWidget.h"

namespace instala::desktop {

class RowViewWidget : public ViewWidget {
  Q_OBJECT

 public:
  RowViewWidget(const std::shared_ptr<ui::View>& view, MirrorContext& context, QWidget* parent = nullptr);

  void syncFromModel(ui::View& view) override;
  void childrenSynced() override;
  void setTouchHighlighted(bool highlighted) override;
  bool isTouchHighlighted() const { return highlighted_; }
  // The class of the row view ("TicketCell").
  const QString& rowClass() const { return rowClass_; }

 private:
  QWidget* highlight_;
  bool highlighted_ = false;
  QString rowClass_;
};

}  // namespace instala::desktop
