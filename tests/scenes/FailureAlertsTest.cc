// Every failure a technician can meet on the sign-in, the lists and the search
// ends in the same kind of alert: one exact title, no message, one "Aceptar".

#include "scenes/authentication/LoginViewController.h"
#include "scenes/tickets/ActivesTableViewController.h"
#include "scenes/tickets/SearchTableViewController.h"

#include "common/CustomButtonCell.h"
#include "ui/Color.h"

#include "ScreenTest.h"

#include <gtest/gtest.h>

#include <functional>

namespace instala {
namespace {

using testing::Reply;


const Reply kEmptyList = Reply::json(200, R"({"tickets":[]})");
const Reply kServerError = Reply::json(500, R"({"message":"falla"})");

class FailureAlerts;

struct AlertCase {
  std::string name;
  std::function<void(FailureAlerts&)> trigger;
  std::string title;
};

void PrintTo(const AlertCase& c, std::ostream* os) { *os << c.name; }

class FailureAlerts : public testing::ScreenTest, public ::testing::WithParamInterface<AlertCase> {
 public:
  using ScreenTest::answer;
  using ScreenTest::server;
  using ScreenTest::writeServerURL;

  void signIn(const std::string& email, const std::string& password) {
    setToken(std::nullopt);
    launch();
    auto login = visible<LoginViewController>();
    ASSERT_TRUE(login);
    for (auto [field, text] : {std::pair{login->emailTF.lock(), email}, std::pair{login->passwordTF.lock(), password}}) {
      ASSERT_TRUE(tap(*field));
      field->typeText(text);
    }
    ASSERT_TRUE(tap(*login->loginButton.lock()));
    waitUntilIdle();
  }

  void openTab(std::size_t tab) {
    setToken("tok");
    launch();
    if (tab > 0) selectTab(tab);
  }

  void tapSearch() {
    auto screen = visible<SearchTableViewController>();
    ASSERT_TRUE(screen);
    auto button = std::dynamic_pointer_cast<CustomButtonCell>(screen->tableView()->cellForRow({0, 1}));
    ASSERT_TRUE(button);
    ASSERT_TRUE(tap(*button->customButton.lock()));
    waitUntilIdle();
  }

  void signOut() {
    openTab(0);
    visible<ActivesTableViewController>()->navigationItem().rightBarButtonItem->tap();
    settle();
    answerAlert("Aceptar");
    waitUntilIdle();
  }
};

TEST_P(FailureAlerts, HaveTheirTitleNoMessageAndOneAcceptButton) {
  GetParam().trigger(*this);
  auto shown = alert();
  ASSERT_TRUE(shown) << "no alert";
  EXPECT_EQ(shown->title(), GetParam().title);
  EXPECT_EQ(shown->message(), std::nullopt);
  EXPECT_EQ(shown->preferredStyle(), ui::AlertController::Style::alert);
  ASSERT_EQ(shown->actions().size(), 1u);
  EXPECT_EQ(shown->actions()[0]->title(), "Aceptar");
  EXPECT_EQ(shown->actions()[0]->style(), ui::AlertAction::Style::defaultStyle);
  EXPECT_EQ(shown->preferredAction(), shown->actions()[0]);
  EXPECT_EQ(shown->view()->tintColor(), ui::Color::named("DarkPurple"));
  answerAlert("Aceptar");
  EXPECT_FALSE(alert());
}

const char* const kEntries = "Las credenciales son incorrectas. Ingrese datos válidos.";
const char* const kLogin = "Error de servidor. Intentar nuevamente.";
const char* const kLists = "Error en servidor. Intentarlo nuevamente.";

INSTANTIATE_TEST_SUITE_P(
    Screens, FailureAlerts,
    ::testing::Values(
        AlertCase{"SignInWithABadAddress", [](FailureAlerts& t) { t.signIn("tecnico@instala", "Instala2026"); },
                  kEntries},
        AlertCase{"SignInWithoutPassword", [](FailureAlerts& t) { t.signIn("tecnico@instala.mx", ""); }, kEntries},
        AlertCase{"SignInRefused",
                  [](FailureAlerts& t) {
                    t.answer({{FailureAlerts::kSignInPath, Reply::json(401, R"({"message":"Credenciales inválidas"})")}});
                    t.signIn("tecnico@instala.mx", "Instala2026");
                  },
                  kLogin},
        AlertCase{"SignInWithANumberAsServerURL",
                  [](FailureAlerts& t) {
                    t.writeServerURL("<real>1.5</real>");
                    t.signIn("tecnico@instala.mx", "Instala2026");
                  },
                  kLogin},
        AlertCase{"ActiveListFailed",
                  [](FailureAlerts& t) {
                    t.answer({{FailureAlerts::kActivePath, kServerError}});
                    t.openTab(0);
                  },
                  kLists},
        AlertCase{"ActiveListWithDataAsServerURL",
                  [](FailureAlerts& t) {
                    t.writeServerURL("<data>AQID</data>");
                    t.openTab(0);
                  },
                  kLists},
        AlertCase{"ClosedListFailed",
                  [](FailureAlerts& t) {
                    t.answer({{FailureAlerts::kActivePath, kEmptyList}, {FailureAlerts::kClosedPath, kServerError}});
                    t.openTab(1);
                  },
                  kLists},
        AlertCase{"SignOutFailed",
                  [](FailureAlerts& t) {
                    t.answer({{FailureAlerts::kActivePath, kEmptyList}, {FailureAlerts::kSignOutPath, kServerError}});
                    t.signOut();
                  },
                  kLists},
        AlertCase{"SearchFailed",
                  [](FailureAlerts& t) {
                    t.answer({{FailureAlerts::kActivePath, kEmptyList}, {FailureAlerts::kSearchPath, kServerError}});
                    t.openTab(2);
                    t.tapSearch();
                  },
                  kLogin},
        AlertCase{"SearchWithAnArrayAsServerURL",
                  [](FailureAlerts& t) {
                    t.answer({{FailureAlerts::kActivePath, kEmptyList}});
                    t.openTab(2);
                    t.writeServerURL("<array><string>" + t.server.url() + "</string></array>");
                    t.tapSearch();
                  },
                  kLogin}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace instala
