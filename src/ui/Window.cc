#include "ui/Window.h"

#include "ui/Application.h"
#include "ui/GestureRecognizer.h"
#include "ui/Screen.h"

#include <algorithm>

namespace instala::ui {

Window::Window() : Window(Screen::main().bounds()) {}

Window::Window(Rect frame) : View(frame) {
  // Like the phone's, a window stays hidden until it is made key and visible.
  setHidden(true);
}

void Window::setRootViewController(std::shared_ptr<ViewController> controller) {
  if (controller == root_) return;
  if (root_) {
    root_->detachPresented();
    if (root_->isViewLoaded() && root_->view()->superview() == this) root_->view()->removeFromSuperview();
  }
  root_ = std::move(controller);
  if (!isHidden()) installRootView();
  controllersDidChange();
}

void Window::installRootView() {
  if (!root_) return;
  auto view = root_->view();
  if (view->superview() == this) return;
  view->setFrame(bounds());
  insertSubview(view, 0);
}

void Window::makeKeyAndVisible() {
  // Key first: the first screen's view loads now, and what it starts (the
  // loading overlay of a request) finds the key window.
  Application::shared().setKeyWindow(sharedAs<Window>());
  setHidden(false);
  installRootView();
  controllersDidChange();
}

bool Window::isKeyWindow() const { return Application::shared().keyWindow().get() == this; }

bool Window::isCovered(const View& target) const {
  const View* topLevel = &target;
  while (topLevel->superview() && topLevel->superview() != this) topLevel = topLevel->superview();
  if (topLevel->superview() != this) return false;
  const auto& views = subviews();
  auto position = std::find_if(views.begin(), views.end(), [&](const auto& view) { return view.get() == topLevel; });
  for (auto above = position == views.end() ? views.end() : position + 1; above != views.end(); ++above) {
    const View& cover = **above;
    const Rect& frame = cover.frame();
    if (!cover.isHidden() && cover.isUserInteractionEnabled() && frame.x() <= 0 && frame.y() <= 0 &&
        frame.maxX() >= bounds().width() && frame.maxY() >= bounds().height()) {
      return true;
    }
  }
  return false;
}

bool Window::sendTap(View& target) {
  if (!target.isDescendantOf(*this)) return false;
  for (const View* view = &target; view; view = view->superview()) {
    if (view->isHidden() || !view->isUserInteractionEnabled() || view->alpha() < 0.01) return false;
  }
  if (isCovered(target)) return false;
  // The tap's handlers may remove the view from the tree; keep it alive.
  auto keepAlive = target.weak_from_this().lock();
  std::vector<std::shared_ptr<GestureRecognizer>> recognizers;
  for (View* view = &target; view; view = view->superview()) {
    for (const auto& recognizer : view->gestureRecognizers()) recognizers.push_back(recognizer);
  }
  bool cancelled = false;
  for (auto& recognizer : recognizers) {
    if (!recognizer->isEnabled()) continue;
    recognizer->recognize();
    cancelled = cancelled || recognizer->cancelsTouchesInView();
  }
  if (!cancelled) target.handleTap();
  return true;
}

std::vector<std::shared_ptr<ViewController>> Window::visibleViewControllers() const {
  std::vector<std::shared_ptr<ViewController>> visible;
  if (isHidden()) return visible;
  auto addTree = [&visible](const std::shared_ptr<ViewController>& controller, auto& self) -> void {
    visible.push_back(controller);
    for (const auto& child : controller->visibleChildViewControllers()) self(child, self);
  };
  if (!root_) return visible;
  addTree(root_, addTree);
  for (ViewController* host = root_.get(); host && host->presented_; host = host->presented_.get()) {
    if (host->presented_->modalPresentationStyle() == ModalPresentationStyle::fullScreen) visible.clear();
    addTree(host->presented_, addTree);
  }
  return visible;
}

std::shared_ptr<ViewController> Window::topPresentedViewController() const {
  auto top = root_;
  while (top && top->presented_) top = top->presented_;
  return top;
}

void Window::controllersDidChange() {
  if (updating_) {
    changedAgain_ = true;
    return;
  }
  updating_ = true;
  do {
    changedAgain_ = false;
    auto visible = visibleViewControllers();
    std::vector<std::shared_ptr<ViewController>> previous;
    for (auto& weak : appeared_) {
      if (auto controller = weak.lock()) previous.push_back(controller);
    }
    appeared_.assign(visible.begin(), visible.end());
    for (auto& controller : previous) {
      if (std::find(visible.begin(), visible.end(), controller) != visible.end()) continue;
      controller->viewWillDisappear(false);
      controller->viewDidDisappear(false);
    }
    for (auto& controller : visible) {
      if (std::find(previous.begin(), previous.end(), controller) != previous.end()) continue;
      controller->view();
      controller->viewWillAppear(false);
      controller->viewDidAppear(false);
    }
  } while (changedAgain_);
  updating_ = false;
}

void Window::update() {
  controllersDidChange();
  layoutIfNeeded();
  displayIfNeeded();
}

}  // namespace instala::ui
