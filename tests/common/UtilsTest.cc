#include "common/Utils.h"

#include "platform/Bundle.h"
#include "ui/Storyboard.h"

#include "support/TempDir.h"
#include "support/UiTest.h"

#include <gtest/gtest.h>

namespace instala {
namespace {

class WindowOwner : public ui::ApplicationDelegate {
 public:
  bool didFinishLaunching(ui::Application&) override { return true; }
  std::shared_ptr<ui::Window> window() const override { return window_; }
  std::shared_ptr<ui::Window> window_;
};

class ChangeRootTest : public testing::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    bundle.write("Main.storyboard.json", R"({ "scenes": [
      { "id": "LoginViewController", "class": "ViewController", "title": "Entrar" },
      { "id": "Home", "class": "ViewController", "title": "Inicio" } ] })");
    platform::Bundle::setMain(bundle.path());
    delegate->window_ = show(ui::Storyboard::named("Main")->instantiateViewController("Home"));
    ui::Application::shared().setDelegate(delegate);
  }
  void TearDown() override {
    platform::Bundle::setMain(platform::Bundle::locate(std::nullopt));
    UiTest::TearDown();
  }
  testing::TempDir bundle;
  std::shared_ptr<WindowOwner> delegate = std::make_shared<WindowOwner>();
};

TEST_F(ChangeRootTest, ReplacesTheWholeHierarchyWithACrossDissolve) {
  auto home = window->rootViewController();
  home->present(std::make_shared<ui::ViewController>(), false);
  Utils::changeRootViewController("LoginViewController");
  ASSERT_NE(window->rootViewController(), home);
  EXPECT_EQ(window->rootViewController()->title(), "Entrar");
  EXPECT_EQ(home->presentedViewController(), nullptr);
  EXPECT_TRUE(window->isKeyWindow());
  const auto& request = ui::Application::shared().animationRequests().back();
  EXPECT_EQ(request.kind, ui::AnimationRequest::Kind::transition);
  EXPECT_EQ(request.duration, 0.3);
  EXPECT_TRUE(ui::contains(request.options, ui::AnimationOptions::transitionCrossDissolve));
  EXPECT_EQ(request.view.lock(), window);
}

TEST_F(ChangeRootTest, AnUnknownIdentifierChangesNothing) {
  auto home = window->rootViewController();
  Utils::changeRootViewController("Nope");
  EXPECT_EQ(window->rootViewController(), home);
}

}  // namespace
}  // namespace instala
