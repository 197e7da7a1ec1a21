#include "app/AppDelegate.h"

#include "networking/ServerAPI.h"
#include "networking/Session.h"
#include "platform/Paths.h"
#include "platform/Preferences.h"
#include "ui/Screen.h"
#include "ui/Storyboard.h"

#include <iostream>

namespace instala {

bool AppDelegate::didFinishLaunching(ui::Application&) {
  outbox_ = std::make_shared<outbox::Outbox>(platform::Paths::documentsDirectory() / "Outbox",
                                             std::make_shared<const ServerAPI>());
  Session::shared().setAnswerObserver([weak = std::weak_ptr<outbox::Outbox>(outbox_)](int status) {
    if (auto box = weak.lock()) box->serverAnswered(status);
  });
  outbox_->start();
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
