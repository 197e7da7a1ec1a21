#include "qt/TabBarWidget.h"

#include "qt/Conversions.h"
#include "qt/MirrorContext.h"
#include "ui/Image.h"
#include "ui/NavigationController.h"
#include "ui/TabBarController.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace instala::desktop {
namespace {
constexpr int iconSide = 24;
const QColor unselectedColor(0x8E, 0x8E, 0x93);
const QColor badgeColor(0xFF, 0x3B, 0x30);
}  // namespace

TabBarWidget::TabBarWidget(MirrorContext& context, QWidget* parent)
    : QWidget(parent), context_(context), tint_(MirrorContext::defaultTint()) {
  setCursor(Qt::PointingHandCursor);
}

void TabBarWidget::sync(const std::shared_ptr<ui::TabBarController>& tabs) {
  tabs_ = tabs;
  items_.clear();
  if (tabs) {
    for (const auto& tab : tabs->viewControllers()) {
      Item item;
      item.title = toQString(tab->tabBarItem().title);
      if (item.title.isEmpty()) {
        // The phone shows the title of the screen the tab holds.
        std::shared_ptr<ui::ViewController> shown = tab;
        if (auto* navigation = dynamic_cast<ui::NavigationController*>(tab.get());
            navigation && !navigation->viewControllers().empty()) {
          shown = navigation->viewControllers().front();
        }
        item.title = toQString(shown->navigationItem().title.value_or(shown->title()));
      }
      item.imageName = toQString(tab->tabBarItem().imageName);
      if (const auto& badge = tab->tabBarItem().badgeValue) item.badge = toQString(*badge);
      items_.push_back(item);
    }
    selected_ = static_cast<int>(tabs->selectedIndex());
    if (auto view = tabs->viewIfLoaded(); view && view->tintColor()) tint_ = toQColor(*view->tintColor());
  }
  update();
}

QStringList TabBarWidget::titles() const {
  QStringList result;
  for (const auto& item : items_) result << item.title;
  return result;
}

QStringList TabBarWidget::badges() const {
  QStringList result;
  for (const auto& item : items_) result << item.badge;
  return result;
}

QRect TabBarWidget::itemRect(int index) const {
  if (items_.empty() || index < 0 || index >= static_cast<int>(items_.size())) return {};
  const int count = static_cast<int>(items_.size());
  const int left = width() * index / count;
  const int right = width() * (index + 1) / count;
  return {left, 0, right - left, height()};
}

void TabBarWidget::select(int index) {
  auto tabs = tabs_.lock();
  if (!tabs || index < 0 || index >= static_cast<int>(tabs->viewControllers().size())) return;
  if (static_cast<std::size_t>(index) == tabs->selectedIndex()) {
    if (auto* navigation = dynamic_cast<ui::NavigationController*>(tabs->selectedViewController().get())) {
      navigation->popToRootViewController(true);
    }
  } else {
    tabs->setSelectedIndex(static_cast<std::size_t>(index));
  }
  context_.modelChanged();
}

void TabBarWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
    if (itemRect(i).contains(event->position().toPoint())) {
      select(i);
      return;
    }
  }
}

void TabBarWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(rect(), QColor(0xF9, 0xF9, 0xF9));
  painter.fillRect(QRectF(0, 0, width(), 0.5), QColor(0, 0, 0, 77));
  for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
    const QRect box = itemRect(i);
    const QColor color = i == selected_ ? tint_ : unselectedColor;
    const auto& item = items_[static_cast<std::size_t>(i)];
    QImage icon;
    if (!item.imageName.isEmpty()) {
      if (auto image = ui::Image::named(toStdString(item.imageName))) {
        icon = context_.image(*image, QSize(iconSide, iconSide));
      }
    }
    QFont font = context_.fonts().systemFont(icon.isNull() ? 15 : 11, i == selected_);
    painter.setFont(font);
    painter.setPen(color);
    if (icon.isNull()) {
      painter.drawText(box, Qt::AlignCenter, item.title);
      if (i == selected_) {
        painter.fillRect(QRectF(box.center().x() - 14, box.bottom() - 9, 28, 3), color);
      }
      paintBadge(painter, box, item, font);
      continue;
    }
    // The icon takes the item's colour.
    QImage tinted(icon.size(), QImage::Format_ARGB32_Premultiplied);
    tinted.setDevicePixelRatio(icon.devicePixelRatio());
    tinted.fill(Qt::transparent);
    {
      QPainter tint(&tinted);
      tint.drawImage(QPointF(0, 0), icon);
      tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
      tint.fillRect(QRectF(QPointF(0, 0), icon.deviceIndependentSize()), color);
    }
    painter.drawImage(QRectF(box.center().x() - iconSide / 2.0, 7, iconSide, iconSide), tinted);
    painter.drawText(QRect(box.left(), 33, box.width(), 16), Qt::AlignCenter, item.title);
    paintBadge(painter, box, item, font);
  }
}

void TabBarWidget::paintBadge(QPainter& painter, const QRect& box, const Item& item, const QFont& titleFont) const {
  if (item.badge.isEmpty()) return;
  QFont font = context_.fonts().systemFont(11, true);
  const int textWidth = QFontMetrics(font).horizontalAdvance(item.badge);
  const double height = 18;
  const double width = std::max(height, textWidth + 10.0);
  const double titleRight = box.center().x() + QFontMetrics(titleFont).horizontalAdvance(item.title) / 2.0;
  const QRectF pill(std::min(titleRight + 2, box.right() - width - 2), 4, width, height);
  painter.save();
  painter.setPen(Qt::NoPen);
  painter.setBrush(badgeColor);
  painter.drawRoundedRect(pill, height / 2, height / 2);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(pill, Qt::AlignCenter, item.badge);
  painter.restore();
}

}  // namespace instala::desktop
