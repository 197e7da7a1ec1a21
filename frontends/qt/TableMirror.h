#pragma once
// A model table. The model decides which rows and section headers exist and
// where (it asks the screen, its data source, and recycles row views); their
// widgets are this widget's mirrored children. Scrolling (wheel, dragging a
// row, the keyboard's page keys) moves the model's content offset, and the
// model tiles the rows anew. A thin indicator shows where the view is.

#include "qt/ViewWidget.h"

namespace instala::desktop {

class TableMirror : public ViewWidget {
  Q_OBJECT

 public:
  TableMirror(const std::shared_ptr<ui::View>& view, MirrorContext& context, QWidget* parent = nullptr);

  void syncFromModel(ui::View& view) override;
  void childrenSynced() override;
  bool scrollBy(double dy) override;
  double contentOffset() const { return offset_; }
  double contentHeight() const { return contentHeight_; }

 protected:
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void placeIndicator();

  QWidget* indicator_;
  double offset_ = 0;
  double contentHeight_ = 0;
};

}  // namespace instala::desktop
