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
  // Key first: the first screen's view loads as it becomes the root, and a
  // request it sends then (the active list) shows the loading overlay, which
  // needs a key window.
  window_->makeKeyAndVisible();
  window_->setRootViewController(root);
  return true;
}

}  // namespace instala
