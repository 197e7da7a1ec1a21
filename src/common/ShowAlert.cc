#include "common/ShowAlert.h"

namespace instala {

void showAlert(ui::ViewController& screen, std::optional<std::string> title, std::optional<std::string> message,
               std::optional<ui::AlertController::Style> style, const std::string& buttonTitle,
               ui::AlertAction::Handler buttonAction, std::optional<std::string> cancelTitle,
               ui::AlertAction::Handler cancelAction) {
  auto alert = std::make_shared<ui::AlertController>(std::move(title), std::move(message),
                                                     style.value_or(ui::AlertController::Style::alert));
  alert->view()->setTintColor(ui::Color::named("DarkPurple"));
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

}  // namespace instala
