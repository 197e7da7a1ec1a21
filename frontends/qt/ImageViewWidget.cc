#include "qt/ImageViewWidget.h"

#include "qt/Conversions.h"
#include "qt/MirrorContext.h"
#include "ui/ImageView.h"

#include <QPainter>

namespace instala::desktop {

void ImageViewWidget::syncFromModel(ui::View& view) {
  ViewWidget::syncFromModel(view);
  copy(image_, static_cast<ui::ImageView&>(view).image());
}

QString ImageViewWidget::imageName() const { return image_ ? toQString(image_->name()) : QString(); }

void ImageViewWidget::paintContent(QPainter& painter) {
  if (!image_) return;
  const QImage image = context().image(*image_, size());
  if (image.isNull()) return;
  const QSizeF fitted = image.deviceIndependentSize().scaled(QSizeF(size()), Qt::KeepAspectRatio);
  const QRectF target(QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(target, image);
}

}  // namespace instala::desktop
