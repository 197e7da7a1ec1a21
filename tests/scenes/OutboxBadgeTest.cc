// The application's outbox as the technician sees it from the lists: the
// "Activos" tab's badge counts the services still kept, and any answer of the
// server to another request sends them again.

#include "outbox/EntryStore.h"
#include "outbox/IdempotencyKey.h"
#include "platform/Paths.h"

#include "ScreenTest.h"

#include <gtest/gtest.h>

namespace instala {
namespace {

using testing::Reply;

class OutboxBadge : public testing::ScreenTest {
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
  void waitForTheOutbox() {
    auto box = delegate->outbox();
    ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return !box->isBusy(); }));
    waitUntilIdle();
  }
  void answerSubmissions(Reply reply) {
    answer({{"/api/v1/tickets/active", Reply::json(200, R"({"tickets":[]})")},
            {"/api/v1/tickets/closed", Reply::json(200, R"({"tickets":[]})")},
            {"/api/v1/services", std::move(reply)}});
  }
};

TEST_F(OutboxBadge, CountsTheKeptServicesUntilAnAnswerOfTheServerSendsThem) {
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

}  // namespace
}  // namespace instala
