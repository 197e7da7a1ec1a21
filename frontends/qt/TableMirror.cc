#include "qt/TableMirror.h"

#include "qt/MirrorContext.h"
#include "ui/TableView.h"

#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace instala::desktop {
namespace {

constexpr int indicatorWidth = 3;
constexpr int indicatorMargin = 2;
// One notch of a mouse wheel scrolls this many points.
constexpr double pointsPerNotch = 48;

class ScrollIndicator : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 90));
    painter.drawRoundedRect(rect(), width() / 2.0, width() / 2.0);
  }
};

}  // namespace

TableMirror::TableMirror(const std::shared_ptr<ui::View>& view, MirrorContext& context, QWidget* parent)
    : ViewWidget(view, context, parent), indicator_(new ScrollIndicator(this)) {
  indicator_->setAttribute(Qt::WA_TransparentForMouseEvents);
  indicator_->hide();
}

void TableMirror::syncFromModel(ui::View& view) {
  ViewWidget::syncFromModel(view);
  auto& table = static_cast<ui::TableView&>(view);
  offset_ = table.contentOffset();
  contentHeight_ = table.contentHeight();
  placeIndicator();
}

void TableMirror::childrenSynced() { placeIndicator(); }

void TableMirror::resizeEvent(QResizeEvent* event) {
  ViewWidget::resizeEvent(event);
  placeIndicator();
}

void TableMirror::placeIndicator() {
  const double visible = height();
  if (contentHeight_ <= visible + 0.5 || visible <= 0) {
    indicator_->hide();
    return;
  }
  const double length = std::max(24.0, visible * visible / contentHeight_);
  const double travel = visible - length - 2 * indicatorMargin;
  const double position = indicatorMargin + travel * std::clamp(offset_ / (contentHeight_ - visible), 0.0, 1.0);
  indicator_->setGeometry(width() - indicatorWidth - indicatorMargin, static_cast<int>(std::lround(position)),
                          indicatorWidth, static_cast<int>(std::lround(length)));
  indicator_->show();
  indicator_->raise();
}

bool TableMirror::scrollBy(double dy) {
  auto table = std::dynamic_pointer_cast<ui::TableView>(view());
  if (!table || dy == 0) return false;
  const double limit = std::max(0.0, table->contentHeight() - table->frame().height());
  const double target = std::clamp(table->contentOffset() + dy, 0.0, limit);
  if (target == table->contentOffset()) return true;
  table->setContentOffset(target);
  context().modelChanged();
  return true;
}

void TableMirror::wheelEvent(QWheelEvent* event) {
  double dy = 0;
  if (!event->pixelDelta().isNull()) {
    dy = -event->pixelDelta().y();
  } else {
    dy = -event->angleDelta().y() / 120.0 * pointsPerNotch;
  }
  if (dy != 0 && scrollBy(dy)) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace instala::desktop
