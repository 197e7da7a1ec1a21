#include "scenes/authentication/AuthenticationInteractor.h"

namespace instala {

void AuthenticationInteractor::loadScene() {
  worker.emplace();
  if (presenter) presenter->presentScene();
}

}  // namespace instala
