#pragma once
// A fixture for tests of the toolkit model: a key window over a portrait
// screen, a drained main loop and no overlay, reset around every test.

#include "common/LoadingActivity.h"
#include "platform/RunLoop.h"
#include "ui/Application.h"
#include "ui/Screen.h"
#include "ui/Window.h"

#include <gtest/gtest.h>

#include <memory>

namespace instala::testing {

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override { reset(); }
  void TearDown() override { reset(); }

  // Makes the screen the root of a new key window and shows it.
  std::shared_ptr<ui::Window> show(const std::shared_ptr<ui::ViewController>& root) {
    window = std::make_shared<ui::Window>();
    window->setRootViewController(root);
    window->makeKeyAndVisible();
    settle();
    return window;
  }

  // Runs queued work and refreshes the window, as a display pass would.
  void settle() {
    for (int round = 0; round < 100; ++round) {
      platform::RunLoop::main().runUntilIdle();
      if (window) window->update();
      if (!platform::RunLoop::main().hasPendingTasks()) return;
    }
  }

  std::shared_ptr<ui::Window> window;

 private:
  void reset() {
    LoadingActivity::stop();
    platform::RunLoop::main().runUntilIdle();
    ui::Screen::main().setOrientation(ui::Orientation::portrait);
    ui::Application::shared().reset();
    window.reset();
  }
};

}  // namespace instala::testing
