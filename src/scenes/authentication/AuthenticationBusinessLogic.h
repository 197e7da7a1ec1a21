#pragma once

namespace instala {

// What the authentication screen asks of its interactor.
class AuthenticationBusinessLogic {
 public:
  virtual ~AuthenticationBusinessLogic() = default;
  // The scene's one use case, run when the screen's view has loaded.
  virtual void loadScene() = 0;
};

}  // namespace instala
