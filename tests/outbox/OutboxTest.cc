// The outbox against a loopback server that records the uploads, on a manual
// clock: what a tap writes and sends, the key on every attempt, the re-sends
// (oldest first, one at a time, the back-off, the sign-in a 422 waits for),
// entries that cannot be read, cancelling, and a restart.

#include "outbox/Outbox.h"

#include "networking/Networking.h"
#include "outbox/IdempotencyKey.h"
#include "platform/Bundle.h"
#include "platform/Image.h"
#include "platform/Paths.h"
#include "platform/Preferences.h"
#include "support/CapturedOutput.h"
#include "support/MainLoop.h"
#include "support/RecordingServer.h"
#include "support/ReplyScript.h"
#include "support/ServerBundle.h"
#include "support/StallingServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace instala::outbox {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::RecordedRequest;
using testing::RecordingServer;
using testing::Reply;

const Reply kStored = Reply::json(200, R"({"message":"ok"})");

class OutboxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::Paths::setDataDirectory(dir.path());
    platform::Preferences::standard().open(dir / "Preferences.plist");
    platform::Preferences::standard().setObject("tok-1", "token");
    platform::RunLoop::main().setClock(clock);
    server = std::make_unique<RecordingServer>([this](const RecordedRequest&) { return replies.next(); });
    useServer(server->url());
  }
  void TearDown() override {
    replies.release();
    outbox.reset();
    server.reset();
    testing::drainMainLoop();
    platform::RunLoop::main().setClock(std::make_shared<platform::SystemClock>());
    platform::Paths::setDataDirectory({});
  }

  // A bundle whose server is at `url`, and an outbox sending there that hears of every answer.
  void useServer(const std::string& url) {
    const auto bundle = testing::bundlePointingAt(dir / ("bundle-" + std::to_string(++bundles)), url);
    networking = std::make_unique<Networking>(platform::Bundle(bundle));
    api = std::make_shared<const ServerAPI>(*networking, session);
    makeOutbox();
  }
  void makeOutbox() {
    outbox = std::make_shared<Outbox>(folder, api);
    session.setAnswerObserver([weak = std::weak_ptr<Outbox>(outbox)](int status) {
      if (auto box = weak.lock()) box->serverAnswered(status);
    });
    subscription = outbox->subscribe([this](const OutboxEvent& event) {
      if (event.outcome) outcomes.push_back(event);
    });
  }

  ServiceSubmission service(const std::string& horn = "false", std::int64_t ticket = 1042) {
    ServiceSubmission s;
    s.idempotencyKey = makeIdempotencyKey();
    s.ticketId = ticket;
    s.fields = {{"ticket_id", std::to_string(ticket)}, {"final_car_horn", horn}};
    platform::Bytes pixels(16 * 8 * 3, 120);
    const auto photo = *platform::Image::fromRGB(16, 8, pixels)->encodeJPEG(0.9);
    s.photos[0] = dir.write("Documents/img-1", std::string(photo.begin(), photo.end()));
    return s;
  }
  // An entry left on disk by an earlier run, tapped at that time.
  std::string kept(std::chrono::hours tappedAt, std::int64_t ticket = 7) {
    EntryStore store(folder);
    auto s = service("false", ticket);
    auto staged = store.stage(s);
    EXPECT_TRUE(staged);
    EXPECT_TRUE(store.commit(*staged, platform::TimePoint(tappedAt)));
    return s.idempotencyKey;
  }

  void settle() { EXPECT_TRUE(testing::pumpMainLoopUntil([&] { return !outbox->isBusy(); }, 60s)); }
  void advanceToRetry() {
    ASSERT_TRUE(outbox->nextRetry());
    clock->set(*outbox->nextRetry());
    settle();
  }
  std::vector<std::string> keysSent() const {
    std::vector<std::string> keys;
    for (const auto& request : server->requests()) keys.push_back(request.header("Idempotency-Key").value_or("-"));
    return keys;
  }
  bool onDisk(const std::string& key) const { return fs::exists(folder / key / "entry.plist"); }

  testing::TempDir dir;
  fs::path folder = dir / "Documents" / "Outbox";
  std::shared_ptr<platform::ManualClock> clock =
      std::make_shared<platform::ManualClock>(platform::TimePoint(std::chrono::hours(400'000)));
  std::unique_ptr<RecordingServer> server;
  Session session{SessionConfiguration{}};
  std::unique_ptr<Networking> networking;
  std::shared_ptr<const ServerAPI> api;
  std::shared_ptr<Outbox> outbox;
  Outbox::Subscription subscription;
  std::vector<OutboxEvent> outcomes;
  int bundles = 0;
  testing::ReplyScript replies{{kStored}};
};

TEST_F(OutboxTest, ATapIsOnDiskBeforeAnyByteIsSentAndGoneOnceTheServerHasIt) {
  outbox->start();
  const auto s = service("true");
  bool onDiskWhenSent = false;
  server->setHandler([&](const RecordedRequest&) {
    onDiskWhenSent = onDisk(s.idempotencyKey);
    return kStored;
  });
  ASSERT_TRUE(outbox->submit(s));
  EXPECT_EQ(outbox->pendingCount(), 1u);
  EXPECT_EQ(outbox->status(s.idempotencyKey)->phase, Phase::writing);
  settle();

  EXPECT_TRUE(onDiskWhenSent);
  EXPECT_FALSE(onDisk(s.idempotencyKey));
  EXPECT_EQ(outbox->pendingCount(), 0u);
  EXPECT_FALSE(outbox->nextRetry());
  ASSERT_EQ(outcomes.size(), 1u);
  EXPECT_EQ(outcomes[0].idempotencyKey, s.idempotencyKey);
  EXPECT_EQ(outcomes[0].outcome, Outcome::sent);
  EXPECT_TRUE(outcomes[0].tapped);
  const auto request = server->requests().at(0);
  EXPECT_EQ(request.header("Idempotency-Key"), s.idempotencyKey);
  EXPECT_EQ(request.header("Authorization"), "Bearer tok-1");
  EXPECT_NE(request.body.find("name=\"final_car_horn\"\r\n\r\ntrue\r\n"), std::string::npos);
  EXPECT_NE(request.body.find("name=\"image\"; filename=\"image\"\r\nContent-Type: image/png"), std::string::npos);
  EXPECT_NE(request.body.find("name=\"image2\"\r\n\r\n\r\n"), std::string::npos);
}

TEST_F(OutboxTest, EveryAttemptCarriesTheKeyAndARetapSendsItsFreshSnapshot) {
  outbox->start();
  replies.set({Reply::json(500, "{}"), Reply::json(500, "{}"), kStored});
  auto s = service("false");
  ASSERT_TRUE(outbox->submit(s));
  settle();
  EXPECT_EQ(outbox->status(s.idempotencyKey)->attempts, 1);
  EXPECT_EQ(outbox->status(s.idempotencyKey)->lastError, "status 500");
  s.fields[1].second = "true";  // the technician flips a switch and taps again
  ASSERT_TRUE(outbox->submit(s));
  settle();
  advanceToRetry();  // the automatic re-send

  EXPECT_EQ(keysSent(), std::vector<std::string>(3, s.idempotencyKey));
  const auto requests = server->requests();
  EXPECT_NE(requests[0].body.find("\r\n\r\nfalse\r\n"), std::string::npos);
  EXPECT_NE(requests[1].body.find("\r\n\r\ntrue\r\n"), std::string::npos);
  EXPECT_NE(requests[2].body.find("\r\n\r\ntrue\r\n"), std::string::npos);
  ASSERT_EQ(outcomes.size(), 3u);
  EXPECT_EQ(outcomes[0].outcome, Outcome::failed);
  EXPECT_TRUE(outcomes[0].tapped);
  EXPECT_EQ(outcomes[1].outcome, Outcome::failed);
  EXPECT_TRUE(outcomes[1].tapped);
  EXPECT_EQ(outcomes[2].outcome, Outcome::sent);
  EXPECT_FALSE(outcomes[2].tapped);  // a re-send: no screen raises an alert for it
  EXPECT_EQ(outbox->pendingCount(), 0u);
}

TEST_F(OutboxTest, ReSendsBackOffOneTwoFourEightThenEveryFifteenMinutes) {
  const auto key = kept(1h);
  replies.set({Reply::json(503, "{}")});
  outbox->start();
  settle();
  const std::vector<std::chrono::minutes> delays{1min, 2min, 4min, 8min, 15min, 15min, 15min};
  for (std::size_t i = 0; i < delays.size(); ++i) {
    ASSERT_TRUE(outbox->nextRetry()) << i;
    EXPECT_EQ(*outbox->nextRetry() - clock->now(), delays[i]) << "retry " << i;
    advanceToRetry();
    EXPECT_EQ(server->requests().size(), i + 2) << "retry " << i;
  }
  EXPECT_EQ(outbox->status(key)->attempts, static_cast<std::int64_t>(delays.size() + 1));
  // Success ends the back-off; nothing is left to wait for.
  replies.set({kStored});
  advanceToRetry();
  EXPECT_EQ(outbox->pendingCount(), 0u);
  EXPECT_FALSE(outbox->nextRetry());
}

TEST_F(OutboxTest, ReSendsGoOldestFirstOneAtATime) {
  const auto second = kept(2h, 2);
  const auto third = kept(3h, 3);
  const auto first = kept(1h, 1);
  replies.hold();
  outbox->start();
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return !server->requests().empty(); }));
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return outbox->status(first)->phase == Phase::sending; }));
  EXPECT_EQ(outbox->status(second)->phase, Phase::pending);
  EXPECT_EQ(outbox->status(third)->phase, Phase::pending);
  EXPECT_EQ(server->requests().size(), 1u);
  replies.release();
  settle();
  EXPECT_EQ(keysSent(), (std::vector<std::string>{first, second, third}));
  EXPECT_EQ(outbox->pendingCount(), 0u);
}

TEST_F(OutboxTest, ATapDuringAReSendIsQueuedAndGoesBeforeTheOtherReSends) {
  const auto older = kept(1h);
  const auto newer = kept(2h);
  replies.hold();
  outbox->start();
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return !server->requests().empty(); }));
  const auto tapped = service("true");
  ASSERT_TRUE(outbox->submit(tapped));
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return outbox->status(tapped.idempotencyKey)->phase == Phase::queued; }));
  EXPECT_FALSE(outbox->submit(tapped));  // already under way: ignored
  replies.release();
  settle();
  EXPECT_EQ(keysSent(), (std::vector<std::string>{older, tapped.idempotencyKey, newer}));
  ASSERT_EQ(outcomes.size(), 3u);
  EXPECT_EQ(outcomes[1].idempotencyKey, tapped.idempotencyKey);
  EXPECT_TRUE(outcomes[1].tapped);
}

TEST_F(OutboxTest, A422WaitsForTheNextSignInAndGoesWithTheNewToken) {
  server->setHandler([](const RecordedRequest& request) {
    return request.header("Authorization") == "Bearer tok-2" ? kStored : Reply::json(422, R"({"message":"x"})");
  });
  outbox->start();
  const auto s = service();
  ASSERT_TRUE(outbox->submit(s));
  settle();
  ASSERT_EQ(outcomes.size(), 1u);
  EXPECT_EQ(outcomes[0].outcome, Outcome::failed);
  // Neither the timer nor other answers send it again.
  EXPECT_FALSE(outbox->nextRetry());
  outbox->serverAnswered(200);
  clock->advance(1h);
  settle();
  EXPECT_EQ(server->requests().size(), 1u);

  platform::Preferences::standard().setObject("tok-2", "token");
  outbox->didSignIn();
  settle();
  ASSERT_EQ(server->requests().size(), 2u);
  EXPECT_EQ(server->requests()[1].header("Authorization"), "Bearer tok-2");
  EXPECT_EQ(server->requests()[1].header("Idempotency-Key"), s.idempotencyKey);
  EXPECT_EQ(outbox->pendingCount(), 0u);
}

TEST_F(OutboxTest, WithoutAnAnswerTheRoundStopsAndAServerErrorGoesOnToTheNext) {
  const auto first = kept(1h);
  const auto second = kept(2h);
  // Nothing listens any more: the first attempt fails without an answer.
  server.reset();
  outbox->start();
  settle();
  EXPECT_EQ(outbox->status(first)->attempts, 1);
  EXPECT_EQ(outbox->status(second)->attempts, 0);
  EXPECT_TRUE(outbox->nextRetry());

  server = std::make_unique<RecordingServer>([&](const RecordedRequest& request) {
    return request.header("Idempotency-Key") == first ? Reply::json(500, "{}") : kStored;
  });
  useServer(server->url());
  outbox->start();
  settle();
  EXPECT_EQ(keysSent(), (std::vector<std::string>{first, second}));
  EXPECT_EQ(outbox->entries().size(), 1u);
  EXPECT_EQ(outbox->entries()[0].idempotencyKey, first);
}

TEST_F(OutboxTest, AnEntryThatCannotBeReadIsReportedOnceStaysAndIsTriedAgain) {
  const auto damaged = kept(1h, 11);
  const auto fine = kept(2h, 12);
  fs::remove(folder / damaged / "image");
  testing::CapturedOutput errors(std::cerr);
  outbox->start();
  settle();
  advanceToRetry();
  EXPECT_EQ(keysSent(), std::vector<std::string>{fine});
  ASSERT_TRUE(outbox->status(damaged));
  EXPECT_EQ(outbox->status(damaged)->attempts, 2);
  EXPECT_TRUE(onDisk(damaged));
  // One line, naming the ticket and the key.
  const std::string report = errors.text();
  const std::string line = "the service of ticket 11 (" + damaged + ") cannot be read";
  const auto first = report.find(line);
  ASSERT_NE(first, std::string::npos) << report;
  EXPECT_EQ(report.find("cannot be read", first + line.size()), std::string::npos) << report;
}

TEST_F(OutboxTest, ItsOwnAnswerDoesNotStartAnotherRoundButAnyOtherSuccessDoes) {
  replies.set({Reply{200, {{"Content-Type", "text/html"}}, "<html>ok</html>"}});
  kept(1h);
  outbox->start();
  settle();
  EXPECT_EQ(server->requests().size(), 1u);
  EXPECT_TRUE(outbox->nextRetry());
  outbox->serverAnswered(404);
  settle();
  EXPECT_EQ(server->requests().size(), 1u);
  outbox->serverAnswered(204);  // e.g. the ticket list loaded: the server answers again
  settle();
  EXPECT_EQ(server->requests().size(), 2u);
}

TEST_F(OutboxTest, CancelStopsTheUploadOnTheWireAndKeepsTheEntry) {
  testing::StallingServer stalling(64 * 1024);
  useServer(stalling.url(""));
  outbox->start();
  auto s = service();
  s.video = dir.write("camera/long.mp4", std::string(16 * 1024 * 1024, 'v'));
  ASSERT_TRUE(outbox->submit(s));
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] {
    auto status = outbox->status(s.idempotencyKey);
    return stalling.stalled() && status && status->progress && status->progress->completedBytes > 0;
  }, 60s));
  outbox->cancel(s.idempotencyKey);
  settle();
  stalling.goOn();
  auto seen = stalling.result();
  ASSERT_TRUE(seen);
  EXPECT_TRUE(seen->closedByClient);
  EXPECT_LT(seen->bodyBytes, seen->declaredLength);

  ASSERT_EQ(outcomes.size(), 1u);
  EXPECT_EQ(outcomes[0].outcome, Outcome::cancelled);
  auto status = outbox->status(s.idempotencyKey);
  ASSERT_TRUE(status);
  EXPECT_EQ(status->phase, Phase::pending);
  EXPECT_EQ(status->attempts, 1);
  EXPECT_EQ(status->lastError, "cancelled");
  EXPECT_TRUE(onDisk(s.idempotencyKey));
}

TEST_F(OutboxTest, CancellingAQueuedTapSendsNothingForIt) {
  const auto older = kept(1h);
  replies.hold();
  outbox->start();
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return !server->requests().empty(); }));
  const auto tapped = service();
  ASSERT_TRUE(outbox->submit(tapped));
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return outbox->status(tapped.idempotencyKey)->phase == Phase::queued; }));
  outbox->cancel(tapped.idempotencyKey);
  EXPECT_EQ(outbox->status(tapped.idempotencyKey)->phase, Phase::pending);
  replies.release();
  settle();
  EXPECT_EQ(keysSent(), std::vector<std::string>{older});
  EXPECT_EQ(outbox->status(tapped.idempotencyKey)->attempts, 0);
  ASSERT_FALSE(outcomes.empty());
  EXPECT_EQ(outcomes[0].outcome, Outcome::cancelled);
  EXPECT_TRUE(outbox->nextRetry());
}

TEST_F(OutboxTest, AnotherRunSendsWhatTheFirstKept) {
  replies.set({Reply::json(500, "{}"), kStored});
  outbox->start();
  const auto s = service();
  ASSERT_TRUE(outbox->submit(s));
  settle();
  ASSERT_TRUE(onDisk(s.idempotencyKey));
  makeOutbox();  // the application starts again
  EXPECT_EQ(outbox->pendingCount(), 0u);
  outbox->start();
  EXPECT_EQ(outbox->pendingCount(), 1u);
  EXPECT_EQ(outbox->status(s.idempotencyKey)->attempts, 1);
  settle();
  EXPECT_EQ(keysSent(), std::vector<std::string>(2, s.idempotencyKey));
  EXPECT_EQ(outbox->pendingCount(), 0u);
  EXPECT_FALSE(onDisk(s.idempotencyKey));
}

}  // namespace
}  // namespace instala::outbox
