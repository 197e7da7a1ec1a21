#include "scenes/authentication/AuthenticationPresenter.h"

namespace instala {

void AuthenticationPresenter::presentScene() {
  if (auto screen = viewController.lock()) screen->displayScene();
}

}  // namespace instala
