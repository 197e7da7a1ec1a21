#include "qt/UploadProgressWidget.h"

#include "qt/MirrorContext.h"

#include <QPainter>

#include <algorithm>

namespace instala::desktop {
namespace {
const QColor trackColor(0xDD, 0xE5, 0xF0);
const QColor barColor(0x1B, 0x4F, 0x9C);
}  // namespace

UploadProgressWidget::UploadProgressWidget(MirrorContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void UploadProgressWidget::setProgress(std::uint64_t sent, std::uint64_t total) {
  if (sent == sent_ && total == total_) return;
  sent_ = sent;
  total_ = total;
  update();
}

QString UploadProgressWidget::byteCount(std::uint64_t bytes) {
  if (bytes < 1024) return QStringLiteral("%1 B").arg(bytes);
  if (bytes < 1024 * 1024) return QStringLiteral("%1 KB").arg(static_cast<double>(bytes) / 1024.0, 0, 'f', 1);
  return QStringLiteral("%1 MB").arg(static_cast<double>(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

QString UploadProgressWidget::text() const {
  return QStringLiteral("Enviando %1 de %2").arg(byteCount(sent_), byteCount(total_));
}

void UploadProgressWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const double fraction = total_ ? std::clamp(static_cast<double>(sent_) / static_cast<double>(total_), 0.0, 1.0) : 0.0;
  const QRectF track(0, 0, width(), 3);
  painter.setPen(Qt::NoPen);
  painter.setBrush(trackColor);
  painter.drawRoundedRect(track, 1.5, 1.5);
  painter.setBrush(barColor);
  painter.drawRoundedRect(QRectF(0, 0, width() * fraction, 3), 1.5, 1.5);
  painter.setFont(context_.fonts().systemFont(11));
  painter.setPen(QColor(0x55, 0x55, 0x55));
  painter.drawText(QRectF(0, 4, width(), height() - 4), Qt::AlignHCenter | Qt::AlignVCenter, text());
}

}  // namespace instala::desktop
