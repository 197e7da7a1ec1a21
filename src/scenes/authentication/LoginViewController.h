#pragma once
// The login screen: checks the e-mail and the password locally, sends the
// sign-in, stores the returned token and moves on to the tabbed screen
// ("toHome"). One alert covers every local check, another every failed sign-in.

#include "common/UnderlineTextField.h"
#include "models/User.h"
#include "networking/RequestError.h"
#include "ui/Button.h"
#include "ui/ClassRegistry.h"
#include "ui/ViewController.h"

#include <memory>
#include <optional>
#include <string>

namespace instala {

class LoginViewController : public ui::ViewController {
 public:
  using Super = ui::ViewController;

  static constexpr const char* kEmailPattern = "[A-Z0-9a-z._%+-]+@[A-Za-z0-9.-]+\\.[A-Za-z]{2,64}";
  static constexpr const char* kInvalidEntriesTitle = "Las credenciales son incorrectas. Ingrese datos válidos.";
  static constexpr const char* kServerErrorTitle = "Error de servidor. Intentar nuevamente.";

  std::weak_ptr<UnderlineTextField> emailTF;
  std::weak_ptr<UnderlineTextField> passwordTF;
  std::weak_ptr<ui::Button> loginButton;
  std::weak_ptr<ui::Button> forgotPasswordButton;

  // The whole text matches the e-mail pattern (case-sensitive, nothing trimmed).
  static bool isValidEmail(const std::string& text);
  static bool isValidPassword(const std::string& text) { return !text.empty(); }

  void viewDidLoad() override;
  void viewDidLayoutSubviews() override;

  // Validates the two fields and sends the sign-in; each tap runs it all again.
  void loginButtonHandler(ui::Object* sender);
  // The forgotten password has no behaviour yet.
  void forgotPasswordButtonHandler(ui::Object*) {}

  static void describe(ui::ClassDescription<LoginViewController>& d);

 private:
  void signInDidComplete(const std::optional<User>& user, std::optional<int> status);
};

}  // namespace instala
