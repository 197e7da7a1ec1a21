#include "ui/TabBarController.h"

namespace instala::ui {

void TabBarController::setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers) {
  auto previous = selectedViewController();
  for (auto& old : tabs_) releaseChild(old);
  tabs_ = std::move(controllers);
  for (auto& tab : tabs_) adoptChild(tab);
  selectedIndex_ = 0;
  showSelected(previous);
}

void TabBarController::setSelectedIndex(std::size_t index) {
  if (index >= tabs_.size() || index == selectedIndex_) return;
  auto previous = selectedViewController();
  selectedIndex_ = index;
  showSelected(previous);
}

std::shared_ptr<ViewController> TabBarController::selectedViewController() const {
  return selectedIndex_ < tabs_.size() ? tabs_[selectedIndex_] : nullptr;
}

void TabBarController::viewDidLoad() { showSelected(nullptr); }

void TabBarController::showSelected(const std::shared_ptr<ViewController>& previous) {
  if (!isViewLoaded()) return;
  auto selected = selectedViewController();
  if (previous && previous != selected && previous->isViewLoaded() && previous->view()->superview() == view().get()) {
    previous->view()->removeFromSuperview();
  }
  if (selected) showChildView(selected);
  hierarchyDidChange();
}

std::vector<std::shared_ptr<ViewController>> TabBarController::visibleChildViewControllers() const {
  if (auto selected = selectedViewController()) return {selected};
  return {};
}

}  // namespace instala::ui
