#pragma once
// The window: holds the root screen's view and the views of presented screens,
// delivers taps, and tells screens when they appear and disappear.

#include "ui/View.h"
#include "ui/ViewController.h"

#include <memory>
#include <vector>

namespace instala::ui {

class Window : public View {
 public:
  using Super = View;

  // A window covering the main screen, hidden until makeKeyAndVisible.
  Window();
  explicit Window(Rect frame);

  const std::shared_ptr<ViewController>& rootViewController() const { return root_; }
  // Replaces the whole screen hierarchy, including whatever the old root presented.
  // The new root's view loads now when the window is visible, else when it is made visible.
  void setRootViewController(std::shared_ptr<ViewController> controller);
  void makeKeyAndVisible();
  bool isKeyWindow() const;

  View* firstResponder() { return findFirstResponder(); }

  // A tap on a view of this window: the gesture recognisers of the view and its
  // superviews recognise it, then (unless one cancels touches) the view handles
  // it. False when the view is hidden, not interactive, not in this window, or
  // covered by a full-screen view above it (the loading overlay, an alert).
  bool sendTap(View& target);

  // The screens on display, outermost first: the root and its visible children,
  // then each presented screen; a full-screen presentation hides what is below.
  std::vector<std::shared_ptr<ViewController>> visibleViewControllers() const;
  // The top of the presentation chain (the root when nothing is presented).
  std::shared_ptr<ViewController> topPresentedViewController() const;

  // Loads newly visible screens' views and sends the appearance callbacks.
  void controllersDidChange();
  // What a display refresh does: appearance, layout, drawing.
  void update();

 private:
  bool isCovered(const View& target) const;
  void installRootView();

  std::shared_ptr<ViewController> root_;
  std::vector<std::weak_ptr<ViewController>> appeared_;
  bool updating_ = false;
  bool changedAgain_ = false;
};

}  // namespace instala::ui
