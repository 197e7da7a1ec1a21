#pragma once
// A stack of screens with a navigation bar: the top screen is on screen; the
// bar shows its navigation item and, below the root, a back button.

#include "ui/ViewController.h"

namespace instala::ui {

class NavigationController : public ViewController {
 public:
  using Super = ViewController;

  NavigationController() = default;
  explicit NavigationController(std::shared_ptr<ViewController> root);

  const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return stack_; }
  void setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers, bool animated);
  std::shared_ptr<ViewController> topViewController() const;
  void pushViewController(const std::shared_ptr<ViewController>& controller, bool animated);
  // The removed screen; nothing at the root.
  std::shared_ptr<ViewController> popViewController(bool animated);
  std::vector<std::shared_ptr<ViewController>> popToRootViewController(bool animated);
  // The back button's title on the top screen: the previous screen's title, or "Atrás".
  std::optional<std::string> backButtonTitle() const;

  void viewDidLoad() override;
  std::vector<std::shared_ptr<ViewController>> visibleChildViewControllers() const override;

 private:
  void showTop(const std::shared_ptr<ViewController>& previousTop);
  std::vector<std::shared_ptr<ViewController>> stack_;
};

}  // namespace instala::ui
