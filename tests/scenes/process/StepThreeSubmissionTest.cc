// The submission against a loopback server that records the raw upload.

#include "scenes/process/StepThreeTableViewController.h"

#include "common/CustomButtonCell.h"
#include "networking/Networking.h"
#include "networking/Session.h"
#include "scenes/ScreenFixture.h"
#include "scenes/process/ProcessElementCell.h"
#include "support/CapturedOutput.h"
#include "support/MainLoop.h"
#include "support/RecordingServer.h"
#include "ui/AlertController.h"
#include "ui/Switch.h"
#include "ui/TabBarController.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <iostream>
#include <mutex>
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
    server = std::make_unique<RecordingServer>([this](const RecordedRequest&) { return nextReply(); });
    // A bundle whose server is the recording one.
    const auto bundle = dir / "bundle";
    std::filesystem::create_directories(bundle);
    std::filesystem::copy_file(platform::Bundle::main().root() / "Endpoints.plist", bundle / "Endpoints.plist");
    dir.write("bundle/Server-config.plist",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict><key>URL</key><string>" +
                  server->url() + "</string></dict></plist>");
    networking = std::make_unique<Networking>(platform::Bundle(bundle));
    api = std::make_shared<ServerAPI>(*networking, session);
    platform::Preferences::standard().setObject("tok-1", "token");
  }
  void TearDown() override {
    release();
    server.reset();
    ScreenFixture::TearDown();
  }

  // Replies in order; the last one repeats. A held reply waits for release().
  Reply nextReply() {
    std::unique_lock lock(mutex);
    Reply reply = replies.size() > 1 ? replies.front() : replies.back();
    if (replies.size() > 1) replies.erase(replies.begin());
    held.wait(lock, [this] { return !holding; });
    return reply;
  }
  void release() {
    std::lock_guard lock(mutex);
    holding = false;
    held.notify_all();
  }

  std::shared_ptr<StepThreeTableViewController> open() {
    Ticket::Fields fields;
    fields.id = 1042;
    return show<StepThreeTableViewController>("StepThreeTableViewController", [&](StepThreeTableViewController& s) {
      s.ticket = Ticket(fields);
      s.serverAPI = api;
    });
  }
  std::shared_ptr<ui::Button> finishButton(StepThreeTableViewController& screen) {
    return row<CustomButtonCell>(*screen.tableView(), 23)->customButton.lock();
  }
  // Pumps until the screen has stopped submitting.
  void waitUntilIdle(StepThreeTableViewController& screen) {
    EXPECT_TRUE(testing::pumpMainLoopUntil(
        [&] { return screen.submissionState() == StepThreeTableViewController::SubmissionState::idle; }));
    settle();
  }
  std::shared_ptr<ui::AlertController> alert() const {
    return std::dynamic_pointer_cast<ui::AlertController>(window->topPresentedViewController());
  }
  void expectFailureAlertAndStay(const std::shared_ptr<StepThreeTableViewController>& screen) {
    auto shown = alert();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->title(), "Error de servidor. Intentar nuevamente.");
    EXPECT_FALSE(shown->message());
    ASSERT_EQ(shown->actions().size(), 1u);
    EXPECT_EQ(shown->actions()[0]->title(), "Aceptar");
    EXPECT_EQ(window->rootViewController(), navigation);
    EXPECT_EQ(topScreen(), screen);
  }

  std::unique_ptr<RecordingServer> server;
  Session session{SessionConfiguration{}};
  std::unique_ptr<Networking> networking;
  std::shared_ptr<ServerAPI> api;
  std::mutex mutex;
  std::condition_variable held;
  std::vector<Reply> replies{Reply::json(200, R"({"message":"ok"})")};
  bool holding = false;
};

TEST_F(Submission, AJsonAnswerWithASuccessStatusGoesHome) {
  auto screen = open();
  testing::CapturedOutput output;
  EXPECT_TRUE(tap(*finishButton(*screen)));
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return window->rootViewController() != navigation; }));
  settle();
  EXPECT_NE(std::dynamic_pointer_cast<ui::TabBarController>(window->rootViewController()), nullptr);
  EXPECT_NE(output.text().find("IN PROGRESS\n"), std::string::npos);
  ASSERT_EQ(server->requests().size(), 1u);
  const auto request = server->requests()[0];
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.target, "/api/v1/services");
  EXPECT_EQ(request.header("Authorization"), "Bearer tok-1");
  EXPECT_EQ(request.header("Content-Type")->rfind("multipart/form-data; boundary=instala.boundary.", 0), 0u);
  auto parts = textPartsOf(request);
  EXPECT_EQ(parts.size(), 51u);
  EXPECT_EQ(parts["ticket_id"], "1042");
}

TEST_F(Submission, TheUploadsProgressIsExposedWhileItRunsAndClearedAfter) {
  auto screen = open();
  EXPECT_FALSE(screen->uploadProgress());
  holding = true;  // the server keeps its answer until released
  EXPECT_TRUE(tap(*finishButton(*screen)));
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] {
    const auto& progress = screen->uploadProgress();
    return progress && progress->totalBytes > 0 && progress->completedBytes == progress->totalBytes;
  }));
  ASSERT_TRUE(server->waitForRequests(1, std::chrono::seconds(20)));
  EXPECT_EQ(screen->uploadProgress()->totalBytes, server->requests()[0].body.size());
  release();
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return window->rootViewController() != navigation; }));
  EXPECT_FALSE(screen->uploadProgress());
}

TEST_F(Submission, AnEmptyTokenSendsBearerAlone) {
  platform::Preferences::standard().removeObjectForKey("token");
  auto screen = open();
  EXPECT_TRUE(tap(*finishButton(*screen)));
  // The upload starts from the main queue, so the loop is pumped while waiting for it.
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

TEST_P(FailedSubmission, ShowsTheAlertKeepsEverythingAndARetrySubmitsOnce) {
  replies = {GetParam().reply, Reply::json(200, R"({"message":"ok"})")};
  auto screen = open();
  EXPECT_TRUE(tap(*row<ProcessElementCell>(*screen->tableView(), 9)->elementSwitch.lock()));
  EXPECT_TRUE(tap(*finishButton(*screen)));
  waitUntilIdle(*screen);
  expectFailureAlertAndStay(screen);
  EXPECT_TRUE(screen->finalData->isOn(7));
  EXPECT_EQ(server->requests().size(), 1u);

  EXPECT_TRUE(alert()->tapAction(0));
  settle();
  EXPECT_EQ(alert(), nullptr);
  EXPECT_TRUE(row<ProcessElementCell>(*screen->tableView(), 9)->elementSwitch.lock()->isOn());
  EXPECT_TRUE(tap(*finishButton(*screen)));
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return window->rootViewController() != navigation; }));
  ASSERT_EQ(server->requests().size(), 2u);
  EXPECT_EQ(textPartsOf(server->requests()[1])["final_car_horn"], "true");
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

TEST_F(Submission, AnUnreachableServerShowsTheAlert) {
  server.reset();  // nothing listens on its port any more
  auto screen = open();
  EXPECT_TRUE(tap(*finishButton(*screen)));
  waitUntilIdle(*screen);
  expectFailureAlertAndStay(screen);
}

TEST_F(Submission, ABodyThatCannotBeBuiltSendsNothingAndShowsTheAlert) {
  platform::Preferences::standard().setObject((dir / "gone.mp4").string(), "video");
  auto screen = open();
  EXPECT_TRUE(tap(*finishButton(*screen)));
  waitUntilIdle(*screen);
  expectFailureAlertAndStay(screen);
  EXPECT_TRUE(server->requests().empty());
}

TEST_F(Submission, TapsWhileASubmissionIsUnderWayAreIgnored) {
  holding = true;
  auto screen = open();
  auto button = finishButton(*screen);
  EXPECT_TRUE(tap(*button));
  EXPECT_TRUE(tap(*button));
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return !server->requests().empty(); }));
  settle();
  EXPECT_TRUE(tap(*button));
  EXPECT_EQ(screen->submissionState(), StepThreeTableViewController::SubmissionState::uploading);
  release();
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return window->rootViewController() != navigation; }));
  EXPECT_FALSE(server->waitForRequests(2, std::chrono::milliseconds(300)));
  EXPECT_EQ(server->requests().size(), 1u);
}

TEST_F(Submission, ASwitchFlippedAfterTheTapIsNotInTheBody) {
  auto screen = open();
  auto item = row<ProcessElementCell>(*screen->tableView(), 2)->elementSwitch.lock();
  EXPECT_TRUE(tap(*finishButton(*screen)));
  EXPECT_TRUE(tap(*item));  // after the tap: the body was already taken
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return window->rootViewController() != navigation; }));
  EXPECT_EQ(textPartsOf(server->requests().at(0))["finall_ignition"], "false");
}

}  // namespace
}  // namespace instala
