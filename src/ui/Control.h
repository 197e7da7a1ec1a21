#pragma once
// Controls send action methods by selector to weakly held targets when their
// events happen (the toolkit's target/action).

#include "ui/View.h"

#include <string>
#include <vector>

namespace instala::ui {

enum class ControlEvent { touchUpInside, valueChanged, editingDidBegin, editingChanged, editingDidEnd };
enum class ControlState { normal, highlighted, disabled, selected };

class Control : public View {
 public:
  using Super = View;
  using View::View;

  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled) { enabled_ = enabled; }

  struct TargetAction {
    std::weak_ptr<Object> target;
    std::string action;
    ControlEvent event;
  };
  void addTarget(std::weak_ptr<Object> target, std::string action, ControlEvent event);
  const std::vector<TargetAction>& targetActions() const { return targetActions_; }
  // The selectors bound to an event, in binding order.
  std::vector<std::string> actions(ControlEvent event) const;
  // Sends every action bound to the event to its target, with this control as sender.
  void sendActions(ControlEvent event);

 private:
  bool enabled_ = true;
  std::vector<TargetAction> targetActions_;
};

}  // namespace instala::ui
