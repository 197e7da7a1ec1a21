#pragma once
// Tabs of screens; the selected tab's screen is on screen. A tab's screen loads
// its view the first time its tab is shown.

#include "ui/ViewController.h"

namespace instala::ui {

class TabBarController : public ViewController {
 public:
  using Super = ViewController;

  const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return tabs_; }
  void setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers);
  std::size_t selectedIndex() const { return selectedIndex_; }
  // Out-of-range indexes are ignored.
  void setSelectedIndex(std::size_t index);
  std::shared_ptr<ViewController> selectedViewController() const;

  void viewDidLoad() override;
  std::vector<std::shared_ptr<ViewController>> visibleChildViewControllers() const override;

 private:
  void showSelected(const std::shared_ptr<ViewController>& previous);
  std::vector<std::shared_ptr<ViewController>> tabs_;
  std::size_t selectedIndex_ = 0;
};

}  // namespace instala::ui
