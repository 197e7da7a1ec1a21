#include "ui/NavigationController.h"

#include <algorithm>

namespace instala::ui {

NavigationController::NavigationController(std::shared_ptr<ViewController> root) {
  if (root) {
    adoptChild(root);
    stack_.push_back(std::move(root));
  }
}

void NavigationController::setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers, bool) {
  auto previousTop = topViewController();
  for (auto& old : stack_) {
    if (std::find(controllers.begin(), controllers.end(), old) == controllers.end()) releaseChild(old);
  }
  for (auto& controller : controllers) adoptChild(controller);
  stack_ = std::move(controllers);
  showTop(previousTop);
}

std::shared_ptr<ViewController> NavigationController::topViewController() const {
  return stack_.empty() ? nullptr : stack_.back();
}

void NavigationController::pushViewController(const std::shared_ptr<ViewController>& controller, bool) {
  if (!controller || std::find(stack_.begin(), stack_.end(), controller) != stack_.end()) return;
  auto previousTop = topViewController();
  adoptChild(controller);
  stack_.push_back(controller);
  showTop(previousTop);
}

std::shared_ptr<ViewController> NavigationController::popViewController(bool) {
  if (stack_.size() < 2) return nullptr;
  auto popped = stack_.back();
  stack_.pop_back();
  releaseChild(popped);
  showTop(popped);
  return popped;
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popToRootViewController(bool) {
  std::vector<std::shared_ptr<ViewController>> popped;
  if (stack_.size() < 2) return popped;
  auto previousTop = topViewController();
  popped.assign(stack_.begin() + 1, stack_.end());
  stack_.resize(1);
  for (auto& controller : popped) releaseChild(controller);
  showTop(previousTop);
  return popped;
}

std::optional<std::string> NavigationController::backButtonTitle() const {
  if (stack_.size() < 2 || stack_.back()->navigationItem().hidesBackButton) return std::nullopt;
  const auto& previous = *stack_[stack_.size() - 2];
  std::string title = previous.navigationItem().title.value_or(previous.title());
  return title.empty() ? "Atrás" : title;
}

void NavigationController::viewDidLoad() { showTop(nullptr); }

void NavigationController::showTop(const std::shared_ptr<ViewController>& previousTop) {
  if (!isViewLoaded()) return;
  auto top = topViewController();
  if (previousTop && previousTop != top && previousTop->isViewLoaded() &&
      previousTop->view()->superview() == view().get()) {
    previousTop->view()->removeFromSuperview();
  }
  if (top) showChildView(top);
  hierarchyDidChange();
}

std::vector<std::shared_ptr<ViewController>> NavigationController::visibleChildViewControllers() const {
  if (auto top = topViewController()) return {top};
  return {};
}

}  // namespace instala::ui
