#pragma once

namespace instala {

// What the authentication interactor asks of its presenter.
class AuthenticationPresentationLogic {
 public:
  virtual ~AuthenticationPresentationLogic() = default;
  virtual void presentScene() = 0;
};

}  // namespace instala
