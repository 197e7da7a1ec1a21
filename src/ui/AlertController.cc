#include "ui/AlertController.h"

#include <algorithm>

namespace instala::ui {

AlertController::AlertController(std::optional<std::string> title, std::optional<std::string> message, Style style)
    : alertTitle_(std::move(title)), message_(std::move(message)), style_(style) {
  // The screen below stays visible around an alert.
  setModalPresentationStyle(ModalPresentationStyle::overFullScreen);
}

void AlertController::addAction(std::shared_ptr<AlertAction> action) {
  if (action) actions_.push_back(std::move(action));
}

void AlertController::setPreferredAction(const std::shared_ptr<AlertAction>& action) {
  if (!action || std::find(actions_.begin(), actions_.end(), action) != actions_.end()) preferred_ = action;
}

bool AlertController::tapAction(std::size_t index) {
  if (index >= actions_.size() || !actions_[index]->isEnabled()) return false;
  auto self = sharedAs<AlertController>();
  auto action = actions_[index];
  dismiss(true);
  if (action->handler()) action->handler()(*action);
  return true;
}

}  // namespace instala::ui
