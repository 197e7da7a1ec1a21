#include "networking/RequestLayer.h"

#include "networking/UploadRequest.h"
#include "support/Boundary.h"
#include "support/MainLoop.h"
#include "support/RecordingServer.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>

#include <fstream>
#include <future>
#include <thread>

namespace instala {
namespace {

using namespace std::chrono_literals;
using testing::RecordedRequest;
using testing::RecordingServer;
using testing::Reply;
using testing::TempDir;

constexpr std::uint64_t kThreshold = 10'000'000;

struct Answer {
  int calls = 0;
  std::optional<RequestError> error;
  std::optional<Json> value;
  std::optional<int> status;
};

class Upload : public ::testing::Test {
 protected:
  // Starts an upload and waits for the encoding result.
  MultipartFormDataEncodingResult start(FormBuilder builder, const std::string& url,
                                        const std::optional<HTTPHeaders>& headers = std::nullopt) {
    std::optional<MultipartFormDataEncodingResult> result;
    int calls = 0;
    bool onMainThread = false;
    const auto mainThread = std::this_thread::get_id();
    uploadMultipart(session, std::move(builder), kThreshold, url, HTTPMethod::POST, headers,
                    [&](const MultipartFormDataEncodingResult& r) {
                      ++calls;
                      onMainThread = std::this_thread::get_id() == mainThread;
                      result = r;
                    });
    EXPECT_TRUE(testing::pumpMainLoopUntil([&] { return result.has_value(); }, 60s));
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(onMainThread);
    return result.value_or(MultipartFormDataEncodingResult{});
  }

  // Attaches a JSON handler and waits for the answer.
  Answer answerOf(const MultipartFormDataEncodingResult& result) {
    Answer answer;
    if (!result.isSuccess()) {
      ADD_FAILURE() << "no upload: " << (result.error ? result.error->message : "");
      return answer;
    }
    result.request->responseJSON([&](std::optional<RequestError> e, std::optional<Json> v, std::optional<int> s) {
      ++answer.calls;
      answer.error = std::move(e);
      answer.value = std::move(v);
      answer.status = s;
    });
    EXPECT_TRUE(testing::pumpMainLoopUntil([&] { return answer.calls > 0; }, 60s));
    testing::drainMainLoop();
    EXPECT_EQ(answer.calls, 1);
    EXPECT_NE(answer.error.has_value(), answer.value.has_value());
    return answer;
  }

  RecordingServer server;
  Session session{SessionConfiguration{}};
};

std::string boundaryOf(const RecordedRequest& request) {
  constexpr std::string_view prefix = "multipart/form-data; boundary=";
  const std::string contentType = request.header("Content-Type").value_or("");
  if (contentType.rfind(prefix, 0) != 0 || !testing::isFormBoundary(std::string_view(contentType).substr(prefix.size()))) {
    ADD_FAILURE() << "Content-Type " << contentType;
    return "";
  }
  return contentType.substr(prefix.size());
}

TEST_F(Upload, ThreePartFormOnTheWireByteForByte) {
  TempDir folder;
  const std::string videoBytes(
      "\x00\x00\x00\x20"
      "ftypisom\r\n--not-a-boundary",
      30);
  const auto video = folder.write("clip.mp4", videoBytes);
  auto result = start(
      [video](MultipartFormData& form) {
        form.addDataPart(std::string("1234"), "ticket_id");
        form.addFilePart(std::string("\xff\xd8\xff\xdb", 4), "image", "image", "image/png");
        form.addFileURLPart(video, "video");
      },
      server.url("/process"), HTTPHeaders{{"Content-Type", "application/json"}, {"Authorization", "Bearer tok"}});
  const Answer answer = answerOf(result);
  EXPECT_EQ(answer.status, 200);
  EXPECT_FALSE(result.streamingFromDisk);

  const auto request = server.requests().at(0);
  const std::string b = boundaryOf(request);
  const std::string expected = "--" + b + "\r\n" + "Content-Disposition: form-data; name=\"ticket_id\"\r\n\r\n1234" +
                               "\r\n--" + b + "\r\n" +
                               "Content-Disposition: form-data; name=\"image\"; filename=\"image\"\r\n"
                               "Content-Type: image/png\r\n\r\n" +
                               std::string("\xff\xd8\xff\xdb", 4) + "\r\n--" + b + "\r\n" +
                               "Content-Disposition: form-data; name=\"video\"; filename=\"clip.mp4\"\r\n"
                               "Content-Type: video/mp4\r\n\r\n" +
                               videoBytes + "\r\n--" + b + "--\r\n";
  EXPECT_EQ(request.body, expected);
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.target, "/process");
  EXPECT_EQ(request.headerCount("Content-Type"), 1u);
  EXPECT_EQ(request.header("Content-Length"), std::to_string(expected.size()));
  EXPECT_EQ(request.header("Authorization"), "Bearer tok");
  EXPECT_FALSE(request.header("Expect"));
  EXPECT_FALSE(request.header("Transfer-Encoding"));
}

TEST_F(Upload, EmptyFormSendsAnEmptyBody) {
  auto result = start([](MultipartFormData&) {}, server.url("/process"));
  answerOf(result);
  const auto request = server.requests().at(0);
  EXPECT_EQ(request.header("Content-Length"), "0");
  EXPECT_EQ(request.bodyLength, 0u);
}

// A one-byte text part and the file part.
FormBuilder ticketAndVideo(const std::filesystem::path& file) {
  return [file](MultipartFormData& form) {
    form.addDataPart(std::string("7"), "ticket_id");
    form.addFileURLPart(file, "video");
  };
}

struct ThresholdCase {
  std::string name;
  std::uint64_t total;
  bool streamed;
};

void PrintTo(const ThresholdCase& c, std::ostream* os) { *os << c.name; }

// Holds a server's answer back until the test lets it go. A failed assertion
// must not leave the server's handler waiting for ever.
struct Gate {
  std::promise<void> promise;
  std::shared_future<void> opened = promise.get_future().share();
  bool open = false;
  void release() {
    if (!open) promise.set_value();
    open = true;
  }
  ~Gate() { release(); }
};

class UploadThreshold : public Upload, public ::testing::WithParamInterface<ThresholdCase> {};

TEST_P(UploadThreshold, DecidesBetweenMemoryAndStreamingFromTheFiles) {
  TempDir folder;
  TempDir temporaryDirectory;
  testing::ScopedEnvironment environment({{"TMPDIR", temporaryDirectory.path().string()}});
  std::string content(GetParam().total - 1, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>('a' + i % 26);
  const auto file = folder.write("clip.mov", content);

  // The answer is held back until the test has looked at the temporary directory.
  Gate gate;
  server.setHandler([opened = gate.opened](const RecordedRequest&) {
    opened.wait();
    return Reply::json(200, R"({"ok":true})");
  });
  auto result = start(ticketAndVideo(file), server.url("/process"));
  ASSERT_TRUE(result.isSuccess()) << (result.error ? result.error->message : "");
  EXPECT_EQ(result.streamingFromDisk, GetParam().streamed);
  ASSERT_TRUE(server.waitForRequests(1, 60s));
  // No copy of the body on disk, however large it is.
  EXPECT_TRUE(std::filesystem::is_empty(temporaryDirectory.path()));
  gate.release();
  const Answer answer = answerOf(result);
  EXPECT_EQ(answer.value, Json::parse(R"({"ok":true})"));
  EXPECT_TRUE(std::filesystem::is_empty(temporaryDirectory.path()));

  const auto request = server.requests().at(0);
  const std::string b = boundaryOf(request);
  const std::string expected = "--" + b + "\r\nContent-Disposition: form-data; name=\"ticket_id\"\r\n\r\n7\r\n--" + b +
                               "\r\nContent-Disposition: form-data; name=\"video\"; filename=\"clip.mov\"\r\n"
                               "Content-Type: video/quicktime\r\n\r\n" +
                               content + "\r\n--" + b + "--\r\n";
  EXPECT_EQ(request.bodyLength, expected.size());
  EXPECT_TRUE(request.body == expected) << "the body differs";
  EXPECT_EQ(request.header("Content-Length"), std::to_string(expected.size()));
  EXPECT_FALSE(request.header("Transfer-Encoding"));
}

INSTANTIATE_TEST_SUITE_P(Sizes, UploadThreshold,
                         ::testing::Values(ThresholdCase{"ExactlyTheThresholdIsStreamedFromTheFile", kThreshold, true},
                                           ThresholdCase{"OneByteLessStaysInMemory", kThreshold - 1, false}),
                         [](const auto& info) { return info.param.name; });

TEST_F(Upload, ProgressReportsArriveOnTheMainThreadUpToTheWholeBody) {
  const std::string content(3'000'000, 'p');
  std::vector<UploadProgress> reports;
  bool onMainThread = true;
  const auto mainThread = std::this_thread::get_id();
  std::optional<MultipartFormDataEncodingResult> result;
  // Handlers attached in the encoding completion, as the submission does, miss nothing.
  uploadMultipart(
      session, [content](MultipartFormData& form) { form.addFilePart(content, "video", "v.mp4", "video/mp4"); },
      kThreshold, server.url("/process"), HTTPMethod::POST, std::nullopt,
      [&](const MultipartFormDataEncodingResult& r) {
        result = r;
        ASSERT_TRUE(r.isSuccess());
        r.request->uploadProgress([&](const UploadProgress& progress) {
          onMainThread = onMainThread && std::this_thread::get_id() == mainThread;
          reports.push_back(progress);
        });
      });
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return result.has_value(); }));
  answerOf(*result);
  const auto request = server.requests().at(0);
  ASSERT_FALSE(reports.empty());
  EXPECT_TRUE(onMainThread);
  EXPECT_EQ(reports.back().completedBytes, request.bodyLength);
  EXPECT_EQ(reports.back().totalBytes, request.bodyLength);
  for (std::size_t i = 1; i < reports.size(); ++i) EXPECT_GE(reports[i].completedBytes, reports[i - 1].completedBytes);
}

TEST_F(Upload, BodyPartErrorFailsTheEncodingAndSendsNothing) {
  TempDir folder;
  auto result = start(
      [&](MultipartFormData& form) {
        form.addDataPart(std::string("7"), "ticket_id");
        form.addFileURLPart(folder / "missing.mp4", "video");
      },
      server.url("/process"));
  EXPECT_FALSE(result.isSuccess());
  ASSERT_TRUE(result.error);
  EXPECT_EQ(result.error->kind, RequestError::Kind::bodyPart);
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(server.connectionCount(), 0u);
}

// ---- Large bodies, streamed from their sources ------------------------------------------

std::string patterned(std::size_t size, int seed) {
  std::string content(size, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>((i * 7 + seed) % 256);
  return content;
}

TEST_F(Upload, StreamedBodyIsTheFormEncodedInMemoryByteForByte) {
  TempDir folder;
  TempDir temporaryDirectory;
  testing::ScopedEnvironment environment({{"TMPDIR", temporaryDirectory.path().string()}});
  const auto video = folder.write("Toma 1.mp4", patterned(kThreshold, 1));
  const auto photo = folder.write("img-2", patterned(70'001, 2));
  const auto empty = folder.write("vacío.txt", "");
  auto built = std::make_shared<MultipartFormData>();
  Gate gate;
  server.setHandler([opened = gate.opened](const RecordedRequest&) {
    opened.wait();
    return Reply::json(200, "{}");
  });
  auto result = start(
      [=](MultipartFormData& form) {
        form.addDataPart(std::string("1042"), "ticket_id");
        form.addDataPart(std::string(), "initial_observations");
        form.addFilePart(std::string("\xff\xd8\xff\xdb", 4), "image", "image", "image/png");
        form.addFilePart(photo, "image2", "image2", "image/png");
        form.addFileURLPart(empty, "notes");
        form.addFileURLPart(video, "video");
        *built = form;
      },
      server.url("/process"));
  ASSERT_TRUE(result.isSuccess()) << (result.error ? result.error->message : "");
  EXPECT_TRUE(result.streamingFromDisk);
  ASSERT_TRUE(server.waitForRequests(1, 60s));
  EXPECT_TRUE(std::filesystem::is_empty(temporaryDirectory.path()));
  gate.release();
  answerOf(result);

  const auto request = server.requests().at(0);
  const std::string b = boundaryOf(request);
  const std::string expected =
      "--" + b + "\r\nContent-Disposition: form-data; name=\"ticket_id\"\r\n\r\n1042\r\n--" + b +
      "\r\nContent-Disposition: form-data; name=\"initial_observations\"\r\n\r\n\r\n--" + b +
      "\r\nContent-Disposition: form-data; name=\"image\"; filename=\"image\"\r\nContent-Type: image/png\r\n\r\n" +
      std::string("\xff\xd8\xff\xdb", 4) + "\r\n--" + b +
      "\r\nContent-Disposition: form-data; name=\"image2\"; filename=\"image2\"\r\nContent-Type: image/png\r\n\r\n" +
      patterned(70'001, 2) + "\r\n--" + b +
      "\r\nContent-Disposition: form-data; name=\"notes\"; filename=\"vacío.txt\"\r\nContent-Type: text/plain\r\n\r\n"
      "\r\n--" +
      b +
      "\r\nContent-Disposition: form-data; name=\"video\"; filename=\"Toma 1.mp4\"\r\nContent-Type: video/mp4\r\n\r\n" +
      patterned(kThreshold, 1) + "\r\n--" + b + "--\r\n";
  EXPECT_EQ(request.bodyLength, expected.size());
  EXPECT_EQ(request.header("Content-Length"), std::to_string(expected.size()));
  EXPECT_TRUE(request.body == expected) << "the body differs from the expected bytes";
  auto inMemory = built->encode();
  ASSERT_TRUE(std::holds_alternative<std::string>(inMemory));
  EXPECT_TRUE(request.body == std::get<std::string>(inMemory)) << "the body differs from the in-memory encoding";
}

// A file part's file changes after it was added to the form.
struct FileChange {
  std::string name;
  std::function<void(const std::filesystem::path&)> change;
  bool noticedWhileSending;  // false: the opened file is still the one added, and it is sent whole
};

void PrintTo(const FileChange& c, std::ostream* os) { *os << c.name; }

class ChangedFile : public Upload, public ::testing::WithParamInterface<FileChange> {};

TEST_P(ChangedFile, BetweenBuildingAndSendingFailsBeforeAnythingIsSent) {
  TempDir folder;
  const auto video = folder.write("clip.mp4", std::string(kThreshold, 'v'));
  auto result = start(
      [video, change = GetParam().change](MultipartFormData& form) {
        form.addFileURLPart(video, "video");
        change(video);
      },
      server.url("/process"));
  ASSERT_FALSE(result.isSuccess());
  ASSERT_TRUE(result.error);
  EXPECT_EQ(result.error->kind, RequestError::Kind::bodyEncoding) << *result.error;
  EXPECT_EQ(server.connectionCount(), 0u);
}

TEST_P(ChangedFile, WhileSendingEndsTheUploadWithoutAWholeBody) {
  TempDir folder;
  // Far more than the socket buffers on both sides and the transport's own
  // buffer hold: when the server sees the head, most of the file is unread.
  const std::uint64_t size = 48'000'000;
  const auto video = folder.write("clip.mp4", std::string(size, 'v'));
  RecordingServer sink([](const RecordedRequest&) { return Reply::json(200, "{}"); }, /*keepBodies=*/false);
  sink.setHeadHandler([video, change = GetParam().change](const RecordedRequest&) { change(video); });
  const Answer answer = answerOf(start([&](MultipartFormData& form) { form.addFileURLPart(video, "video"); },
                                       sink.url("/process")));
  if (GetParam().noticedWhileSending) {
    ASSERT_TRUE(answer.error);
    EXPECT_EQ(answer.error->kind, RequestError::Kind::bodyEncoding) << *answer.error;
    // The server never read as many bytes as Content-Length announced.
    EXPECT_TRUE(sink.requests().empty());
  } else {
    EXPECT_FALSE(answer.error);
    ASSERT_EQ(sink.requests().size(), 1u);
    EXPECT_GT(sink.requests()[0].bodyLength, size);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ChangedFile,
    ::testing::Values(
        FileChange{"Grows", [](const auto& file) { std::ofstream(file, std::ios::binary | std::ios::app) << "+"; },
                   true},
        FileChange{"Shrinks",
                   [](const auto& file) { std::filesystem::resize_file(file, std::filesystem::file_size(file) / 2); },
                   true},
        FileChange{"IsTouched",
                   [](const auto& file) {
                     std::filesystem::last_write_time(file,
                                                      std::filesystem::last_write_time(file) - std::chrono::hours(1));
                   },
                   true},
        FileChange{"IsReplacedByAnotherOfTheSameSize",
                   [](const auto& file) {
                     const auto other = file.parent_path() / "other.mp4";
                     std::filesystem::copy_file(file, other);
                     std::filesystem::last_write_time(other, std::filesystem::last_write_time(file));
                     std::filesystem::rename(other, file);
                   },
                   false}),
    [](const auto& info) { return info.param.name; });

TEST_F(Upload, InvalidURLFailsTheEncoding) {
  auto result = start([](MultipartFormData& form) { form.addDataPart(std::string("x"), "a"); }, "http://h/a b");
  ASSERT_TRUE(result.error);
  EXPECT_EQ(result.error->kind, RequestError::Kind::invalidURL);
}

TEST_F(Upload, BuilderThatThrowsFailsTheEncoding) {
  auto result = start([](MultipartFormData&) { throw std::runtime_error("no photo"); }, server.url("/process"));
  ASSERT_TRUE(result.error);
  EXPECT_NE(result.error->message.find("no photo"), std::string::npos);
}

TEST_F(Upload, HandlerAttachedAfterTheAnswerStillGetsIt) {
  auto result = start([](MultipartFormData& form) { form.addDataPart(std::string("x"), "a"); }, server.url("/process"));
  ASSERT_TRUE(result.isSuccess());
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return result.request->isFinished(); }));
  const Answer answer = answerOf(result);
  EXPECT_EQ(answer.value, Json::object());
}

// ---- Reading the answer ---------------------------------------------------------------

struct UploadAnswerCase {
  std::string name;
  Reply reply;
  std::optional<RequestError::Kind> error;
  std::optional<Json> value;
  std::optional<int> status;
};

void PrintTo(const UploadAnswerCase& c, std::ostream* os) { *os << c.name; }

class UploadAnswer : public Upload, public ::testing::WithParamInterface<UploadAnswerCase> {};

TEST_P(UploadAnswer, IsReadAsJSON) {
  const auto& c = GetParam();
  server.setHandler([reply = c.reply](const RecordedRequest&) { return reply; });
  const Answer answer =
      answerOf(start([](MultipartFormData& form) { form.addDataPart(std::string("x"), "a"); }, server.url("/process")));
  EXPECT_EQ(answer.error.has_value(), c.error.has_value());
  if (answer.error && c.error) {
    EXPECT_EQ(answer.error->kind, *c.error) << *answer.error;
  }
  EXPECT_EQ(answer.value, c.value);
  EXPECT_EQ(answer.status, c.status);
}

Reply htmlPage(int status) {
  Reply reply = Reply::json(status, "<html><body>Error</body></html>");
  reply.headers = {{"Content-Type", "text/html"}};
  return reply;
}

// 1,869 bytes that expand to 1 GiB through "gzip, gzip".
Reply bombAnswer() {
  Reply reply = Reply::json(200, testing::readText(std::filesystem::path(INSTALA_TEST_DATA_DIR) / "bomb-1GB.gz.gz"));
  reply.headers.emplace_back("Content-Encoding", "gzip, gzip");
  return reply;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, UploadAnswer,
    ::testing::Values(
        UploadAnswerCase{"NoContentIsNull", Reply::noContent(204), std::nullopt, Json(nullptr), 204},
        UploadAnswerCase{"ResetContentIsNull", Reply::noContent(205), std::nullopt, Json(nullptr), 205},
        UploadAnswerCase{"OkEmptyFails", Reply::json(200, ""), RequestError::Kind::emptyBody, std::nullopt, 200},
        UploadAnswerCase{"OkObject", Reply::json(200, R"({"id":5})"), std::nullopt, Json::parse(R"({"id":5})"), 200},
        UploadAnswerCase{"OkScalar", Reply::json(200, "true"), std::nullopt, Json(true), 200},
        UploadAnswerCase{"OkString", Reply::json(200, "\"listo\""), std::nullopt, Json("listo"), 200},
        UploadAnswerCase{"OkGzip", Reply::coded(200, "[1,2]", "gzip"), std::nullopt, Json::parse("[1,2]"), 200},
        UploadAnswerCase{"OkCompress", Reply::coded(200, "[1,2]", "compress"), std::nullopt, Json::parse("[1,2]"), 200},
        UploadAnswerCase{"OkHtmlFails", htmlPage(200), RequestError::Kind::notJSON, std::nullopt, 200},
        UploadAnswerCase{"ServerErrorWithJSONIsRead", Reply::json(500, R"({"error":"x"})"), std::nullopt,
                         Json::parse(R"({"error":"x"})"), 500},
        UploadAnswerCase{"ServerErrorHtmlFails", htmlPage(500), RequestError::Kind::notJSON, std::nullopt, 500},
        UploadAnswerCase{"DroppedConnection", Reply::dropConnection(), RequestError::Kind::transport, std::nullopt,
                         std::nullopt},
        UploadAnswerCase{"AnswerExpandingToAGigabyte", bombAnswer(), RequestError::Kind::tooLarge, std::nullopt,
                         std::nullopt},
        UploadAnswerCase{"CutInsideTheHeaderBlock", Reply::rawThenClose("HTTP/1.1 200 OK\r\nContent-Ty"),
                         RequestError::Kind::transport, std::nullopt, std::nullopt}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace instala

namespace instala {
namespace {

// Headless drivers wait on the session: an upload counts from the moment it is
// handed over until its answer has been delivered, through the body building.
TEST_F(Upload, TheSessionHasWorkInFlightUntilTheAnswerIsDelivered) {
  EXPECT_FALSE(session.hasWorkInFlight());
  std::optional<MultipartFormDataEncodingResult> result;
  std::optional<Answer> answer;
  uploadMultipart(
      session, [](MultipartFormData& form) { form.addDataPart(std::string("7"), "ticket_id"); }, kThreshold,
      server.url("/process"), HTTPMethod::POST, std::nullopt, [&](const MultipartFormDataEncodingResult& r) {
        result = r;
        EXPECT_TRUE(session.hasWorkInFlight());  // the exchange has started
        r.request->responseJSON([&](std::optional<RequestError> e, std::optional<Json> v, std::optional<int> s) {
          answer = Answer{1, e, v, s};
        });
      });
  EXPECT_TRUE(session.hasWorkInFlight());  // the body is being built
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return !session.hasWorkInFlight(); }, 60s));
  ASSERT_TRUE(result && answer);  // everything was delivered before the session went idle
  EXPECT_EQ(answer->status, 200);
}

}  // namespace
}  // namespace instala
