#include "qt/RowViewWidget.h"

#include "qt/Conversions.h"

namespace instala::desktop {

RowViewWidget::RowViewWidget(const std::shared_ptr<ui::View>& view, MirrorContext& context, QWidget* parent)
    : ViewWidget(view, context, parent), highlight_(new QWidget(this)) {
  highlight_->setAttribute(Qt::WA_TransparentForMouseEvents);
  highlight_->setAutoFillBackground(true);
  QPalette palette = highlight_->palette();
  palette.setColor(QPalette::Window, QColor(0, 0, 0, 26));
  highlight_->setPalette(palette);
  highlight_->hide();
}

void RowViewWidget::syncFromModel(ui::View& view) {
  ViewWidget::syncFromModel(view);
  rowClass_ = toQString(view.className());
}

void RowViewWidget::childrenSynced() {
  highlight_->setGeometry(rect());
  highlight_->raise();
}

void RowViewWidget::setTouchHighlighted(bool highlighted) {
  highlighted_ = highlighted;
  highlight_->setGeometry(rect());
  highlight_->raise();
  highlight_->setVisible(highlighted);
}

}  // namespace instala::desktop
