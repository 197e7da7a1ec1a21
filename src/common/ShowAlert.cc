#include "common/ShowAlert.h"

namespace instala {
namespace {

std::shared_ptr<ui::AlertController> makeAlert(std::optional<std::string> title, std::optional<std::string> message,
                                               std::optional<ui::AlertController::Style> style) {
  auto alert = std::make_shared<ui::AlertController>(std::move(title), std::move(message),
                                                     style.value_or(ui::AlertController::Style::alert));
  alert->view()->setTintColor(ui::Color::named("DarkPurple"));
  return alert;
}

}  // namespace

void showAlert(ui::ViewController& screen, std::optional<std::string> title, std::optional<std::string> message,
               std::optional<ui::AlertController::Style> style, const std::string& buttonTitle,
               ui::AlertAction::Handler buttonAction, std::optional<std::string> cancelTitle,
               ui::AlertAction::Handler cancelAction) {
  auto alert = makeAlert(std::move(title), std::move(message), style);
  if (cancelTitle) {
    alert->addAction(
        std::make_shared<ui::AlertAction>(*cancelTitle, ui::AlertAction::Style::cancel, std::move(cancelAction)));
  }
  auto main = std::make_shared<ui::AlertAction>(buttonTitle, ui::AlertAction::Style::defaultStyle,
                                                std::move(buttonAction));
  alert->addAction(main);
  alert->setPreferredAction(main);
  screen.present(alert, true);
}

void showAlert(ui::ViewController& screen, std::optional<std::string> title, const std::string& buttonTitle,
               ui::AlertAction::Handler buttonAction,
               std::vector<std::pair<std::string, ui::AlertAction::Handler>> otherButtons) {
  auto alert = makeAlert(std::move(title), std::nullopt, std::nullopt);
  auto main = std::make_shared<ui::AlertAction>(buttonTitle, ui::AlertAction::Style::defaultStyle,
                                                std::move(buttonAction));
  alert->addAction(main);
  alert->setPreferredAction(main);
  for (auto& [other, action] : otherButtons) {
    alert->addAction(std::make_shared<ui::AlertAction>(other, ui::AlertAction::Style::defaultStyle, std::move(action)));
  }
  screen.present(alert, true);
}

}  // namespace instala
