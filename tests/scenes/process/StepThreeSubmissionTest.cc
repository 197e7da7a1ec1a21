// The submission through the outbox against a loopback server that records
// the raw upload: what the screen shows and where it leads for each outcome,
// cancelling, and leaving during the upload.

#include "scenes/process/StepThreeTableViewController.h"

#include "common/CustomButtonCell.h"
#include "networking/Networking.h"
#include "networking/Session.h"
#include "outbox/Outbox.h"
#include "scenes/process/ServiceKey.h"
#include "scenes/ScreenFixture.h"
#include "scenes/process/ProcessElementCell.h"
#include "support/CapturedOutput.h"
#include "support/MainLoop.h"
#include "support/RecordingServer.h"
#include "support/ReplyScript.h"
#include "support/ServerBundle.h"
#include "ui/AlertController.h"
#include "ui/Switch.h"
#include "ui/TabBarController.h"

#include <gtest/gtest.h>

#include <iostream>
#include <regex>
#include <sstream>

namespace instala {
namespace {

using testing::RecordedRequest;
using testing::RecordingServer;
using testing::Reply;

// The text parts of a recorded multipart body, by name.
std::map<std::string, std::string> textPartsOf(const RecordedRequest& request) {
  std::map<std::string, std::string> parts;
  std::smatch match;
  const std::string contentType = request.header("Content-Type").value_or("");
  if (!std::regex_search(contentType, match, std::regex("boundary=(.+)$"))) return parts;
  const std::string delimiter = "--" + match[1].str();
  const std::string& body = request.body;
  std::size_t at = body.find(delimiter);
  while (at != std::string::npos) {
    const std::size_t headStart = at + delimiter.size() + 2;
    const std::size_t headEnd = body.find("\r\n\r\n", headStart);
    const std::size_t next = body.find("\r\n" + delimiter, headEnd);
    if (headEnd == std::string::npos || next == std::string::npos) break;
    const std::string head = body.substr(headStart, headEnd - headStart);
    std::smatch name;
    if (std::regex_search(head, name, std::regex("name=\"([^\"]*)\"")) && head.find("filename=") == std::string::npos) {
      parts[name[1].str()] = body.substr(headEnd + 4, next - headEnd - 4);
    }
    at = next + 2;
  }
  return parts;
}

class Submission : public testing::ScreenFixture {
 protected:
  void SetUp() override {
    ScreenFixture::SetUp();
    server = std::make_unique<RecordingServer>([this](const RecordedRequest&) { return replies.next(); });
    networking = std::make_unique<Networking>(platform::Bundle(testing::bundlePointingAt(dir / "bundle", server->url())));
    api = std::make_shared<ServerAPI>(*networking, session);
    outbox = std::make_shared<outbox::Outbox>(platform::Paths::documentsDirectory() / "Outbox", api);
    outbox->start();
    platform::Preferences::standard().setObject("tok-1", "token");
  }
  void TearDown() override {
    replies.release();
    EXPECT_TRUE(testing::pumpMainLoopUntil([&] { return !outbox->isBusy(); }));
    outbox.reset();
    server.reset();
    ScreenFixture::TearDown();
  }

  std::shared_ptr<StepThreeTableViewController> makeScreen() {
    auto screen = std::dynamic_pointer_cast<StepThreeTableViewController>(
        storyboard->instantiateViewController("StepThreeTableViewController"));
    Ticket::Fields fields;
    fields.id = 1042;
    screen->ticket = Ticket(fields);
    screen->outbox = outbox;
    return screen;
  }
  std::shared_ptr<StepThreeTableViewController> open() {
    Ticket::Fields fields;
    fields.id = 1042;
    return show<StepThreeTableViewController>("StepThreeTableViewController", [&](StepThreeTableViewController& s) {
      s.ticket = Ticket(fields);
      s.outbox = outbox;
    });
  }
  // Step three pushed over step two, so that the technician can go back.
  std::shared_ptr<StepThreeTableViewController> push() {
    auto below = storyboard->instantiateViewController("StepTwoTableViewController");
    navigation = std::make_shared<ui::NavigationController>(below);
    window->setRootViewController(navigation);
    window->makeKeyAndVisible();
    auto screen = makeScreen();
    navigation->pushViewController(screen, false);
    settle();
    return screen;
  }
  std::shared_ptr<ui::Button> finishButton(StepThreeTableViewController& screen) {
    return row<CustomButtonCell>(*screen.tableView(), 23)->customButton.lock();
  }
  std::shared_ptr<ui::Button> cancelButton(StepThreeTableViewController& screen) {
    auto cell = row<CustomButtonCell>(*screen.tableView(), 23);
    auto* tagged = cell->viewWithTag(StepThreeTableViewController::kCancelButtonTag);
    auto* button = dynamic_cast<ui::Button*>(tagged);
    return button ? button->sharedAs<ui::Button>() : nullptr;
  }
  // Pumps until the screen has stopped submitting.
  void waitUntilIdle(StepThreeTableViewController& screen) {
    EXPECT_TRUE(testing::pumpMainLoopUntil(
        [&] { return screen.submissionState() == StepThreeTableViewController::SubmissionState::idle; }));
    settle();
  }
  bool wentHome() const { return std::dynamic_pointer_cast<ui::TabBarController>(window->rootViewController()) != nullptr; }
  std::shared_ptr<ui::AlertController> alert() const {
    return std::dynamic_pointer_cast<ui::AlertController>(window->topPresentedViewController());
  }
  // The failure alert: "Aceptar", and "Enviar más tarde" when the outbox kept the service.
  void expectFailureAlertAndStay(const std::shared_ptr<StepThreeTableViewController>& screen, bool kept = true) {
    auto shown = alert();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->title(), "Error de servidor. Intentar nuevamente.");
    EXPECT_FALSE(shown->message());
    std::vector<std::string> titles;
    for (const auto& action : shown->actions()) titles.push_back(action->title());
    const std::vector<std::string> expected =
        kept ? std::vector<std::string>{"Aceptar", "Enviar más tarde"} : std::vector<std::string>{"Aceptar"};
    EXPECT_EQ(titles, expected);
    EXPECT_EQ(shown->preferredAction(), shown->actions().at(0));
    EXPECT_EQ(window->rootViewController(), navigation);
    EXPECT_EQ(topScreen(), screen);
    EXPECT_EQ(outbox->pendingCount(), kept ? 1u : 0u);
  }
  std::vector<RecordedRequest> submissions() const {
    std::vector<RecordedRequest> posts;
    for (const auto& request : server->requests()) {
      if (request.method == "POST") posts.push_back(request);
    }
    return posts;
  }

  std::unique_ptr<RecordingServer> server;
  Session session{SessionConfiguration{}};
  std::unique_ptr<Networking> networking;
  std::shared_ptr<ServerAPI> api;
  std::shared_ptr<outbox::Outbox> outbox;
  testing::ReplyScript replies{{Reply::json(200, R"({"message":"ok"})")}};
};

TEST_F(Submission, AJsonAnswerWithASuccessStatusGoesHomeAndEmptiesTheOutbox) {
  auto screen = open();
  testing::CapturedOutput output;
  EXPECT_TRUE(tap(*finishButton(*screen)));
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return window->rootViewController() != navigation; }));
  settle();
  EXPECT_TRUE(wentHome());
  EXPECT_NE(output.text().find("IN PROGRESS\n"), std::string::npos);
  ASSERT_EQ(server->requests().size(), 1u);
  const auto request = server->requests()[0];
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.target, "/api/v1/services");
  EXPECT_EQ(request.header("Authorization"), "Bearer tok-1");
  EXPECT_EQ(request.header("Content-Type")->rfind("multipart/form-data; boundary=instala.boundary.", 0), 0u);
  // A process begun before keys existed gets its key at the tap, and keeps it.
  ASSERT_TRUE(storedServiceKey());
  EXPECT_EQ(request.header("Idempotency-Key"), *storedServiceKey());
  auto parts = textPartsOf(request);
  EXPECT_EQ(parts.size(), 51u);
  EXPECT_EQ(parts["ticket_id"], "1042");
  EXPECT_EQ(outbox->pendingCount(), 0u);
}

TEST_F(Submission, TheProgressAndCancelarShowWhileItRunsAndGoAfter) {
  auto screen = open();
  EXPECT_FALSE(screen->uploadProgress());
  EXPECT_TRUE(cancelButton(*screen)->isHidden());
  replies.hold();  // the server keeps its answer until released
  EXPECT_TRUE(tap(*finishButton(*screen)));
  EXPECT_FALSE(cancelButton(*screen)->isHidden());
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] {
    const auto progress = screen->uploadProgress();
    return progress && progress->totalBytes > 0 && progress->completedBytes == progress->totalBytes;
  }));
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return !server->requests().empty(); }));
  EXPECT_EQ(screen->uploadProgress()->totalBytes, server->requests()[0].body.size());
  EXPECT_EQ(screen->submissionState(), StepThreeTableViewController::SubmissionState::uploading);
  settle();
  EXPECT_NE(printed().find("button \"Cancelar\""), std::string::npos) << printed();
  replies.release();
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return window->rootViewController() != navigation; }));
  EXPECT_FALSE(screen->uploadProgress());
}

TEST_F(Submission, AnEmptyTokenSendsBearerAlone) {
  platform::Preferences::standard().removeObjectForKey("token");
  auto screen = open();
  EXPECT_TRUE(tap(*finishButton(*screen)));
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return !server->requests().empty(); }));
  EXPECT_EQ(server->requests()[0].header("Authorization"), "Bearer ");
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return window->rootViewController() != navigation; }));
}

struct FailureCase {
  const char* name;
  Reply reply;
};
void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class FailedSubmission : public Submission, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailedSubmission, ShowsTheAlertKeepsEverythingAndARetapSendsTheSameServiceOnce) {
  replies.set({GetParam().reply, Reply::json(200, R"({"message":"ok"})")});
  auto screen = open();
  EXPECT_TRUE(tap(*row<ProcessElementCell>(*screen->tableView(), 9)->elementSwitch.lock()));
  EXPECT_TRUE(tap(*finishButton(*screen)));
  waitUntilIdle(*screen);
  expectFailureAlertAndStay(screen);
  EXPECT_TRUE(screen->finalData->isOn(7));
  EXPECT_EQ(server->requests().size(), 1u);

  EXPECT_TRUE(alert()->tapAction(0));  // "Aceptar"
  settle();
  EXPECT_EQ(alert(), nullptr);
  EXPECT_TRUE(row<ProcessElementCell>(*screen->tableView(), 9)->elementSwitch.lock()->isOn());
  EXPECT_TRUE(tap(*row<ProcessElementCell>(*screen->tableView(), 2)->elementSwitch.lock()));
  EXPECT_TRUE(tap(*finishButton(*screen)));
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return window->rootViewController() != navigation; }));
  ASSERT_EQ(server->requests().size(), 2u);
  const auto first = server->requests()[0];
  const auto retap = server->requests()[1];
  EXPECT_EQ(textPartsOf(retap)["final_car_horn"], "true");
  EXPECT_EQ(textPartsOf(retap)["finall_ignition"], "true");  // the fresh snapshot
  EXPECT_EQ(retap.header("Idempotency-Key"), first.header("Idempotency-Key"));
  EXPECT_EQ(outbox->pendingCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    StepThree, FailedSubmission,
    ::testing::Values(FailureCase{"ServerErrorWithJson", Reply::json(500, R"({"message":"Falla"})")},
                      FailureCase{"UnprocessableWithJson", Reply::json(422, R"({"error":"x"})")},
                      FailureCase{"FoundWithJson", Reply{302, {{"Content-Type", "application/json"}, {"Location", "/"}},
                                                         R"({"message":"ok"})"}},
                      FailureCase{"TemporaryRedirectWithJson",
                                  Reply{307, {{"Content-Type", "application/json"}, {"Location", "/api/v1/services"}},
                                        R"({"message":"ok"})"}},
                      FailureCase{"SuccessWithHtml", Reply{200, {{"Content-Type", "text/html"}}, "<html>ok</html>"}},
                      FailureCase{"SuccessWithEmptyBody", Reply{200, {}, ""}},
                      FailureCase{"DroppedConnection", Reply::dropConnection()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Submission, EnviarMasTardeGoesHomeAndTheOutboxKeepsTheService) {
  replies.set({Reply::json(500, "{}")});
  auto screen = open();
  EXPECT_TRUE(tap(*finishButton(*screen)));
  waitUntilIdle(*screen);
  expectFailureAlertAndStay(screen);
  EXPECT_TRUE(alert()->tapAction(1));  // "Enviar más tarde"
  settle();
  EXPECT_TRUE(wentHome());
  ASSERT_EQ(outbox->entries().size(), 1u);
  EXPECT_EQ(outbox->entries()[0].idempotencyKey, *storedServiceKey());
  EXPECT_EQ(outbox->entries()[0].ticketId, 1042);
  EXPECT_TRUE(outbox->nextRetry());
}

TEST_F(Submission, AnUnreachableServerShowsTheAlert) {
  server.reset();  // nothing listens on its port any more
  auto screen = open();
  EXPECT_TRUE(tap(*finishButton(*screen)));
  waitUntilIdle(*screen);
  expectFailureAlertAndStay(screen);
}

TEST_F(Submission, AVideoThatCannotBeKeptSendsNothingAndOffersNoLater) {
  platform::Preferences::standard().setObject((dir / "gone.mp4").string(), "video");
  auto screen = open();
  EXPECT_TRUE(tap(*finishButton(*screen)));
  waitUntilIdle(*screen);
  expectFailureAlertAndStay(screen, /*kept=*/false);
  EXPECT_TRUE(server->requests().empty());
}

TEST_F(Submission, TapsWhileASubmissionIsUnderWayAreIgnored) {
  replies.hold();
  auto screen = open();
  auto button = finishButton(*screen);
  EXPECT_TRUE(tap(*button));
  EXPECT_TRUE(tap(*button));
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return !server->requests().empty(); }));
  settle();
  EXPECT_TRUE(tap(*button));
  EXPECT_NE(screen->submissionState(), StepThreeTableViewController::SubmissionState::idle);
  replies.release();
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return window->rootViewController() != navigation; }));
  EXPECT_FALSE(server->waitForRequests(2, std::chrono::milliseconds(300)));
  EXPECT_EQ(server->requests().size(), 1u);
}

TEST_F(Submission, ASwitchFlippedAfterTheTapIsNotInTheBody) {
  auto screen = open();
  auto item = row<ProcessElementCell>(*screen->tableView(), 2)->elementSwitch.lock();
  EXPECT_TRUE(tap(*finishButton(*screen)));
  EXPECT_TRUE(tap(*item));  // after the tap: the snapshot was already taken
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return window->rootViewController() != navigation; }));
  EXPECT_EQ(textPartsOf(server->requests().at(0))["finall_ignition"], "false");
}

TEST_F(Submission, CancelarStopsTheUploadWithoutAnAlertAndFinalizarWorksAgain) {
  replies.hold();
  auto screen = open();
  EXPECT_TRUE(tap(*finishButton(*screen)));
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return !server->requests().empty(); }));
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return screen->uploadProgress().has_value(); }));
  settle();
  EXPECT_TRUE(tap(*cancelButton(*screen)));
  waitUntilIdle(*screen);
  EXPECT_EQ(alert(), nullptr);
  EXPECT_EQ(topScreen(), screen);
  EXPECT_TRUE(cancelButton(*screen)->isHidden());
  ASSERT_EQ(outbox->entries().size(), 1u);
  EXPECT_EQ(outbox->entries()[0].lastError, "cancelled");

  replies.release();
  EXPECT_TRUE(tap(*finishButton(*screen)));
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return window->rootViewController() != navigation; }));
  ASSERT_EQ(server->requests().size(), 2u);
  EXPECT_EQ(server->requests()[1].header("Idempotency-Key"), server->requests()[0].header("Idempotency-Key"));
}

TEST_F(Submission, LeavingDuringTheUploadLosesNothingAndLeadsNowhere) {
  replies.hold();
  auto screen = push();
  EXPECT_TRUE(tap(*finishButton(*screen)));
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return !server->requests().empty(); }));
  navigation->popViewController(false);
  settle();
  replies.release();
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return outbox->pendingCount() == 0; }));
  settle();
  EXPECT_FALSE(wentHome());
  EXPECT_EQ(window->rootViewController(), navigation);
  EXPECT_EQ(alert(), nullptr);
  EXPECT_EQ(server->requests().size(), 1u);
}

TEST_F(Submission, ASuccessArrivingAfterLeavingTakesTheServicesStepThreeHome) {
  replies.hold();
  auto first = push();
  EXPECT_TRUE(tap(*finishButton(*first)));
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return !server->requests().empty(); }));
  navigation->popViewController(false);
  settle();
  // Back on step three of the same service: it shows the upload under way and ignores "Finalizar".
  auto again = makeScreen();
  navigation->pushViewController(again, false);
  settle();
  EXPECT_NE(again->submissionState(), StepThreeTableViewController::SubmissionState::idle);
  EXPECT_FALSE(cancelButton(*again)->isHidden());
  EXPECT_TRUE(tap(*finishButton(*again)));
  replies.release();
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return window->rootViewController() != navigation; }));
  EXPECT_TRUE(wentHome());
  EXPECT_EQ(server->requests().size(), 1u);
}

TEST_F(Submission, AReSendsFailureRaisesNoAlert) {
  replies.set({Reply::json(500, "{}"), Reply::json(500, "{}")});
  auto screen = open();
  EXPECT_TRUE(tap(*finishButton(*screen)));
  waitUntilIdle(*screen);
  EXPECT_TRUE(alert()->tapAction(0));
  settle();
  // The back-off timer sends it again while the technician stays on step three.
  clock->set(*outbox->nextRetry());
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return server->requests().size() == 2 && !outbox->isBusy(); }));
  settle();
  EXPECT_EQ(alert(), nullptr);
  EXPECT_EQ(topScreen(), screen);
  EXPECT_EQ(outbox->entries().at(0).attempts, 2);
}

}  // namespace
}  // namespace instala
