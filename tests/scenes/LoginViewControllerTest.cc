#include "scenes/authentication/LoginViewController.h"

#include "scenes/tickets/ActivesTableViewController.h"

#include "ScreenTest.h"

#include <gtest/gtest.h>

#include <atomic>

namespace instala {
namespace {

using testing::RecordedRequest;
using testing::Reply;

// ---- The e-mail rule ------------------------------------------------------------------

struct EmailCase {
  std::string name;
  std::string email;
  bool valid;
};

void PrintTo(const EmailCase& c, std::ostream* os) { *os << c.name; }

class EmailRule : public ::testing::TestWithParam<EmailCase> {};

TEST_P(EmailRule, WholeTextMustMatch) { EXPECT_EQ(LoginViewController::isValidEmail(GetParam().email), GetParam().valid); }

INSTANTIATE_TEST_SUITE_P(
    Addresses, EmailRule,
    ::testing::Values(EmailCase{"TwoLetterEnding", "tecnico@instala.mx", true},
                      EmailCase{"OneLetterEnding", "tecnico@instala.m", false},
                      EmailCase{"SixtyFourLetterEnding", "tecnico@instala." + std::string(64, 'a'), true},
                      EmailCase{"SixtyFiveLetterEnding", "tecnico@instala." + std::string(65, 'a'), false},
                      EmailCase{"DigitsInEnding", "tecnico@instala.m2", false},
                      EmailCase{"OnlyDigitsInEnding", "tecnico@instala.42", false},
                      EmailCase{"LeadingBlank", " tecnico@instala.mx", false},
                      EmailCase{"TrailingBlank", "tecnico@instala.mx ", false},
                      EmailCase{"BlankInside", "tec nico@instala.mx", false},
                      EmailCase{"AccentedLocalPart", "josé@instala.mx", false},
                      EmailCase{"AccentedDomain", "tecnico@instalación.mx", false},
                      EmailCase{"AccentedEnding", "tecnico@instala.méx", false},
                      EmailCase{"NoAtSign", "tecnico.instala.mx", false},
                      EmailCase{"TwoAtSigns", "tecnico@soporte@instala.mx", false},
                      EmailCase{"Empty", "", false},
                      EmailCase{"UpperCase", "TECNICO@INSTALA.MX", true},
                      EmailCase{"RichAddress", "Juan.Perez_99%ops+gps-2@mail.sub-dominio.instala.com.mx", true}),
    [](const auto& info) { return info.param.name; });

// ---- The login screen -----------------------------------------------------------------


class LoginScreen : public testing::ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    setToken(std::nullopt);
    launch();
    login = visible<LoginViewController>();
    ASSERT_TRUE(login);
  }

  void type(const std::weak_ptr<UnderlineTextField>& outlet, const std::string& text) {
    auto field = outlet.lock();
    ASSERT_TRUE(field);
    ASSERT_TRUE(tap(*field));
    field->typeText(text);
  }

  void signIn(const std::string& email, const std::string& password) {
    type(login->emailTF, email);
    type(login->passwordTF, password);
    ASSERT_TRUE(tap(*login->loginButton.lock()));
    waitUntilIdle();
  }

  std::shared_ptr<LoginViewController> login;
};

TEST_F(LoginScreen, ShowsItsFieldsAndButtons) {
  EXPECT_EQ(screenText(),
            "screen: LoginViewController\n"
            "  emailTF: field \"\" placeholder \"Correo electrónico\"\n"
            "  passwordTF: field \"\" placeholder \"Contraseña\"\n"
            "  loginButton: button \"Iniciar sesión\"\n"
            "  forgotPasswordButton: button \"¿Olvidaste tu contraseña?\"\n"
            "loading: no\n");
}

TEST_F(LoginScreen, TheLoginButtonGetsTheRaisedStyleWhenLaidOut) {
  const auto& layer = login->loginButton.lock()->layer();
  EXPECT_EQ(layer.cornerRadius, 8);
  EXPECT_EQ(layer.shadowColor, ui::Color::black());
  EXPECT_EQ(layer.shadowOffset, (ui::Size{0.2, 0.2}));
  EXPECT_EQ(layer.shadowRadius, 2);
  EXPECT_EQ(layer.shadowOpacity, 0.2);
}

TEST_F(LoginScreen, ATapOutsideTheFieldsHidesTheKeyboard) {
  auto email = login->emailTF.lock();
  ASSERT_TRUE(tap(*email));
  EXPECT_TRUE(email->isEditing());
  ASSERT_TRUE(tap(*login->view()));
  EXPECT_FALSE(email->isEditing());
}

TEST_F(LoginScreen, ABadAddressRaisesTheEntriesAlertAndSendsNothing) {
  signIn("tecnico@instala.m", "Instala2026");
  EXPECT_EQ(alertTitle(), "Las credenciales son incorrectas. Ingrese datos válidos.");
  auto shown = alert();
  ASSERT_EQ(shown->actions().size(), 1u);
  EXPECT_EQ(shown->actions()[0]->title(), "Aceptar");
  EXPECT_FALSE(shown->message());
  answerAlert("Aceptar");
  EXPECT_FALSE(alert());
  EXPECT_TRUE(server.requests().empty());
  EXPECT_EQ(login->emailTF.lock()->text(), "tecnico@instala.m");
  EXPECT_EQ(login->passwordTF.lock()->text(), "Instala2026");
}

TEST_F(LoginScreen, AnEmptyPasswordRaisesTheSameAlert) {
  signIn("tecnico@instala.mx", "");
  EXPECT_EQ(alertTitle(), "Las credenciales son incorrectas. Ingrese datos válidos.");
  EXPECT_TRUE(server.requests().empty());
}

TEST_F(LoginScreen, TheForgottenPasswordButtonDoesNothing) {
  const std::string before = screenText();
  ASSERT_TRUE(tap(*login->forgotPasswordButton.lock()));
  waitUntilIdle();
  EXPECT_EQ(screenText(), before);
  EXPECT_TRUE(server.requests().empty());
}

TEST_F(LoginScreen, SignInPostsTheEntriesAsTypedWithoutAuthorization) {
  answer({{kSignInPath, Reply::json(401, "{}")}});
  signIn("Tecnico@Instala.mx", "clave con espacios ñ");
  auto requests = requestsTo(kSignInPath);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].body, R"({"email":"Tecnico@Instala.mx","password":"clave con espacios ñ"})");
  EXPECT_EQ(requests[0].header("Content-Type"), "application/json");
  EXPECT_FALSE(requests[0].header("Authorization"));
}

// The first sign-in is refused; the server reads the second on the same
// connection and closes it without an answer; a third would let the user in.
TEST_F(LoginScreen, ASignInTheServerReadThenDroppedIsNotSentAgain) {
  auto signIns = std::make_shared<std::atomic<int>>(0);
  server.setHandler([signIns](const RecordedRequest&) {
    switch (++*signIns) {
      case 1: return Reply::json(401, "{}");
      case 2: return Reply::dropConnection();
      default: return Reply::json(200, R"({"name":"Carlos","auth_token":"nuevo"})");
    }
  });
  signIn("tecnico@instala.mx", "Instala2026");
  answerAlert("Aceptar");
  ASSERT_TRUE(tap(*login->loginButton.lock()));
  waitUntilIdle();
  const auto requests = requestsTo(kSignInPath);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].connection, requests[0].connection);
  EXPECT_EQ(alertTitle(), "Error de servidor. Intentar nuevamente.");
  EXPECT_EQ(storedToken(), std::nullopt);
  EXPECT_FALSE(visible<ui::TabBarController>());
}

// ---- What the screen checks before sending ---------------------------------------------

struct EntriesCase {
  std::string name;
  std::string email;
  std::string password;
  bool sent;
};

void PrintTo(const EntriesCase& c, std::ostream* os) { *os << c.name; }

class Entries : public LoginScreen, public ::testing::WithParamInterface<EntriesCase> {};

// The address is checked as typed (blanks are not trimmed away); the password
// only needs to be there.
TEST_P(Entries, AreCheckedAsTyped) {
  const auto& c = GetParam();
  answer({{kSignInPath, Reply::json(401, "{}")}});
  signIn(c.email, c.password);
  auto requests = requestsTo(kSignInPath);
  if (c.sent) {
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].body, R"({"email":")" + c.email + R"(","password":")" + c.password + R"("})");
    EXPECT_EQ(alertTitle(), "Error de servidor. Intentar nuevamente.");
  } else {
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(alertTitle(), "Las credenciales son incorrectas. Ingrese datos válidos.");
  }
  EXPECT_EQ(login->emailTF.lock()->text(), c.email);
  EXPECT_EQ(login->passwordTF.lock()->text(), c.password);
}

INSTANTIATE_TEST_SUITE_P(
    Screen, Entries,
    ::testing::Values(EntriesCase{"AddressPaddedWithBlanks", "  tecnico@instala.mx ", "Instala2026", false},
                      EntriesCase{"AddressWithALeadingTab", "\ttecnico@instala.mx", "Instala2026", false},
                      EntriesCase{"AddressWithATrailingBlank", "tecnico@instala.mx ", "Instala2026", false},
                      EntriesCase{"OneCharacterPassword", "tecnico@instala.mx", "x", true},
                      EntriesCase{"OneBlankPassword", "tecnico@instala.mx", " ", true},
                      EntriesCase{"EmptyPassword", "tecnico@instala.mx", "", false}),
    [](const auto& info) { return info.param.name; });

// ---- Each answer to the sign-in -------------------------------------------------------

struct SignInCase {
  std::string name;
  std::optional<Reply> reply;  // none: nothing listens
  std::optional<std::string> storedToken;
  bool home;
};

void PrintTo(const SignInCase& c, std::ostream* os) { *os << c.name; }

class SignInAnswer : public LoginScreen, public ::testing::WithParamInterface<SignInCase> {};

TEST_P(SignInAnswer, StoresTheTokenAndGoesHomeOnlyOnSuccess) {
  const auto& c = GetParam();
  setToken("anterior");
  if (c.reply) {
    answer({{kSignInPath, *c.reply}, {kActivePath, Reply::json(200, R"({"tickets":[]})")}});
  } else {
    stopServer();
  }
  signIn("tecnico@instala.mx", "Instala2026");
  EXPECT_EQ(storedToken(), c.storedToken);
  if (c.home) {
    EXPECT_FALSE(alert());
    EXPECT_TRUE(visible<ui::TabBarController>());
    auto actives = visible<ActivesTableViewController>();
    ASSERT_TRUE(actives);
    // The list went out with the token just stored.
    auto lists = requestsTo(kActivePath);
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_EQ(lists[0].header("Authorization"), "Bearer " + c.storedToken.value_or(""));
  } else {
    EXPECT_EQ(alertTitle(), "Error de servidor. Intentar nuevamente.");
    EXPECT_EQ(alert()->actions().size(), 1u);
    EXPECT_FALSE(visible<ui::TabBarController>());
    EXPECT_TRUE(visible<LoginViewController>());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SignInAnswer,
    ::testing::Values(
        SignInCase{"OkWithToken", Reply::json(200, R"({"name":"Carlos","auth_token":"nuevo"})"), "nuevo", true},
        SignInCase{"OkWithEmptyToken", Reply::json(200, R"({"name":"Carlos","auth_token":""})"), "", true},
        SignInCase{"OkWithoutToken", Reply::json(200, R"({"name":"Carlos"})"), "anterior", false},
        SignInCase{"OkWithTokenOfAnotherKind", Reply::json(200, R"({"auth_token":42})"), "anterior", false},
        SignInCase{"OkNotJSON", Reply::json(200, "hola"), "anterior", false},
        SignInCase{"Unauthorized", Reply::json(401, R"({"auth_token":"x"})"), "anterior", false},
        SignInCase{"Unprocessable", Reply::json(422, R"({"auth_token":"x"})"), "anterior", false},
        SignInCase{"NoServer", std::nullopt, "anterior", false}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace instala
