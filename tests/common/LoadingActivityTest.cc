#include "common/LoadingActivity.h"

#include "ui/Application.h"
#include "ui/Screen.h"
#include "ui/Window.h"

#include <gtest/gtest.h>

namespace instala {
namespace {

class LoadingActivityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::Application::shared().reset();
    ui::Screen::main().setOrientation(ui::Orientation::portrait);
    window = std::make_shared<ui::Window>();
    window->setRootViewController(std::make_shared<ui::ViewController>());
    window->makeKeyAndVisible();
  }
  void TearDown() override {
    LoadingActivity::stop();
    ui::Screen::main().setOrientation(ui::Orientation::portrait);
    ui::Application::shared().reset();
  }
  std::size_t overlaysOnWindow() const {
    std::size_t count = 0;
    for (const auto& view : window->subviews()) count += dynamic_cast<ui::ActivityIndicatorView*>(view.get()) ? 1 : 0;
    return count;
  }
  void start() {
    LoadingActivity::start(LoadingActivity::indicatorStyle, LoadingActivity::overlayColor,
                           LoadingActivity::indicatorColor);
  }
  std::shared_ptr<ui::Window> window;
};

TEST_F(LoadingActivityTest, StartShowsOneFullScreenOverlayOnTopOfTheKeyWindow) {
  start();
  auto overlay = LoadingActivity::activityIndicator();
  ASSERT_NE(overlay, nullptr);
  EXPECT_EQ(window->subviews().back(), overlay);
  EXPECT_EQ(overlay->frame(), ui::Screen::main().bounds());
  EXPECT_TRUE(overlay->isAnimating());
  EXPECT_EQ(overlay->style(), ui::ActivityIndicatorView::Style::whiteLarge);
  EXPECT_EQ(overlay->backgroundColor(), ui::Color(0, 0, 0, 0.2));
  EXPECT_EQ(overlay->color(), ui::Color::white());
}

TEST_F(LoadingActivityTest, TwoRequestsShowOneOverlayAndTheFirstStopHidesIt) {
  start();
  auto first = LoadingActivity::activityIndicator();
  start();
  EXPECT_EQ(LoadingActivity::activityIndicator(), first);
  EXPECT_EQ(overlaysOnWindow(), 1u);
  LoadingActivity::stop();
  EXPECT_FALSE(LoadingActivity::isShown());
  EXPECT_EQ(overlaysOnWindow(), 0u);
  EXPECT_FALSE(first->isAnimating());
  LoadingActivity::stop();  // the second exchange ends: nothing left to hide
  EXPECT_FALSE(LoadingActivity::isShown());
}

TEST_F(LoadingActivityTest, WithoutAKeyWindowNothingIsShown) {
  ui::Application::shared().reset();
  start();
  EXPECT_FALSE(LoadingActivity::isShown());
}

TEST_F(LoadingActivityTest, RotationRebuildsAShownOverlayToCoverTheRotatedScreen) {
  start();
  auto before = LoadingActivity::activityIndicator();
  ui::Screen::main().setOrientation(ui::Orientation::landscape);
  auto after = LoadingActivity::activityIndicator();
  ASSERT_NE(after, nullptr);
  EXPECT_NE(after, before);
  EXPECT_EQ(after->frame(), (ui::Rect{0, 0, 667, 375}));
  EXPECT_EQ(overlaysOnWindow(), 1u);
}

TEST_F(LoadingActivityTest, RotationWithoutAnOverlayShowsNone) {
  start();
  LoadingActivity::stop();
  ui::Screen::main().setOrientation(ui::Orientation::landscape);
  EXPECT_FALSE(LoadingActivity::isShown());
}

TEST_F(LoadingActivityTest, TheOverlayBlocksTapsOnTheScreenBelow) {
  auto root = window->rootViewController()->view();
  EXPECT_TRUE(window->sendTap(*root));
  start();
  EXPECT_FALSE(window->sendTap(*root));
}

}  // namespace
}  // namespace instala
