// The application's outbox seen from the screens: the "Activos" tab's badge
// counts the services still kept, any answer of the server to another request
// sends them again, and a sign-in sends those a 422 held back.

#include "outbox/EntryStore.h"
#include "outbox/IdempotencyKey.h"
#include "platform/Paths.h"
#include "scenes/authentication/LoginViewController.h"
#include "ui/TextField.h"

#include "ScreenTest.h"

#include <gtest/gtest.h>

namespace instala {
namespace {

using testing::Reply;

class ApplicationOutbox : public testing::ScreenTest {
 protected:
  // A service an earlier run kept.
  void keep(std::int64_t ticket, std::chrono::hours tappedAt) {
    outbox::EntryStore store(platform::Paths::documentsDirectory() / "Outbox");
    outbox::ServiceSubmission service;
    service.idempotencyKey = outbox::makeIdempotencyKey();
    service.ticketId = ticket;
    service.fields = {{"ticket_id", std::to_string(ticket)}};
    auto staged = store.stage(service);
    ASSERT_TRUE(staged);
    ASSERT_TRUE(store.commit(*staged, platform::TimePoint(tappedAt)));
  }
  // Until neither a request under the overlay nor the outbox is at work (each may start the other).
  void waitForTheOutbox() {
    auto box = delegate->outbox();
    do {
      waitUntilIdle();
      ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return !box->isBusy(); }));
      settle();
    } while (box->isBusy() || LoadingActivity::isShown());
  }
  void answerSubmissions(Reply reply) {
    answer({{"/api/v1/tickets/active", Reply::json(200, R"({"tickets":[]})")},
            {"/api/v1/tickets/closed", Reply::json(200, R"({"tickets":[]})")},
            {"/api/v1/services", std::move(reply)}});
  }
};

TEST_F(ApplicationOutbox, CountsTheKeptServicesUntilAnAnswerOfTheServerSendsThem) {
  keep(1, std::chrono::hours(1));
  keep(2, std::chrono::hours(2));
  setToken("tok");
  answerSubmissions(Reply::json(500, R"({"message":"x"})"));
  launch();
  waitForTheOutbox();
  EXPECT_NE(screenText().find("tabs: [Activos (2)] Cerrados Búsqueda\n"), std::string::npos) << screenText();
  EXPECT_GE(requestsTo("/api/v1/services").size(), 2u);  // sent at start, and kept

  answerSubmissions(Reply::json(200, R"({"message":"ok"})"));
  selectTab(1);  // the closed list's answer tells the outbox that the server answers again
  waitForTheOutbox();
  EXPECT_NE(screenText().find("tabs: Activos [Cerrados] Búsqueda\n"), std::string::npos) << screenText();
  EXPECT_EQ(delegate->outbox()->pendingCount(), 0u);
}

TEST_F(ApplicationOutbox, ASignInSendsWhatA422HeldBackWithTheNewToken) {
  keep(5, std::chrono::hours(1));
  setToken(std::nullopt);
  server.setHandler([](const testing::RecordedRequest& request) {
    if (request.target == "/api/v1/sessions") return Reply::json(200, R"({"name":"Ana","auth_token":"nuevo"})");
    if (request.target == "/api/v1/services") {
      return request.header("Authorization") == "Bearer nuevo" ? Reply::json(200, R"({"message":"ok"})")
                                                               : Reply::json(422, R"({"message":"x"})");
    }
    return Reply::json(200, R"({"tickets":[]})");
  });
  launch();
  waitForTheOutbox();
  ASSERT_EQ(requestsTo("/api/v1/services").size(), 1u);  // sent at start, without a token: held
  auto login = visible<LoginViewController>();
  ASSERT_TRUE(login);
  for (auto [outlet, text] : {std::pair{login->emailTF, "tecnico@instala.mx"}, std::pair{login->passwordTF, "Instala2026"}}) {
    auto field = outlet.lock();
    ASSERT_TRUE(tap(*field));
    field->typeText(text);
  }
  ASSERT_TRUE(tap(*login->loginButton.lock()));
  waitForTheOutbox();
  const auto sent = requestsTo("/api/v1/services");
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[1].header("Authorization"), "Bearer nuevo");
  EXPECT_EQ(sent[1].header("Idempotency-Key"), sent[0].header("Idempotency-Key"));
  EXPECT_EQ(delegate->outbox()->pendingCount(), 0u);
}

}  // namespace
}  // namespace instala
