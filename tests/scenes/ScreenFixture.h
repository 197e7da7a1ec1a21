#pragma once
// A headless application for screen tests: a fresh data folder (preferences
// and documents), the classes registered, the storyboard "Main", a window, a
// manual clock on the main run loop, and helpers to show a scene inside a
// navigation stack and to let the main queue and the window settle.

#include "app/ClassRegistrations.h"
#include "console/ScreenPrinter.h"
#include "networking/Geocoder.h"
#include "platform/Clock.h"
#include "platform/DateFormatter.h"
#include "platform/Paths.h"
#include "platform/Preferences.h"
#include "platform/RunLoop.h"
#include "support/TempDir.h"
#include "ui/Application.h"
#include "ui/NavigationController.h"
#include "ui/Storyboard.h"
#include "ui/TableView.h"
#include "ui/Window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace instala::testing {

class ScreenFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::Application::shared().reset();
    platform::Paths::setDataDirectory(dir.path());
    platform::Preferences::standard().open(dir / "Preferences.plist");
    registerApplicationClasses();
    Geocoder::setShared(nullptr);
    clock = std::make_shared<platform::ManualClock>(instant("2024-03-05 12:00:00"));
    platform::RunLoop::main().setClock(clock);
    storyboard = ui::Storyboard::named("Main");
    ASSERT_NE(storyboard, nullptr);
    window = std::make_shared<ui::Window>();
  }

  void TearDown() override {
    window.reset();
    ui::Application::shared().reset();
    settle();
    platform::RunLoop::main().setClock(std::make_shared<platform::SystemClock>());
    platform::Paths::setDataDirectory({});
    Geocoder::setShared(nullptr);
  }

  // An instant in the device's time zone ("yyyy-MM-dd HH:mm:ss").
  static platform::TimePoint instant(const std::string& text) {
    auto parsed = platform::DateFormatter("yyyy-MM-dd HH:mm:ss").parse(text);
    EXPECT_TRUE(parsed) << text;
    return parsed.value_or(platform::TimePoint{});
  }

  // A new screen of the scene, prepared by `configure` before it is shown as
  // the root of a navigation stack in the key window.
  template <typename Screen>
  std::shared_ptr<Screen> show(const std::string& scene, const std::function<void(Screen&)>& configure = nullptr) {
    auto screen = std::dynamic_pointer_cast<Screen>(storyboard->instantiateViewController(scene));
    EXPECT_NE(screen, nullptr) << scene;
    if (!screen) return nullptr;
    if (configure) configure(*screen);
    navigation = std::make_shared<ui::NavigationController>(screen);
    window->setRootViewController(navigation);
    window->makeKeyAndVisible();
    settle();
    return screen;
  }

  // Runs the main queue and refreshes the window until both are quiet.
  void settle() {
    for (int round = 0; round < 100; ++round) {
      platform::RunLoop::main().runUntilIdle();
      if (window) window->update();
      if (!platform::RunLoop::main().hasPendingTasks()) return;
    }
  }

  // Moves the clock one second at a time, so a repeating timer ticks once per second.
  void advance(int seconds) {
    for (int i = 0; i < seconds; ++i) {
      clock->advance(std::chrono::seconds(1));
      settle();
    }
  }

  // A row on screen (scrolled to first), of the expected class.
  template <typename Cell>
  std::shared_ptr<Cell> row(ui::TableView& table, int index) {
    table.scrollToRow({0, index});
    settle();
    return std::dynamic_pointer_cast<Cell>(table.cellForRow({0, index}));
  }

  // A user's tap on a view of the window (false when hidden or covered), then settle.
  bool tap(ui::View& view) {
    const bool delivered = window->sendTap(view);
    settle();
    return delivered;
  }

  std::shared_ptr<ui::ViewController> topScreen() const { return navigation ? navigation->topViewController() : nullptr; }
  std::string printed() const { return console::ScreenPrinter::print(*window); }

  TempDir dir;
  std::shared_ptr<platform::ManualClock> clock;
  std::shared_ptr<ui::Storyboard> storyboard;
  std::shared_ptr<ui::Window> window;
  std::shared_ptr<ui::NavigationController> navigation;
};

}  // namespace instala::testing
