#include "ui/ViewController.h"

#include "platform/RunLoop.h"
#include "ui/Application.h"
#include "ui/NavigationController.h"
#include "ui/Screen.h"
#include "ui/Storyboard.h"
#include "ui/TabBarController.h"
#include "ui/Window.h"

#include <cstdlib>
#include <iostream>

namespace instala::ui {
namespace {

ViewController* outermost(ViewController* controller) {
  while (controller->parentViewController()) controller = controller->parentViewController();
  return controller;
}

void complete(std::function<void()> completion) {
  if (completion) platform::RunLoop::main().async(std::move(completion));
}

}  // namespace

ViewController::~ViewController() {
  if (view_ && view_->viewController() == this) view_->setViewController(nullptr);
  if (presented_) presented_->presenting_ = nullptr;
}

std::shared_ptr<View> ViewController::view() {
  if (!view_) {
    loadView();
    if (!view_) setView(std::make_shared<View>(Screen::main().bounds()));
    viewDidLoad();
  }
  return view_;
}

void ViewController::setView(std::shared_ptr<View> view) {
  if (view_ && view_->viewController() == this) view_->setViewController(nullptr);
  view_ = std::move(view);
  if (view_) view_->setViewController(this);
}

void ViewController::loadView() {
  if (sceneViewBuilder_) {
    setView(sceneViewBuilder_(*this));
  } else {
    setView(std::make_shared<View>(Screen::main().bounds()));
  }
}

NavigationController* ViewController::navigationController() const {
  for (ViewController* parent = parent_; parent; parent = parent->parent_) {
    if (auto* navigation = dynamic_cast<NavigationController*>(parent)) return navigation;
  }
  return nullptr;
}

TabBarController* ViewController::tabBarController() const {
  for (ViewController* parent = parent_; parent; parent = parent->parent_) {
    if (auto* tabs = dynamic_cast<TabBarController*>(parent)) return tabs;
  }
  return nullptr;
}

std::shared_ptr<ViewController> ViewController::presentedViewController() const {
  // Like the phone, a screen inside a container reports what its container presents.
  const ViewController* host = this;
  while (!host->presented_ && host->parent_) host = host->parent_;
  return host->presented_;
}

std::shared_ptr<Window> ViewController::window() const {
  if (view_) {
    if (Window* window = view_->window()) return window->sharedAs<Window>();
  }
  return Application::shared().keyWindow();
}

void ViewController::present(const std::shared_ptr<ViewController>& controller, bool,
                             std::function<void()> completion) {
  if (!controller) return;
  ViewController* host = outermost(this);
  if (host->presented_) {
    std::cerr << "Attempt to present " << controller->className() << " on " << host->className()
              << " which is already presenting " << host->presented_->className() << "\n";
    return;
  }
  Window* window = host->view_ ? host->view_->window() : nullptr;
  if (!window) {
    std::cerr << "Attempt to present " << controller->className() << " on " << host->className()
              << " whose view is not in the window hierarchy\n";
    return;
  }
  host->presented_ = controller;
  controller->presenting_ = host;
  auto view = controller->view();
  view->setFrame(window->bounds());
  window->addSubview(view);
  window->controllersDidChange();
  complete(std::move(completion));
}

void ViewController::dismiss(bool, std::function<void()> completion) {
  ViewController* host = outermost(this);
  ViewController* presenter = host->presented_ ? host : host->presenting_;
  if (!presenter) return;
  auto window = presenter->window();
  presenter->detachPresented();
  if (window) window->controllersDidChange();
  complete(std::move(completion));
}

void ViewController::detachPresented() {
  if (!presented_) return;
  auto presented = presented_;
  presented->detachPresented();
  if (presented->view_) presented->view_->removeFromSuperview();
  presented->presenting_ = nullptr;
  presented_.reset();
}

void ViewController::performSegue(const std::string& identifier, Object* sender) {
  if (storyboard_) {
    if (const auto* segue = storyboard_->segue(storyboardIdentifier_, identifier)) {
      performSegue(*segue, sender);
      return;
    }
  }
  std::cerr << "Receiver (" << className() << ") has no segue with identifier '" << identifier << "'\n";
  std::abort();
}

void ViewController::performSegue(const SegueTemplate& segue, Object* sender) {
  std::shared_ptr<ViewController> destination;
  if (storyboard_) destination = storyboard_->instantiateViewController(segue.destination);
  if (!destination) {
    std::cerr << "Storyboard has no scene '" << segue.destination << "' for the segue '" << segue.identifier
              << "' of " << className() << "\n";
    std::abort();
  }
  // The source stays alive through the transition even if the transition releases it.
  auto self = sharedAs<ViewController>();
  StoryboardSegue storyboardSegue(segue.identifier, self, destination);
  prepareForSegue(storyboardSegue, sender);
  switch (segue.kind) {
    case SegueKind::push:
      if (auto* navigation = navigationController()) {
        navigation->pushViewController(destination, true);
        return;
      }
      present(destination, true);
      return;
    case SegueKind::modal:
      present(destination, true);
      return;
    case SegueKind::replaceRoot:
      if (auto window = this->window()) {
        window->setRootViewController(destination);
        View::transition(window, 0.3, AnimationOptions::transitionCrossDissolve, nullptr, nullptr);
      }
      return;
  }
}

void ViewController::adoptChild(const std::shared_ptr<ViewController>& child) { child->parent_ = this; }

void ViewController::releaseChild(const std::shared_ptr<ViewController>& child) {
  if (child->parent_ == this) child->parent_ = nullptr;
  if (child->view_ && view_ && child->view_->superview() == view_.get()) child->view_->removeFromSuperview();
}

void ViewController::showChildView(const std::shared_ptr<ViewController>& child) {
  auto container = view();
  auto childView = child->view();
  childView->setFrame(container->bounds());
  container->addSubview(childView);
}

void ViewController::hierarchyDidChange() const {
  if (!view_) return;
  if (Window* window = view_->window()) window->controllersDidChange();
}

}  // namespace instala::ui
