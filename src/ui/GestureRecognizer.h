#pragma once
// Gesture recognisers with the toolkit's target/action: when a tap lands in the
// recogniser's view (or a descendant), the action method named by the selector
// runs on the target with the recogniser as sender. Unless cancelsTouchesInView
// is false, the tap then does not reach the view under it.

#include "ui/Object.h"

#include <memory>
#include <string>

namespace instala::ui {

class View;

class GestureRecognizer : public Object {
 public:
  using Super = Object;

  GestureRecognizer(std::weak_ptr<Object> target, std::string action)
      : target_(std::move(target)), action_(std::move(action)) {}

  View* view() const { return view_; }
  bool cancelsTouchesInView() const { return cancelsTouchesInView_; }
  void setCancelsTouchesInView(bool cancels) { cancelsTouchesInView_ = cancels; }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled) { enabled_ = enabled; }
  const std::string& action() const { return action_; }
  std::shared_ptr<Object> target() const { return target_.lock(); }

  // The gesture was recognised: sends the action. False when the target is gone
  // or does not answer the selector.
  bool recognize();

 private:
  friend class View;
  std::weak_ptr<Object> target_;
  std::string action_;
  View* view_ = nullptr;
  bool cancelsTouchesInView_ = true;
  bool enabled_ = true;
};

class TapGestureRecognizer : public GestureRecognizer {
 public:
  using Super = GestureRecognizer;
  using GestureRecognizer::GestureRecognizer;
};

}  // namespace instala::ui
