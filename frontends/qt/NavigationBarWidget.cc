#include "qt/NavigationBarWidget.h"

#include "qt/BarButton.h"
#include "qt/Conversions.h"
#include "qt/MirrorContext.h"
#include "ui/NavigationController.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace instala::desktop {
namespace {

constexpr int sideMargin = 4;

void syncItem(QAbstractButton* button, const std::shared_ptr<ui::BarButtonItem>& item, MirrorContext& context,
              const QColor& tint) {
  auto* bar = static_cast<BarButton*>(button);
  if (!item) {
    bar->hide();
    return;
  }
  bar->setText(toQString(item->title()));
  QImage icon;
  if (item->image() && item->title().empty()) icon = context.image(*item->image(), QSize(24, 24));
  bar->setIcon(icon);
  bar->setEnabled(item->isEnabled());
  bar->setTint(tint);
  bar->show();
}

}  // namespace

NavigationBarWidget::NavigationBarWidget(MirrorContext& context, QWidget* parent)
    : QWidget(parent), context_(context), back_(new BarButton(this)), left_(new BarButton(this)),
      right_(new BarButton(this)) {
  static_cast<BarButton*>(back_)->setChevron(true);
  const QFont font = context.fonts().systemFont(17);
  for (auto* button : {back_, left_, right_}) {
    button->setFont(font);
    button->hide();
  }
  connect(back_, &QAbstractButton::clicked, this, [this] {
    if (auto navigation = navigation_.lock()) navigation->popViewController(true);
    context_.modelChanged();
  });
  connect(left_, &QAbstractButton::clicked, this, [this] {
    auto navigation = navigation_.lock();
    auto top = navigation ? navigation->topViewController() : nullptr;
    if (top && top->navigationItem().leftBarButtonItem) top->navigationItem().leftBarButtonItem->tap();
    context_.modelChanged();
  });
  connect(right_, &QAbstractButton::clicked, this, [this] {
    auto navigation = navigation_.lock();
    auto top = navigation ? navigation->topViewController() : nullptr;
    if (top && top->navigationItem().rightBarButtonItem) top->navigationItem().rightBarButtonItem->tap();
    context_.modelChanged();
  });
}

void NavigationBarWidget::sync(const std::shared_ptr<ui::NavigationController>& navigation) {
  navigation_ = navigation;
  auto top = navigation ? navigation->topViewController() : nullptr;
  if (!top) {
    title_.clear();
    for (auto* button : {back_, left_, right_}) button->hide();
    update();
    return;
  }
  const auto& item = top->navigationItem();
  title_ = toQString(item.title.value_or(top->title()));
  const QColor tint = navigation->viewIfLoaded() && navigation->viewIfLoaded()->tintColor()
                          ? toQColor(*navigation->viewIfLoaded()->tintColor())
                          : MirrorContext::defaultTint();
  syncItem(left_, item.leftBarButtonItem, context_, tint);
  syncItem(right_, item.rightBarButtonItem, context_, tint);
  const auto backTitle = navigation->backButtonTitle();
  if (backTitle && !item.leftBarButtonItem) {
    back_->setText(toQString(*backTitle));
    static_cast<BarButton*>(back_)->setTint(tint);
    back_->show();
  } else {
    back_->hide();
  }
  arrange();
  update();
}

void NavigationBarWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  arrange();
}

void NavigationBarWidget::arrange() {
  // Side buttons take at most a third of the bar each, so the title keeps the middle.
  const int limit = width() / 3;
  auto place = [&](QAbstractButton* button, bool left) {
    if (button->isHidden()) return;
    const int w = std::min(limit, button->sizeHint().width());
    button->setGeometry(left ? sideMargin : width() - sideMargin - w, 0, w, barHeight);
  };
  place(back_, true);
  place(left_, true);
  place(right_, false);
}

void NavigationBarWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(0xF9, 0xF9, 0xF9));
  painter.fillRect(QRectF(0, height() - 0.5, width(), 0.5), QColor(0, 0, 0, 77));
  int leftEdge = sideMargin;
  for (auto* button : {back_, left_}) {
    if (!button->isHidden()) leftEdge = std::max(leftEdge, button->geometry().right() + 1);
  }
  int rightEdge = width() - sideMargin;
  if (!right_->isHidden()) rightEdge = right_->geometry().left();
  // The title stays centred on the bar, as wide as the buttons on both sides allow.
  const int half = std::max(0, std::min(width() / 2 - leftEdge, rightEdge - width() / 2) - 4);
  const QRectF box(width() / 2.0 - half, 0, 2.0 * half, height());
  const QFont font = context_.fonts().systemFont(17, true);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(box, Qt::AlignCenter, QFontMetricsF(font).elidedText(title_, Qt::ElideRight, box.width()));
}

}  // namespace instala::desktop
