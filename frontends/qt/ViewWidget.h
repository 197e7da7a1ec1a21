#pragma once
// The widget of one model view. It keeps a copy of what it draws (taken on
// every redraw, so painting never reads a model that changes under it):
// background, corner radius, border, the layer's plain sublayers, and the
// shadows of its children, which it paints under them. A click on it is a tap
// on its view, delivered through the model's window; a press that moves turns
// into scrolling of the table it sits in.

#include "qt/AnimationTracker.h"
#include "ui/View.h"

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QWidget>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QGraphicsOpacityEffect;
class QVariantAnimation;

namespace instala::desktop {

class MirrorContext;

struct LayerStyle {
  struct Sublayer {
    QRectF frame;
    QColor background;
    double cornerRadius = 0;
    bool operator==(const Sublayer&) const = default;
  };
  QColor background = Qt::transparent;
  double cornerRadius = 0;
  bool clips = false;
  double borderWidth = 0;
  QColor borderColor;
  QColor shadowColor;
  double shadowOpacity = 0;
  double shadowRadius = 0;
  QPointF shadowOffset;
  std::vector<Sublayer> sublayers;

  static LayerStyle of(const ui::View& view);
  bool operator==(const LayerStyle&) const = default;
};

class ViewWidget : public QWidget {
  Q_OBJECT

 public:
  ViewWidget(const std::shared_ptr<ui::View>& view, MirrorContext& context, QWidget* parent = nullptr);
  ~ViewWidget() override;

  // Null once the model view is gone.
  std::shared_ptr<ui::View> view() const { return view_.lock(); }
  const LayerStyle& layerStyle() const { return style_; }

  // Copies the model's appearance; the mirror places the widget and its children.
  // Only a copy that changed repaints the widget.
  virtual void syncFromModel(ui::View& view);
  // After the mirror placed the children: widgets keep their own parts in order here.
  virtual void childrenSynced() {}
  // Moves to the model's frame and opacity, along the motion when there is one.
  void place(const QRect& geometry, double opacity, const std::optional<AnimationTracker::Motion>& motion);
  double opacity() const { return opacity_; }
  // Scrolling by a drag that started on this widget or a child; false when it cannot scroll.
  virtual bool scrollBy(double dy);
  // A press highlight of the row this widget belongs to.
  virtual void setTouchHighlighted(bool) {}

 protected:
  void paintEvent(QPaintEvent* event) override;
  // What the view itself shows, over its background and sublayers.
  virtual void paintContent(QPainter& painter);
  // Whether a press on this widget highlights the row it sits in (controls answer no).
  virtual bool highlightsRowOnPress() const { return true; }
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  bool isPressed() const { return pressed_; }
  // Stores a copied value; a different one schedules a repaint.
  template <typename T>
  void copy(T& field, T value) {
    if (field == value) return;
    field = std::move(value);
    update();
  }
  MirrorContext& context() { return context_; }
  const MirrorContext& context() const { return context_; }

 private:
  void applyOpacity(double opacity);
  void paintChildShadows(QPainter& painter);
  void highlightRow(bool highlighted);

  std::weak_ptr<ui::View> view_;
  MirrorContext& context_;
  LayerStyle style_;
  double opacity_ = 1;
  QGraphicsOpacityEffect* opacityEffect_ = nullptr;
  QVariantAnimation* motion_ = nullptr;
  bool pressed_ = false;
  bool dragging_ = false;
  QPointF pressPosition_;
  QPointF lastDragPosition_;
};

}  // namespace instala::desktop
