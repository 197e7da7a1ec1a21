#pragma once
// A screen. Its root view is loaded once, when first needed (loadView, then
// viewDidLoad). Containers (navigation, tabs) own their children; a presented
// screen is owned by the screen that presents it.

#include "ui/BarButtonItem.h"
#include "ui/Object.h"
#include "ui/StoryboardSegue.h"
#include "ui/View.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace instala::ui {

class NavigationController;
class Storyboard;
class TabBarController;
class Window;

enum class ModalPresentationStyle {
  fullScreen,      // covers the presenter, which disappears
  overFullScreen,  // drawn over the presenter, which stays visible (alerts)
};

class ViewController : public Object {
 public:
  using Super = Object;

  ViewController() = default;
  ~ViewController() override;

  // The root view, loaded on first use.
  std::shared_ptr<View> view();
  bool isViewLoaded() const { return view_ != nullptr; }
  // The view without loading it; null before it is loaded.
  const std::shared_ptr<View>& viewIfLoaded() const { return view_; }
  void setView(std::shared_ptr<View> view);

  virtual void loadView();
  virtual void viewDidLoad() {}
  virtual void viewWillAppear(bool /*animated*/) {}
  virtual void viewDidAppear(bool /*animated*/) {}
  virtual void viewWillDisappear(bool /*animated*/) {}
  virtual void viewDidDisappear(bool /*animated*/) {}
  virtual void viewWillLayoutSubviews() {}
  virtual void viewDidLayoutSubviews() {}

  const std::string& title() const { return title_; }
  void setTitle(std::string title) { title_ = std::move(title); }
  NavigationItem& navigationItem() { return navigationItem_; }
  const NavigationItem& navigationItem() const { return navigationItem_; }
  TabBarItem& tabBarItem() { return tabBarItem_; }
  const TabBarItem& tabBarItem() const { return tabBarItem_; }

  // Containment.
  ViewController* parentViewController() const { return parent_; }
  NavigationController* navigationController() const;
  TabBarController* tabBarController() const;
  // The children currently on screen (a navigation stack's top, the selected tab).
  virtual std::vector<std::shared_ptr<ViewController>> visibleChildViewControllers() const { return {}; }

  // Presentation. A presentation goes to the outermost container of this screen;
  // one screen presents at most one other at a time.
  ModalPresentationStyle modalPresentationStyle() const { return modalPresentationStyle_; }
  void setModalPresentationStyle(ModalPresentationStyle style) { modalPresentationStyle_ = style; }
  void present(const std::shared_ptr<ViewController>& controller, bool animated,
               std::function<void()> completion = nullptr);
  // Dismisses what this screen presents, or else this screen from its presenter.
  void dismiss(bool animated, std::function<void()> completion = nullptr);
  std::shared_ptr<ViewController> presentedViewController() const;
  ViewController* presentingViewController() const { return presenting_; }

  // Storyboard transitions.
  const std::shared_ptr<Storyboard>& storyboard() const { return storyboard_; }
  const std::string& storyboardIdentifier() const { return storyboardIdentifier_; }
  // Runs the storyboard transition of that identifier from this screen. A missing
  // identifier is a broken interface file: the program stops with a message.
  void performSegue(const std::string& identifier, Object* sender);
  void performSegue(const SegueTemplate& segue, Object* sender);
  virtual void prepareForSegue(StoryboardSegue& /*segue*/, Object* /*sender*/) {}

  // The window this screen's view is in, else the key window.
  std::shared_ptr<Window> window() const;

 protected:
  // Containers adopt children and put their views into their own.
  void adoptChild(const std::shared_ptr<ViewController>& child);
  void releaseChild(const std::shared_ptr<ViewController>& child);
  void showChildView(const std::shared_ptr<ViewController>& child);
  // Tells the window that screens came or went (appearance, view loading).
  void hierarchyDidChange() const;

 private:
  friend class Storyboard;
  friend class Window;
  void detachPresented();

  std::shared_ptr<View> view_;
  std::string title_;
  NavigationItem navigationItem_;
  TabBarItem tabBarItem_;
  ViewController* parent_ = nullptr;
  std::shared_ptr<ViewController> presented_;
  ViewController* presenting_ = nullptr;
  ModalPresentationStyle modalPresentationStyle_ = ModalPresentationStyle::fullScreen;
  std::shared_ptr<Storyboard> storyboard_;
  std::string storyboardIdentifier_;
  // Builds the scene's view from the storyboard, connecting outlets and actions to this screen.
  std::function<std::shared_ptr<View>(ViewController&)> sceneViewBuilder_;
};

}  // namespace instala::ui
