// Cancelling an upload on the wire: the server stops reading mid-body, the
// upload is cancelled, and the server then sees the connection close with
// fewer bytes than the body holds.

#include "networking/RequestLayer.h"
#include "networking/UploadRequest.h"

#include "support/MainLoop.h"
#include "support/RecordingServer.h"
#include "support/StallingServer.h"

#include <gtest/gtest.h>

namespace instala {
namespace {

using namespace std::chrono_literals;

constexpr std::size_t kBodyBytes = 16 * 1024 * 1024;  // far more than the socket buffers hold

struct CancelledUpload {
  int calls = 0;
  std::optional<RequestError> error;
};

std::shared_ptr<UploadRequest> startUpload(Session& session, const std::string& url) {
  std::optional<MultipartFormDataEncodingResult> result;
  uploadMultipart(
      session, [](MultipartFormData& form) { form.addDataPart(std::string(kBodyBytes, 'v'), "video"); },
      100'000'000, url, HTTPMethod::POST, std::nullopt,
      [&](const MultipartFormDataEncodingResult& r) { result = r; });
  EXPECT_TRUE(testing::pumpMainLoopUntil([&] { return result.has_value(); }, 60s));
  return result ? result->request : nullptr;
}

TEST(UploadCancel, StopsTheBodyAtOnceClosesTheConnectionAndAnswersCancelled) {
  testing::StallingServer server(64 * 1024);
  Session session{SessionConfiguration{}};
  auto upload = startUpload(session, server.url("/upload"));
  ASSERT_NE(upload, nullptr);
  std::uint64_t sent = 0;
  int reportsAfterCancel = 0;
  bool cancelled = false;
  upload->uploadProgress([&](const UploadProgress& progress) {
    sent = progress.completedBytes;
    reportsAfterCancel += cancelled;
  });
  CancelledUpload answer;
  upload->responseJSON([&](std::optional<RequestError> error, std::optional<Json>, std::optional<int>) {
    ++answer.calls;
    answer.error = error;
  });
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return server.stalled() && sent > 0; }, 60s));

  upload->cancel();
  cancelled = true;
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return answer.calls > 0; }, 60s));
  testing::drainMainLoop();
  EXPECT_EQ(answer.calls, 1);
  ASSERT_TRUE(answer.error);
  EXPECT_EQ(answer.error->kind, RequestError::Kind::cancelled);
  EXPECT_EQ(reportsAfterCancel, 0);
  EXPECT_FALSE(session.hasWorkInFlight());

  server.goOn();
  auto seen = server.result();
  ASSERT_TRUE(seen);
  EXPECT_TRUE(seen->closedByClient);
  EXPECT_GT(seen->declaredLength, kBodyBytes);
  EXPECT_LT(seen->bodyBytes, seen->declaredLength);
  // A second cancel, after the end, changes nothing.
  upload->cancel();
  testing::drainMainLoop();
  EXPECT_EQ(answer.calls, 1);
}

TEST(UploadCancel, AfterTheAnswerArrivedKeepsTheAnswer) {
  testing::RecordingServer server([](const testing::RecordedRequest&) { return testing::Reply::json(200, "{}"); });
  Session session{SessionConfiguration{}};
  std::optional<MultipartFormDataEncodingResult> result;
  uploadMultipart(
      session, [](MultipartFormData& form) { form.addDataPart(std::string("1"), "ticket_id"); }, 100'000'000,
      server.url("/upload"), HTTPMethod::POST, std::nullopt,
      [&](const MultipartFormDataEncodingResult& r) { result = r; });
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return result && result->request->isFinished(); }, 60s));
  result->request->cancel();
  CancelledUpload answer;
  result->request->responseJSON([&](std::optional<RequestError> error, std::optional<Json>, std::optional<int>) {
    ++answer.calls;
    answer.error = error;
  });
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return answer.calls > 0; }, 60s));
  EXPECT_FALSE(answer.error);
}

}  // namespace
}  // namespace instala
