#include "scenes/authentication/LoginViewController.h"

#include "common/KeyboardDismissal.h"
#include "common/ShowAlert.h"
#include "common/Styles.h"
#include "networking/ServerAPI.h"
#include "outbox/Outbox.h"
#include "outbox/OutboxProvider.h"
#include "platform/Preferences.h"
#include "platform/TextRules.h"

namespace instala {

bool LoginViewController::isValidEmail(const std::string& text) {
  return !text.empty() && platform::matchesWholeText(kEmailPattern, text);
}

void LoginViewController::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  hideKeyboardWhenTappedAround(*this);
}

void LoginViewController::viewDidLayoutSubviews() {
  ui::ViewController::viewDidLayoutSubviews();
  if (auto button = loginButton.lock()) applyButtonStyle(*button);
}

void LoginViewController::loginButtonHandler(ui::Object*) {
  auto email = emailTF.lock();
  auto password = passwordTF.lock();
  if (!email || !password || !isValidEmail(email->text()) || !isValidPassword(password->text())) {
    showAlert(*this, kInvalidEntriesTitle, std::nullopt, std::nullopt, "Aceptar");
    return;
  }
  std::weak_ptr<LoginViewController> weakSelf = sharedAs<LoginViewController>();
  ServerAPI().signIn(email->text(), password->text(),
                     [weakSelf](std::optional<RequestError>, std::optional<User> user, std::optional<int> status) {
                       if (auto self = weakSelf.lock()) self->signInDidComplete(user, status);
                     });
}

void LoginViewController::signInDidComplete(const std::optional<User>& user, std::optional<int> status) {
  // An empty token still counts: the server decides what an empty token means.
  if (status == 200 && user && user->authToken()) {
    platform::Preferences::standard().setObject(*user->authToken(), "token");
    // Services held back by a 422 go out again with the new token.
    if (auto box = outbox::applicationOutbox()) box->didSignIn();
    performSegue("toHome", nullptr);
    return;
  }
  showAlert(*this, kServerErrorTitle, std::nullopt, std::nullopt, "Aceptar");
}

void LoginViewController::describe(ui::ClassDescription<LoginViewController>& d) {
  d.outlet("emailTF", &LoginViewController::emailTF)
      .outlet("passwordTF", &LoginViewController::passwordTF)
      .outlet("loginButton", &LoginViewController::loginButton)
      .outlet("forgotPasswordButton", &LoginViewController::forgotPasswordButton)
      .action("loginButtonHandler:", &LoginViewController::loginButtonHandler)
      .action("forgotPasswordButtonHandler:", &LoginViewController::forgotPasswordButtonHandler);
}

}  // namespace instala
