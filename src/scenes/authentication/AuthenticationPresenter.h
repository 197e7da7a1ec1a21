#pragma once

#include "scenes/authentication/AuthenticationDisplayLogic.h"
#include "scenes/authentication/AuthenticationPresentationLogic.h"

#include <memory>

namespace instala {

class AuthenticationPresenter : public AuthenticationPresentationLogic {
 public:
  // Weak: the screen owns this presenter (through its interactor).
  std::weak_ptr<AuthenticationDisplayLogic> viewController;

  // Hands on to the screen while it exists.
  void presentScene() override;
};

}  // namespace instala
