#pragma once

namespace instala {

// What the authentication presenter asks of the screen it points back to.
class AuthenticationDisplayLogic {
 public:
  virtual ~AuthenticationDisplayLogic() = default;
  virtual void displayScene() = 0;
};

}  // namespace instala
