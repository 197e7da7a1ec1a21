#include "ui/Control.h"

#include <iostream>

namespace instala::ui {

void Control::addTarget(std::weak_ptr<Object> target, std::string action, ControlEvent event) {
  targetActions_.push_back({std::move(target), std::move(action), event});
}

std::vector<std::string> Control::actions(ControlEvent event) const {
  std::vector<std::string> selectors;
  for (const auto& binding : targetActions_) {
    if (binding.event == event) selectors.push_back(binding.action);
  }
  return selectors;
}

void Control::sendActions(ControlEvent event) {
  // The action may release this control (a table reload); keep it for the loop.
  auto self = weak_from_this().lock();
  auto bindings = targetActions_;
  for (const auto& binding : bindings) {
    if (binding.event != event) continue;
    auto target = binding.target.lock();
    if (!target) continue;
    if (!target->performSelector(binding.action, this)) {
      std::cerr << "unrecognized selector " << binding.action << " sent to " << target->className() << "\n";
    }
  }
}

}  // namespace instala::ui
