#pragma once
// The alert every screen uses for its messages.

#include "ui/AlertController.h"

#include <optional>
#include <string>

namespace instala {

// Presents an alert on the screen, tinted "DarkPurple". With a cancel title the
// cancel button comes first; the main button is always the preferred one.
// Plain messages: showAlert(screen, "Texto", std::nullopt, std::nullopt, "Aceptar").
void showAlert(ui::ViewController& screen, std::optional<std::string> title, std::optional<std::string> message,
               std::optional<ui::AlertController::Style> style, const std::string& buttonTitle,
               ui::AlertAction::Handler buttonAction = nullptr, std::optional<std::string> cancelTitle = std::nullopt,
               ui::AlertAction::Handler cancelAction = nullptr);

}  // namespace instala
