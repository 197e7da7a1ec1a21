#include "scenes/authentication/AuthenticationViewController.h"

#include "scenes/authentication/AuthenticationInteractor.h"
#include "scenes/authentication/AuthenticationPresenter.h"
#include "scenes/authentication/AuthenticationRouter.h"

namespace instala {

std::shared_ptr<AuthenticationViewController> AuthenticationViewController::create() {
  auto screen = std::make_shared<AuthenticationViewController>();
  screen->setup();
  return screen;
}

void AuthenticationViewController::setup() {
  auto self = sharedAs<AuthenticationViewController>();
  auto sceneInteractor = std::make_shared<AuthenticationInteractor>();
  auto presenter = std::make_shared<AuthenticationPresenter>();
  auto sceneRouter = std::make_shared<AuthenticationRouter>();
  interactor = sceneInteractor;
  router = sceneRouter;
  sceneInteractor->presenter = presenter;
  presenter->viewController = self;
  sceneRouter->viewController = self;
  sceneRouter->setDataStore(sceneInteractor);
}

void AuthenticationViewController::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  if (interactor) interactor->loadScene();
}

void AuthenticationViewController::prepareForSegue(ui::StoryboardSegue& segue, ui::Object*) {
  if (segue.identifier().empty()) return;
  const std::string selector = "routeTo" + segue.identifier() + "WithSegue:";
  if (router && router->respondsToSelector(selector)) router->performSelector(selector, &segue);
}

}  // namespace instala
