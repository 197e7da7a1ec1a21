#include "qt/ViewWidget.h"

#include "qt/Conversions.h"
#include "qt/MirrorContext.h"
#include "qt/SpringCurve.h"

#include <QEasingCurve>
#include <QGraphicsOpacityEffect>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>
#include <functional>

namespace instala::desktop {
namespace {

// A press that moves further than this is a drag, not a tap.
constexpr double dragThreshold = 6;

QRect interpolate(const QRect& from, const QRect& to, double progress) {
  auto mix = [progress](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * progress)); };
  return {mix(from.x(), to.x()), mix(from.y(), to.y()), std::max(0, mix(from.width(), to.width())),
          std::max(0, mix(from.height(), to.height()))};
}

QPainterPath roundedPath(const QRectF& rect, double radius) {
  QPainterPath path;
  const double r = std::min({radius, rect.width() / 2, rect.height() / 2});
  if (r > 0) {
    path.addRoundedRect(rect, r, r);
  } else {
    path.addRect(rect);
  }
  return path;
}

}  // namespace

LayerStyle LayerStyle::of(const ui::View& view) {
  LayerStyle style;
  const ui::Layer& layer = view.layer();
  style.background = toQColor(view.backgroundColor());
  style.cornerRadius = layer.cornerRadius;
  style.clips = layer.masksToBounds;
  style.borderWidth = layer.borderWidth;
  style.borderColor = toQColor(layer.borderColor);
  style.shadowColor = toQColor(layer.shadowColor);
  style.shadowOpacity = std::clamp(layer.shadowOpacity, 0.0, 1.0);
  style.shadowRadius = std::max(0.0, layer.shadowRadius);
  style.shadowOffset = {layer.shadowOffset.width, layer.shadowOffset.height};
  for (const auto& sublayer : layer.sublayers()) {
    style.sublayers.push_back({toQRectF(sublayer->frame), toQColor(sublayer->backgroundColor), sublayer->cornerRadius});
  }
  return style;
}

ViewWidget::ViewWidget(const std::shared_ptr<ui::View>& view, MirrorContext& context, QWidget* parent)
    : QWidget(parent), view_(view), context_(context) {
  setAttribute(Qt::WA_NoSystemBackground);
}

ViewWidget::~ViewWidget() = default;

void ViewWidget::syncFromModel(ui::View& view) {
  copy(style_, LayerStyle::of(view));
  setAttribute(Qt::WA_TransparentForMouseEvents, !view.isUserInteractionEnabled());
}

void ViewWidget::applyOpacity(double opacity) {
  opacity_ = std::clamp(opacity, 0.0, 1.0);
  if (opacity_ >= 0.999) {
    if (opacityEffect_) {
      setGraphicsEffect(nullptr);  // deletes the effect
      opacityEffect_ = nullptr;
    }
    return;
  }
  if (!opacityEffect_) {
    opacityEffect_ = new QGraphicsOpacityEffect(this);
    setGraphicsEffect(opacityEffect_);
  }
  opacityEffect_->setOpacity(opacity_);
}

void ViewWidget::place(const QRect& geometry, double opacity, const std::optional<AnimationTracker::Motion>& motion) {
  if (motion && motion->request.duration > 0) {
    if (motion_) motion_->stop();
    delete motion_;
    // A view that appears fades in where it ends; one that moves starts where it is drawn now.
    const QRect from = motion->appeared ? geometry : this->geometry();
    const double fromOpacity = motion->appeared ? 0.0 : opacity_;
    const auto& request = motion->request;
    motion_ = new QVariantAnimation(this);
    motion_->setStartValue(0.0);
    motion_->setEndValue(1.0);
    motion_->setDuration(static_cast<int>(std::lround(request.duration * 1000)));
    std::function<double(double)> curve;
    if (request.kind == ui::AnimationRequest::Kind::springAnimation) {
      SpringCurve spring(request.duration, request.dampingRatio, request.initialVelocity);
      curve = [spring](double t) { return spring.valueAt(t); };
    } else {
      QEasingCurve easing(QEasingCurve::InOutQuad);
      curve = [easing](double t) { return easing.valueForProgress(t); };
    }
    const QRect to = geometry;
    connect(motion_, &QVariantAnimation::valueChanged, this,
            [this, from, to, fromOpacity, opacity, curve](const QVariant& value) {
              const double progress = curve(value.toDouble());
              setGeometry(interpolate(from, to, progress));
              applyOpacity(fromOpacity + (opacity - fromOpacity) * std::clamp(progress, 0.0, 1.0));
            });
    setGeometry(from);
    applyOpacity(fromOpacity);
    if (request.delay > 0) {
      QVariantAnimation* animation = motion_;
      QTimer::singleShot(static_cast<int>(std::lround(request.delay * 1000)), animation, [animation] { animation->start(); });
    } else {
      motion_->start();
    }
    return;
  }
  if (motion_ && motion_->state() == QAbstractAnimation::Running) {
    // A motion on its way to the same place keeps going.
    return;
  }
  if (this->geometry() != geometry) setGeometry(geometry);
  if (std::abs(opacity - opacity_) > 1e-6) applyOpacity(opacity);
}

bool ViewWidget::scrollBy(double dy) {
  for (QWidget* ancestor = parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
    if (auto* view = qobject_cast<ViewWidget*>(ancestor)) return view->scrollBy(dy);
  }
  return false;
}

void ViewWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF bounds = rect();
  const QPainterPath shape = roundedPath(bounds, style_.cornerRadius);
  if (style_.background.alpha() > 0) painter.fillPath(shape, style_.background);
  painter.save();
  if (style_.clips) painter.setClipPath(shape);
  for (const auto& sublayer : style_.sublayers) {
    if (sublayer.background.alpha() == 0 || sublayer.frame.isEmpty()) continue;
    painter.fillPath(roundedPath(sublayer.frame, sublayer.cornerRadius), sublayer.background);
  }
  paintContent(painter);
  painter.restore();
  if (style_.borderWidth > 0 && style_.borderColor.alpha() > 0) {
    // The phone draws the border inside the bounds.
    const double inset = style_.borderWidth / 2;
    QPen pen(style_.borderColor, style_.borderWidth);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(roundedPath(bounds.adjusted(inset, inset, -inset, -inset),
                                 std::max(0.0, style_.cornerRadius - inset)));
  }
  paintChildShadows(painter);
}

void ViewWidget::paintContent(QPainter&) {}

void ViewWidget::paintChildShadows(QPainter& painter) {
  for (QObject* object : children()) {
    auto* child = qobject_cast<ViewWidget*>(object);
    if (!child || !child->isVisible()) continue;
    const LayerStyle& style = child->layerStyle();
    // A shadow follows the child's opaque shape; a transparent child casts none here.
    if (style.shadowOpacity <= 0 || style.shadowColor.alpha() == 0 || style.background.alpha() == 0) continue;
    const QRectF shape = QRectF(child->geometry()).translated(style.shadowOffset);
    const int steps = std::max(1, static_cast<int>(std::ceil(style.shadowRadius * 2)));
    const double total = style.shadowOpacity * style.shadowColor.alphaF() * child->opacity();
    const double perStep = 1 - std::pow(1 - std::min(total, 0.999), 1.0 / steps);
    QColor color = style.shadowColor;
    color.setAlphaF(static_cast<float>(perStep));
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < steps; ++i) {
      const double spread = style.shadowRadius * (1 - (i + 0.5) / steps);
      painter.fillPath(roundedPath(shape.adjusted(-spread, -spread, spread, spread), style.cornerRadius + spread),
                       color);
    }
  }
}

void ViewWidget::highlightRow(bool highlighted) {
  if (!highlightsRowOnPress()) return;
  for (QWidget* widget = this; widget; widget = widget->parentWidget()) {
    if (auto* view = qobject_cast<ViewWidget*>(widget)) view->setTouchHighlighted(highlighted);
  }
}

void ViewWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  pressed_ = true;
  dragging_ = false;
  pressPosition_ = event->globalPosition();
  lastDragPosition_ = pressPosition_;
  highlightRow(true);
  update();
  event->accept();
}

void ViewWidget::mouseMoveEvent(QMouseEvent* event) {
  if (!pressed_) return;
  const QPointF position = event->globalPosition();
  if (!dragging_ && std::abs(position.y() - pressPosition_.y()) > dragThreshold) {
    dragging_ = true;
    highlightRow(false);
    update();
  }
  if (dragging_) {
    scrollBy(lastDragPosition_.y() - position.y());
    lastDragPosition_ = position;
  }
}

void ViewWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (!pressed_ || event->button() != Qt::LeftButton) return;
  pressed_ = false;
  highlightRow(false);
  update();
  const bool inside = rect().contains(event->position().toPoint());
  if (dragging_ || !inside) return;
  if (auto view = view_.lock()) context_.tap(*view);
}

}  // namespace instala::desktop
