#include "common/Utils.h"

#include "ui/Application.h"
#include "ui/Storyboard.h"
#include "ui/ViewController.h"
#include "ui/Window.h"

#include <iostream>

namespace instala {

void Utils::changeRootViewController(const std::string& identifier) {
  auto storyboard = ui::Storyboard::named("Main");
  const auto& delegate = ui::Application::shared().delegate();
  auto window = delegate ? delegate->window() : nullptr;
  if (!storyboard || !window) {
    std::cerr << "changeRootViewController: no storyboard \"Main\" or no application window\n";
    return;
  }
  auto controller = storyboard->instantiateViewController(identifier);
  if (!controller) {
    std::cerr << "changeRootViewController: the storyboard has no screen \"" << identifier << "\"\n";
    return;
  }
  window->setRootViewController(controller);
  window->makeKeyAndVisible();
  ui::View::transition(window, 0.3, ui::AnimationOptions::transitionCrossDissolve, nullptr, nullptr);
}

}  // namespace instala
