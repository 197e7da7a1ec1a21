#pragma once
// The application delegate: creates the window at launch and chooses the first
// screen from the stored session token. It owns the outbox, started at launch
// so that services kept from an earlier run go out again. Nothing happens on
// the other lifecycle events (the delegate base's empty defaults).

#include "outbox/Outbox.h"
#include "outbox/OutboxProvider.h"
#include "ui/Application.h"
#include "ui/Window.h"

#include <memory>

namespace instala {

class AppDelegate : public ui::ApplicationDelegate, public outbox::OutboxProvider {
 public:
  using Super = ui::ApplicationDelegate;

  // Window over the main screen; storyboard "Main"; a non-empty "token" shows
  // "UITabBarController", otherwise "LoginViewController". False when the
  // storyboard or the screen cannot be made (reported on the standard error).
  bool didFinishLaunching(ui::Application& application) override;

  std::shared_ptr<ui::Window> window() const override { return window_; }
  // Documents/Outbox, sending through the shared session, which tells it of every answer.
  std::shared_ptr<outbox::Outbox> outbox() const override { return outbox_; }

 private:
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<outbox::Outbox> outbox_;
};

}  // namespace instala
