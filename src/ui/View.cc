#include "ui/View.h"

#include "platform/RunLoop.h"
#include "ui/Application.h"
#include "ui/GestureRecognizer.h"
#include "ui/ViewController.h"
#include "ui/Window.h"

#include <algorithm>
#include <limits>

namespace instala::ui {
namespace {

// Widths across a horizontal stack: children with a width keep it, the others share what is left.
std::vector<double> stackWidths(const std::vector<View*>& children, double innerWidth, double spacing) {
  double fixedTotal = spacing * (children.empty() ? 0.0 : static_cast<double>(children.size() - 1));
  int flexible = 0;
  for (const View* child : children) {
    if (child->fixedWidth()) {
      fixedTotal += *child->fixedWidth();
    } else {
      ++flexible;
    }
  }
  const double share = flexible ? std::max(0.0, innerWidth - fixedTotal) / flexible : 0.0;
  std::vector<double> widths;
  for (const View* child : children) widths.push_back(child->fixedWidth().value_or(share));
  return widths;
}

}  // namespace

View::View() : layer_(std::make_shared<Layer>()) {}

View::View(Rect frame) : View() {
  frame_ = frame;
  layer_->frame = frame;
}

View::~View() {
  for (auto& subview : subviews_) subview->superview_ = nullptr;
  for (auto& recognizer : gestureRecognizers_) recognizer->view_ = nullptr;
}

void View::setFrame(Rect frame) {
  const bool resized = frame.size != frame_.size;
  frame_.origin = frame.origin;
  layer_->frame.origin = frame.origin;
  if (resized) setBounds({0, 0, frame.width(), frame.height()});
}

void View::setBounds(Rect bounds) {
  frame_.size = bounds.size;
  layer_->frame.size = bounds.size;
  setNeedsLayout();
  setNeedsDisplay();
}

std::optional<Color> View::tintColor() const {
  for (const View* view = this; view; view = view->superview_) {
    if (view->tintColor_) return view->tintColor_;
  }
  return std::nullopt;
}

void View::addSubview(const std::shared_ptr<View>& view) {
  if (!view || view.get() == this || isDescendantOf(*view)) return;
  if (view->superview_ == this) {
    std::erase(subviews_, view);
    subviews_.push_back(view);
    return;
  }
  view->willMoveToSuperview(this);
  if (view->superview_) std::erase(view->superview_->subviews_, view);
  view->superview_ = this;
  subviews_.push_back(view);
  view->didMoveToSuperview();
  setNeedsLayout();
}

void View::insertSubview(const std::shared_ptr<View>& view, std::size_t index) {
  addSubview(view);
  if (view && view->superview_ == this) {
    std::erase(subviews_, view);
    subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(std::min(index, subviews_.size())), view);
  }
}

void View::removeFromSuperview() {
  if (!superview_) return;
  // The parent may hold the last reference; keep this view alive until done.
  auto self = std::static_pointer_cast<View>(weak_from_this().lock());
  endEditing(true);
  willMoveToSuperview(nullptr);
  View* parent = superview_;
  std::erase_if(parent->subviews_, [this](const std::shared_ptr<View>& view) { return view.get() == this; });
  superview_ = nullptr;
  parent->setNeedsLayout();
  didMoveToSuperview();
}

void View::willMoveToSuperview(View*) {}
void View::didMoveToSuperview() {}

Window* View::window() const {
  for (const View* view = this; view; view = view->superview_) {
    if (auto* window = dynamic_cast<const Window*>(view)) return const_cast<Window*>(window);
  }
  return nullptr;
}

bool View::isDescendantOf(const View& ancestor) const {
  for (const View* view = this; view; view = view->superview_) {
    if (view == &ancestor) return true;
  }
  return false;
}

View* View::viewWithTag(int tag) {
  if (tag_ == tag) return this;
  for (auto& subview : subviews_) {
    if (auto* found = subview->viewWithTag(tag)) return found;
  }
  return nullptr;
}

bool View::isHiddenInHierarchy() const {
  for (const View* view = this; view; view = view->superview_) {
    if (view->hidden_) return true;
  }
  return false;
}

void View::setStackLayout(std::optional<StackLayout> layout) {
  stackLayout_ = layout;
  setNeedsLayout();
}

void View::addConstraints(const std::vector<LayoutConstraint>& constraints) {
  constraints_.insert(constraints_.end(), constraints.begin(), constraints.end());
  setNeedsLayout();
}

void View::layoutIfNeeded() {
  if (needsLayout_) {
    needsLayout_ = false;
    if (viewController_) viewController_->viewWillLayoutSubviews();
    layoutSubviews();
    if (viewController_) viewController_->viewDidLayoutSubviews();
  }
  auto subviews = subviews_;
  for (auto& subview : subviews) subview->layoutIfNeeded();
}

std::vector<View*> View::visibleSubviews() const {
  std::vector<View*> visible;
  for (const auto& subview : subviews_) {
    if (!subview->hidden_) visible.push_back(subview.get());
  }
  return visible;
}

Size View::fittedSize(const View& child, double width) const {
  return child.sizeThatFits({width, std::numeric_limits<double>::infinity()});
}

void View::layoutSubviews() {
  if (stackLayout_) {
    const auto& padding = stackLayout_->padding;
    const double innerWidth = std::max(0.0, frame_.width() - padding.left - padding.right);
    const double innerHeight = std::max(0.0, frame_.height() - padding.top - padding.bottom);
    const std::vector<View*> visible = visibleSubviews();
    if (stackLayout_->axis == StackLayout::Axis::vertical) {
      double y = padding.top;
      for (View* child : visible) {
        const double width = child->fixedWidth_.value_or(innerWidth);
        const double height = fittedSize(*child, width).height;
        child->setFrame({padding.left, y, width, height});
        y += height + stackLayout_->spacing;
      }
    } else {
      const std::vector<double> widths = stackWidths(visible, innerWidth, stackLayout_->spacing);
      double x = padding.left;
      for (std::size_t i = 0; i < visible.size(); ++i) {
        View* child = visible[i];
        if (stackLayout_->alignment == StackLayout::Alignment::top) {
          child->setFrame({x, padding.top, widths[i], fittedSize(*child, widths[i]).height});
        } else {
          const double height = child->fixedHeight_.value_or(innerHeight);
          child->setFrame({x, padding.top + (innerHeight - height) / 2, widths[i], height});
        }
        x += widths[i] + stackLayout_->spacing;
      }
    }
  }
  // A screen's root view fills the view that holds it (window, container).
  for (const auto& subview : subviews_) {
    if (subview->viewController_) subview->setFrame(bounds());
  }
  for (const auto& constraint : constraints_) {
    auto item = constraint.item.lock();
    if (!item || item->superview_ != this) continue;
    Rect frame = item->frame();
    constraint.apply(frame, constraint.axis == LayoutConstraint::Axis::horizontal ? frame_.width() : frame_.height());
    item->setFrame(frame);
  }
}

Size View::sizeThatFits(Size space) const {
  const double width = fixedWidth_.value_or(space.width);
  if (fixedHeight_) return {width, *fixedHeight_};
  if (stackLayout_) {
    const auto& padding = stackLayout_->padding;
    const double innerWidth = std::max(0.0, width - padding.left - padding.right);
    const std::vector<View*> visible = visibleSubviews();
    double height = 0;
    if (stackLayout_->axis == StackLayout::Axis::vertical) {
      for (std::size_t i = 0; i < visible.size(); ++i) {
        height += fittedSize(*visible[i], visible[i]->fixedWidth_.value_or(innerWidth)).height +
                  (i ? stackLayout_->spacing : 0.0);
      }
    } else {
      // Each child is measured at the width the layout gives it, so wrapped text counts its lines.
      const std::vector<double> widths = stackWidths(visible, innerWidth, stackLayout_->spacing);
      for (std::size_t i = 0; i < visible.size(); ++i) {
        height = std::max(height, fittedSize(*visible[i], widths[i]).height);
      }
    }
    return {width, padding.top + height + padding.bottom};
  }
  const Size intrinsic = intrinsicContentSize();
  return {width, intrinsic.height >= 0 ? intrinsic.height : frame_.height()};
}

void View::sizeToFit() {
  const Size intrinsic = intrinsicContentSize();
  Size size = sizeThatFits({intrinsic.width >= 0 ? intrinsic.width : frame_.width(),
                            std::numeric_limits<double>::infinity()});
  setFrame({frame_.origin, size});
}

void View::displayIfNeeded() {
  if (needsDisplay_) {
    needsDisplay_ = false;
    draw(bounds());
  }
  auto subviews = subviews_;
  for (auto& subview : subviews) subview->displayIfNeeded();
}

void View::draw(Rect) {}

View* View::findFirstResponder() {
  if (firstResponder_) return this;
  for (auto& subview : subviews_) {
    if (auto* found = subview->findFirstResponder()) return found;
  }
  return nullptr;
}

bool View::becomeFirstResponder() {
  if (firstResponder_) return true;
  if (!canBecomeFirstResponder()) return false;
  if (Window* window = this->window()) {
    if (View* current = window->findFirstResponder(); current && !current->resignFirstResponder()) return false;
  }
  firstResponder_ = true;
  didBecomeFirstResponder();
  return true;
}

bool View::resignFirstResponder() {
  if (!firstResponder_) return true;
  if (!canResignFirstResponder()) return false;
  resignAsFirstResponder(false);
  return true;
}

void View::resignAsFirstResponder(bool) {
  firstResponder_ = false;
  didResignFirstResponder();
}

bool View::endEditing(bool force) {
  View* responder = findFirstResponder();
  if (!responder) return true;
  if (force) {
    responder->resignAsFirstResponder(true);
    return true;
  }
  return responder->resignFirstResponder();
}

void View::addGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer) {
  if (!recognizer) return;
  if (recognizer->view_ && recognizer->view_ != this) recognizer->view_->removeGestureRecognizer(recognizer);
  if (std::find(gestureRecognizers_.begin(), gestureRecognizers_.end(), recognizer) == gestureRecognizers_.end()) {
    gestureRecognizers_.push_back(recognizer);
  }
  recognizer->view_ = this;
}

void View::removeGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer) {
  if (std::erase(gestureRecognizers_, recognizer) && recognizer) recognizer->view_ = nullptr;
}

void View::handleTap() {
  if (superview_) superview_->handleTap();
}

namespace {

void finish(std::function<void(bool)> completion) {
  if (completion) platform::RunLoop::main().async([completion = std::move(completion)] { completion(true); });
}

}  // namespace

void View::animate(double duration, std::function<void()> animations, std::function<void(bool)> completion) {
  AnimationRequest request;
  request.kind = AnimationRequest::Kind::animation;
  request.duration = duration;
  Application::shared().recordAnimation(request);
  if (animations) animations();
  finish(std::move(completion));
}

void View::animate(double duration, double delay, double dampingRatio, double initialVelocity,
                   AnimationOptions options, std::function<void()> animations, std::function<void(bool)> completion) {
  AnimationRequest request;
  request.kind = AnimationRequest::Kind::springAnimation;
  request.duration = duration;
  request.delay = delay;
  request.dampingRatio = dampingRatio;
  request.initialVelocity = initialVelocity;
  request.options = options;
  Application::shared().recordAnimation(request);
  if (animations) animations();
  finish(std::move(completion));
}

void View::transition(const std::shared_ptr<View>& view, double duration, AnimationOptions options,
                      std::function<void()> animations, std::function<void(bool)> completion) {
  AnimationRequest request;
  request.kind = AnimationRequest::Kind::transition;
  request.duration = duration;
  request.options = options;
  request.view = view;
  Application::shared().recordAnimation(request);
  if (animations) animations();
  finish(std::move(completion));
}

}  // namespace instala::ui
