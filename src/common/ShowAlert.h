#pragma once
// The alert every screen uses for its messages.

#include "ui/AlertController.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace instala {

// Presents an alert on the screen, tinted "DarkPurple". With a cancel title the
// cancel button comes first; the main button is always the preferred one.
// Plain messages: showAlert(screen, "Texto", std::nullopt, std::nullopt, "Aceptar").
void showAlert(ui::ViewController& screen, std::optional<std::string> title, std::optional<std::string> message,
               std::optional<ui::AlertController::Style> style, const std::string& buttonTitle,
               ui::AlertAction::Handler buttonAction = nullptr, std::optional<std::string> cancelTitle = std::nullopt,
               ui::AlertAction::Handler cancelAction = nullptr);

// The same alert without a message and with further buttons after the main
// one, in the order given: showAlert(screen, "Texto", "Aceptar", nullptr, {{"Más tarde", later}}).
void showAlert(ui::ViewController& screen, std::optional<std::string> title, const std::string& buttonTitle,
               ui::AlertAction::Handler buttonAction,
               std::vector<std::pair<std::string, ui::AlertAction::Handler>> otherButtons);

}  // namespace instala
