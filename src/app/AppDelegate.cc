#include "app/AppDelegate.h"

#include "platform/Preferences.h"
#include "ui/Screen.h"
#include "ui/Storyboard.h"

#include <iostream>

namespace instala {

bool AppDelegate::didFinishLaunching(ui::Application&) {
  window_ = std::make_shared<ui::Window>(ui::Screen::main().bounds());
  auto storyboard = ui::Storyboard::named("Main");
  if (!storyboard) return false;
  const std::string token = platform::Preferences::standard().stringForKey("token").value_or("");
  // "LoginViewController" is the login screen's class identifier.
  const std::string first = token.empty() ? "LoginViewController" : "UITabBarController";
  auto root = storyboard->instantiateViewController(first);
  if (!root) {
    std::cerr << "the storyboard \"Main\" has no screen \"" << first << "\"\n";
    return false;
  }
  window_->setRootViewController(root);
  window_->makeKeyAndVisible();
  return true;
}

}  // namespace instala
