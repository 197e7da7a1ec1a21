#include "scenes/authentication/AuthenticationInteractor.h"
#include "scenes/authentication/AuthenticationPresenter.h"
#include "scenes/authentication/AuthenticationRouter.h"
#include "scenes/authentication/AuthenticationViewController.h"
#include "ui/ClassRegistry.h"
#include "ui/Storyboard.h"

#include "ScreenTest.h"

#include <gtest/gtest.h>

namespace instala {
namespace {

// A router with one route, to see the screen find routes by selector.
class RoutingRouter : public AuthenticationRouter {
 public:
  using Super = AuthenticationRouter;
  std::vector<std::string> routed;
  void routeToCheckWithSegue(ui::StoryboardSegue* segue) { routed.push_back(segue ? segue->identifier() : "(none)"); }
  static void describe(ui::ClassDescription<RoutingRouter>& d) {
    d.action("routeToCheckWithSegue:", &RoutingRouter::routeToCheckWithSegue);
  }
};

// Counts what the presenter hands on.
class CountingDisplay : public AuthenticationDisplayLogic {
 public:
  int displayed = 0;
  void displayScene() override { ++displayed; }
};

class AuthenticationScene : public testing::ScreenTest {
 protected:
  std::shared_ptr<AuthenticationViewController> make() {
    return std::dynamic_pointer_cast<AuthenticationViewController>(
        ui::ClassRegistry::shared().instantiate("AuthenticationViewController"));
  }
};

TEST_F(AuthenticationScene, CreationWiresTheSceneWithWeakBackPointers) {
  const std::shared_ptr<ui::ViewController> made[] = {
      make(), ui::Storyboard::named("Main")->instantiateViewController("AuthenticationViewController")};
  for (const auto& screen : made) {
    auto scene = std::dynamic_pointer_cast<AuthenticationViewController>(screen);
    ASSERT_TRUE(scene);
    auto interactor = std::dynamic_pointer_cast<AuthenticationInteractor>(scene->interactor);
    ASSERT_TRUE(interactor);
    EXPECT_FALSE(interactor->worker);
    auto presenter = std::dynamic_pointer_cast<AuthenticationPresenter>(interactor->presenter);
    ASSERT_TRUE(presenter);
    EXPECT_EQ(presenter->viewController.lock(), std::static_pointer_cast<AuthenticationDisplayLogic>(scene));
    auto router = std::dynamic_pointer_cast<AuthenticationRouter>(scene->router);
    ASSERT_TRUE(router);
    EXPECT_EQ(router->viewController.lock(), scene);
    EXPECT_EQ(router->dataStore(), std::static_pointer_cast<AuthenticationDataStore>(interactor));
  }
}

TEST_F(AuthenticationScene, ReleasingTheScreenReleasesTheWholeScene) {
  auto scene = make();
  std::weak_ptr<AuthenticationViewController> screen = scene;
  std::weak_ptr<AuthenticationBusinessLogic> interactor = scene->interactor;
  std::weak_ptr<AuthenticationRoutingLogic> router = scene->router;
  std::weak_ptr<AuthenticationPresentationLogic> presenter =
      std::dynamic_pointer_cast<AuthenticationInteractor>(scene->interactor)->presenter;
  scene->view();
  scene.reset();
  EXPECT_TRUE(screen.expired());
  EXPECT_TRUE(interactor.expired());
  EXPECT_TRUE(router.expired());
  EXPECT_TRUE(presenter.expired());
}

TEST_F(AuthenticationScene, LoadingRunsTheEmptyUseCaseAndSendsNothing) {
  setToken(std::nullopt);
  launch();
  auto scene = std::dynamic_pointer_cast<AuthenticationViewController>(
      ui::Storyboard::named("Main")->instantiateViewController("AuthenticationViewController"));
  auto interactor = std::dynamic_pointer_cast<AuthenticationInteractor>(scene->interactor);
  auto presenter = std::dynamic_pointer_cast<AuthenticationPresenter>(interactor->presenter);
  auto display = std::make_shared<CountingDisplay>();
  presenter->viewController = display;
  visible<ui::ViewController>()->present(scene, false);
  waitUntilIdle();
  EXPECT_TRUE(interactor->worker);
  EXPECT_EQ(display->displayed, 1);
  EXPECT_TRUE(server.requests().empty());
  EXPECT_FALSE(LoadingActivity::isShown());
  EXPECT_EQ(screenText(), "screen: AuthenticationViewController \"Autenticación\"\nloading: no\n");
}

TEST_F(AuthenticationScene, ThePresenterHandsOnNothingOnceTheScreenIsGone) {
  AuthenticationPresenter presenter;
  {
    auto display = std::make_shared<CountingDisplay>();
    presenter.viewController = display;
  }
  presenter.presentScene();  // the screen is gone: nothing to call, nothing breaks
  EXPECT_TRUE(presenter.viewController.expired());
}

TEST_F(AuthenticationScene, TransitionsAreRoutedOnlyWhenTheRouterAnswersTheSelector) {
  ui::ClassRegistry::shared().add<RoutingRouter>();
  auto scene = make();
  auto destination = std::make_shared<ui::ViewController>();
  {
    ui::StoryboardSegue segue("Check", scene, destination);
    scene->prepareForSegue(segue, nullptr);  // the scene's own router defines no route
  }
  auto router = std::make_shared<RoutingRouter>();
  scene->router = router;
  EXPECT_TRUE(router->respondsToSelector("routeToCheckWithSegue:"));
  for (const std::string identifier : {"Check", "Other", ""}) {
    ui::StoryboardSegue segue(identifier, scene, destination);
    scene->prepareForSegue(segue, nullptr);
  }
  EXPECT_EQ(router->routed, std::vector<std::string>{"Check"});
  scene->router.reset();
  ui::StoryboardSegue segue("Check", scene, destination);
  scene->prepareForSegue(segue, nullptr);  // no router: nothing to do
  EXPECT_EQ(router->routed.size(), 1u);
}

}  // namespace
}  // namespace instala
