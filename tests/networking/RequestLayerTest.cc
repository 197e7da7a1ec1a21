#include "networking/RequestLayer.h"

#include "common/LoadingActivity.h"
#include "models/User.h"
#include "networking/DefaultHeaders.h"
#include "platform/Bundle.h"
#include "support/MainLoop.h"
#include "support/RecordingServer.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"
#include "ui/Application.h"
#include "ui/Window.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace instala {
namespace {

using namespace std::chrono_literals;
using testing::RecordedRequest;
using testing::RecordingServer;
using testing::Reply;

// What a completion received, and how often and where it ran.
template <typename T>
struct Outcome {
  int calls = 0;
  bool onMainThread = true;
  bool overlayShownAtCompletion = false;
  std::optional<RequestError> error;
  std::optional<T> value;
  std::optional<int> status;

  RequestCompletion<T> completion() {
    const auto mainThread = std::this_thread::get_id();
    return [this, mainThread](std::optional<RequestError> e, std::optional<T> v, std::optional<int> s) {
      ++calls;
      onMainThread = onMainThread && std::this_thread::get_id() == mainThread;
      overlayShownAtCompletion = overlayShownAtCompletion || LoadingActivity::isShown();
      error = std::move(e);
      value = std::move(v);
      status = s;
    };
  }
  bool done() const { return calls > 0; }
};

SessionConfiguration plainConfiguration() {
  SessionConfiguration configuration;
  configuration.defaultHeaders = {
      {"Accept-Encoding", kAcceptEncoding}, {"Accept-Language", "es-MX;q=1.0"}, {"User-Agent", "test"}};
  return configuration;
}

class RequestLayer : public ::testing::Test {
 protected:
  template <typename T = User>
  Outcome<T> perform(const std::string& url, HTTPMethod method = HTTPMethod::GET,
                     const std::optional<HTTPHeaders>& headers = std::nullopt,
                     const std::optional<Parameters>& parameters = std::nullopt) {
    Outcome<T> outcome;
    performRequest<T>(session, url, method, headers, parameters, true, outcome.completion());
    EXPECT_TRUE(testing::pumpMainLoopUntil([&] { return outcome.done(); }));
    testing::drainMainLoop();
    EXPECT_EQ(outcome.calls, 1);
    EXPECT_TRUE(outcome.onMainThread);
    EXPECT_FALSE(outcome.overlayShownAtCompletion);
    return outcome;
  }

  RecordedRequest onlyRequest() {
    auto requests = server.requests();
    EXPECT_EQ(requests.size(), 1u);
    return requests.empty() ? RecordedRequest{} : requests.front();
  }

  RecordingServer server;
  Session session{plainConfiguration()};
};

// ---- The classification of answers --------------------------------------------------

struct AnswerCase {
  std::string name;
  Reply reply;
  std::optional<RequestError::Kind> error;
  bool value;
  std::optional<int> status;
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

class Classification : public RequestLayer, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(Classification, OfTheAnswer) {
  const auto& c = GetParam();
  server.setHandler([reply = c.reply](const RecordedRequest&) { return reply; });
  auto outcome = perform(server.url("/user"));
  EXPECT_EQ(outcome.error.has_value(), c.error.has_value()) << (outcome.error ? outcome.error->message : "");
  if (outcome.error && c.error) {
    EXPECT_EQ(outcome.error->kind, *c.error) << *outcome.error;
  }
  EXPECT_EQ(outcome.value.has_value(), c.value);
  EXPECT_EQ(outcome.status, c.status);
}

const std::string kUser = R"({"name":"Ana","auth_token":"t0k3n"})";

Reply withGarbledGzip(int status) {
  Reply reply = Reply::json(status, "not gzip at all");
  reply.headers.emplace_back("Content-Encoding", "gzip");
  return reply;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Classification,
    ::testing::Values(
        AnswerCase{"Ok", Reply::json(200, kUser), std::nullopt, true, 200},
        AnswerCase{"OkGzip", Reply::coded(200, kUser, "gzip"), std::nullopt, true, 200},
        AnswerCase{"OkCompress", Reply::coded(200, kUser, "compress"), std::nullopt, true, 200},
        AnswerCase{"OkEmptyBody", Reply::json(200, ""), RequestError::Kind::decoding, false, 200},
        AnswerCase{"OkNotJSON", Reply::json(200, "<html>hola</html>"), RequestError::Kind::decoding, false, 200},
        AnswerCase{"OkWrongShape", Reply::json(200, "[1,2,3]"), RequestError::Kind::decoding, false, 200},
        AnswerCase{"OkBadlyCoded", withGarbledGzip(200), RequestError::Kind::decoding, false, 200},
        AnswerCase{"Created", Reply::json(201, kUser), std::nullopt, false, 201},
        AnswerCase{"NoContent", Reply::noContent(204), std::nullopt, false, 204},
        AnswerCase{"Redirect", Reply::json(301, "{}"), std::nullopt, false, 301},
        AnswerCase{"Unprocessable", Reply::json(422, R"({"message":"token"})"), std::nullopt, false, 422},
        AnswerCase{"ServerErrorBodyNeverRead", withGarbledGzip(500), std::nullopt, false, 500},
        AnswerCase{"DroppedConnection", Reply::dropConnection(), RequestError::Kind::transport, false, std::nullopt},
        // An answer counts only once its header block has ended with an empty line.
        AnswerCase{"CutInsideAHeader", Reply::rawThenClose("HTTP/1.1 200 OK\r\nContent-Ty"),
                   RequestError::Kind::transport, false, std::nullopt},
        AnswerCase{"CutInsideAHeaderOf422", Reply::rawThenClose("HTTP/1.1 422 Unprocessable Entity\r\nContent-Ty"),
                   RequestError::Kind::transport, false, std::nullopt},
        AnswerCase{"CutAfterAWholeHeader",
                   Reply::rawThenClose("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"),
                   RequestError::Kind::transport, false, std::nullopt},
        AnswerCase{"CutAfterTheStatusLine", Reply::rawThenClose("HTTP/1.1 200 OK\r\n"), RequestError::Kind::transport,
                   false, std::nullopt},
        AnswerCase{"CutInsideTheStatusLine", Reply::rawThenClose("HTTP/1.1 20"), RequestError::Kind::transport, false,
                   std::nullopt},
        AnswerCase{"CutAfterAnInterimAnswer", Reply::rawThenClose("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\n"),
                   RequestError::Kind::transport, false, std::nullopt},
        // Without Content-Length the body ends with the connection: that answer is whole.
        AnswerCase{"BodyEndedByTheClose",
                   Reply::rawThenClose("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n\r\n" + kUser),
                   std::nullopt, true, 200}),
    [](const auto& info) { return info.param.name; });

TEST_F(RequestLayer, DecodedRecordHoldsTheAnswer) {
  server.setHandler([](const RecordedRequest&) { return Reply::coded(200, kUser, "compress"); });
  auto outcome = perform(server.url("/user"));
  ASSERT_TRUE(outcome.value);
  EXPECT_EQ(outcome.value->authToken(), "t0k3n");
  EXPECT_EQ(outcome.value->name(), "Ana");
}

// ---- Where the answer is decoded --------------------------------------------------------

// A record that notes the thread its decoding ran on.
struct ThreadRecord {
  std::thread::id decodedOn;
  static platform::Result<ThreadRecord> decode(const Json&) { return ThreadRecord{std::this_thread::get_id()}; }
};

class DecodingThread : public RequestLayer, public ::testing::WithParamInterface<std::string> {};

TEST_P(DecodingThread, IsNotTheMainThread) {
  const std::string coding = GetParam();
  server.setHandler([coding](const RecordedRequest&) {
    return coding.empty() ? Reply::json(200, kUser) : Reply::coded(200, kUser, coding);
  });
  auto outcome = perform<ThreadRecord>(server.url("/user"));
  ASSERT_TRUE(outcome.value) << (outcome.error ? outcome.error->message : "");
  EXPECT_NE(outcome.value->decodedOn, std::this_thread::get_id());
}

INSTANTIATE_TEST_SUITE_P(Codings, DecodingThread, ::testing::Values("", "gzip", "compress"),
                         [](const auto& info) { return info.param.empty() ? std::string("Plain") : info.param; });

// ---- The cap on what an answer may grow to ----------------------------------------------

constexpr std::uint64_t kCap = 4096;

// A user answer of exactly `size` bytes.
std::string userOfSize(std::size_t size) {
  const std::string frame = R"({"name":"","auth_token":"t0k3n"})";
  return R"({"name":")" + std::string(size - frame.size(), 'a') + R"(","auth_token":"t0k3n"})";
}

Reply withCoding(Reply reply, const std::string& coding) {
  reply.headers.emplace_back("Content-Encoding", coding);
  return reply;
}

class CappedSession : public RequestLayer {
 protected:
  static SessionConfiguration capped() {
    SessionConfiguration configuration = plainConfiguration();
    configuration.maxAnswerSize = kCap;
    return configuration;
  }
  Outcome<User> performCapped(const Reply& reply) {
    server.setHandler([reply](const RecordedRequest&) { return reply; });
    Outcome<User> outcome;
    performRequest<User>(cappedSession, server.url("/user"), HTTPMethod::GET, std::nullopt, std::nullopt, true,
                         outcome.completion());
    EXPECT_TRUE(testing::pumpMainLoopUntil([&] { return outcome.done(); }));
    testing::drainMainLoop();
    EXPECT_EQ(outcome.calls, 1);
    return outcome;
  }
  Session cappedSession{capped()};
};

class Cap : public CappedSession, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(Cap, EndsTheExchangePastIt) {
  const auto& c = GetParam();
  auto outcome = performCapped(c.reply);
  EXPECT_EQ(outcome.error.has_value(), c.error.has_value()) << (outcome.error ? outcome.error->message : "");
  if (outcome.error && c.error) {
    EXPECT_EQ(outcome.error->kind, *c.error) << *outcome.error;
  }
  EXPECT_EQ(outcome.value.has_value(), c.value);
  EXPECT_EQ(outcome.status, c.status);
}

// Built here rather than in the table, so that other tests do not pay for it.
TEST_F(CappedSession, MuchLargerAnswerIsStoppedEarly) {
  auto outcome = performCapped(Reply::json(200, userOfSize(8 << 20)));
  ASSERT_TRUE(outcome.error);
  EXPECT_EQ(outcome.error->kind, RequestError::Kind::tooLarge) << *outcome.error;
  EXPECT_FALSE(outcome.status);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, Cap,
    ::testing::Values(
        AnswerCase{"AtTheCap", Reply::json(200, userOfSize(kCap)), std::nullopt, true, 200},
        AnswerCase{"OneByteOver", Reply::json(200, userOfSize(kCap + 1)), RequestError::Kind::tooLarge, false,
                   std::nullopt},
        AnswerCase{"WithoutLengthOneByteOver",
                   [] {
                     Reply reply = Reply::json(200, userOfSize(kCap + 1));
                     reply.contentLength = false;
                     return reply;
                   }(),
                   RequestError::Kind::tooLarge, false, std::nullopt},
        AnswerCase{"GzipDecodingToTheCap", Reply::coded(200, userOfSize(kCap), "gzip"), std::nullopt, true, 200},
        AnswerCase{"GzipDecodingOneByteOver", Reply::coded(200, userOfSize(kCap + 1), "gzip"),
                   RequestError::Kind::tooLarge, false, std::nullopt},
        AnswerCase{"CompressDecodingOneByteOver", Reply::coded(200, userOfSize(kCap + 1), "compress"),
                   RequestError::Kind::tooLarge, false, std::nullopt},
        AnswerCase{"StackedDecodingToTheCap",
                   withCoding(Reply::json(200, testing::gzipCoded(testing::gzipCoded(userOfSize(kCap)))), "gzip, gzip"),
                   std::nullopt, true, 200},
        AnswerCase{"StackedDecodingOneByteOver",
                   withCoding(Reply::json(200, testing::gzipCoded(testing::gzipCoded(userOfSize(kCap + 1)))),
                              "gzip, gzip"),
                   RequestError::Kind::tooLarge, false, std::nullopt},
        AnswerCase{"OtherStatusPastTheCap", Reply::json(500, userOfSize(kCap + 1)), RequestError::Kind::tooLarge, false,
                   std::nullopt}),
    [](const auto& info) { return info.param.name; });

// With the application's own cap.
TEST_F(RequestLayer, AnswerExpandingToAGigabyteEndsWithoutAStatus) {
  const std::string bomb = testing::readText(std::filesystem::path(INSTALA_TEST_DATA_DIR) / "bomb-1GB.gz.gz");
  server.setHandler([bomb](const RecordedRequest&) { return withCoding(Reply::json(200, bomb), "gzip, gzip"); });
  auto outcome = perform(server.url("/user"));
  ASSERT_TRUE(outcome.error);
  EXPECT_EQ(outcome.error->kind, RequestError::Kind::tooLarge) << *outcome.error;
  EXPECT_FALSE(outcome.value);
  EXPECT_FALSE(outcome.status);
}

TEST_F(RequestLayer, InvalidURLFailsBeforeAnythingIsSent) {
  auto outcome = perform(server.url("/search/a b"));
  ASSERT_TRUE(outcome.error);
  EXPECT_EQ(outcome.error->kind, RequestError::Kind::invalidURL);
  EXPECT_FALSE(outcome.status);
  EXPECT_EQ(server.connectionCount(), 0u);
}

TEST_F(RequestLayer, UnreachableServerIsATransportError) {
  std::string url;
  {
    RecordingServer closed;
    url = closed.url("/user");
  }
  auto outcome = perform(url);
  ASSERT_TRUE(outcome.error);
  EXPECT_EQ(outcome.error->kind, RequestError::Kind::transport);
  EXPECT_FALSE(outcome.status);
}

TEST_F(RequestLayer, HeaderWithLineBreakFailsBeforeAnythingIsSent) {
  auto outcome = perform(server.url("/user"), HTTPMethod::GET, HTTPHeaders{{"Authorization", "Bearer a\r\nX-Evil: 1"}});
  ASSERT_TRUE(outcome.error);
  EXPECT_EQ(outcome.error->kind, RequestError::Kind::invalidRequest);
  EXPECT_EQ(server.connectionCount(), 0u);
}

TEST_F(RequestLayer, ServerThatNeverAnswersEndsInATimeOut) {
  SessionConfiguration configuration = plainConfiguration();
  configuration.idleTimeout = 1s;
  Session impatient(configuration);
  server.setHandler([](const RecordedRequest&) { return Reply::silence(); });
  Outcome<User> outcome;
  performRequest<User>(impatient, server.url("/user"), HTTPMethod::GET, std::nullopt, std::nullopt, true,
                       outcome.completion());
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return outcome.done(); }, 30s));
  ASSERT_TRUE(outcome.error);
  EXPECT_EQ(outcome.error->kind, RequestError::Kind::timedOut) << *outcome.error;
  EXPECT_FALSE(outcome.status);
  EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(RequestLayer, SessionClosedWhileWaitingCancelsExactlyOnce) {
  server.setHandler([](const RecordedRequest&) { return Reply::silence(); });
  Outcome<User> outcome;
  {
    Session shortLived(plainConfiguration());
    performRequest<User>(shortLived, server.url("/user"), HTTPMethod::GET, std::nullopt, std::nullopt, true,
                         outcome.completion());
    ASSERT_TRUE(server.waitForRequests(1, 10s));
  }
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return outcome.done(); }));
  testing::drainMainLoop();
  EXPECT_EQ(outcome.calls, 1);
  ASSERT_TRUE(outcome.error);
  EXPECT_EQ(outcome.error->kind, RequestError::Kind::cancelled);
}

TEST_F(RequestLayer, CompletionWaitsForTheMainLoop) {
  Outcome<User> outcome;
  performRequest<User>(session, server.url("/user"), HTTPMethod::GET, std::nullopt, std::nullopt, true,
                       outcome.completion());
  ASSERT_TRUE(server.waitForRequests(1, 10s));
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(outcome.calls, 0);
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return outcome.done(); }));
}

TEST_F(RequestLayer, ConnectionIsReused) {
  perform(server.url("/one"));
  perform(server.url("/two"));
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(server.connectionCount(), 1u);
  EXPECT_EQ(requests[1].connection, requests[0].connection);
}

TEST_F(RequestLayer, ManyRequestsAtOnceEachCompleteOnce) {
  std::vector<Outcome<User>> outcomes(8);
  for (std::size_t i = 0; i < outcomes.size(); ++i) {
    performRequest<User>(session, server.url("/n/" + std::to_string(i)), HTTPMethod::GET, std::nullopt, std::nullopt,
                         true, outcomes[i].completion());
  }
  ASSERT_TRUE(testing::pumpMainLoopUntil(
      [&] { return std::all_of(outcomes.begin(), outcomes.end(), [](const auto& o) { return o.done(); }); }));
  testing::drainMainLoop();
  for (const auto& outcome : outcomes) {
    EXPECT_EQ(outcome.calls, 1);
    EXPECT_EQ(outcome.status, 200);
  }
  EXPECT_EQ(server.requests().size(), outcomes.size());
}

// ---- The loading overlay ----------------------------------------------------------------

class LoadingOverlay : public RequestLayer {
 protected:
  void SetUp() override {
    ui::Application::shared().reset();
    window = std::make_shared<ui::Window>();
    window->setRootViewController(std::make_shared<ui::ViewController>());
    window->makeKeyAndVisible();
    // Each request is answered only when the test lets it go.
    server.setHandler([this](const RecordedRequest& request) {
      std::unique_lock lock(mutex);
      released.wait(lock, [&] {
        return std::find(releasedTargets.begin(), releasedTargets.end(), request.target) != releasedTargets.end();
      });
      return Reply::json(200, kUser);
    });
  }
  void TearDown() override {
    release("/first");
    release("/second");
    LoadingActivity::stop();
    ui::Application::shared().reset();
  }
  void release(const std::string& target) {
    {
      std::lock_guard lock(mutex);
      releasedTargets.push_back(target);
    }
    released.notify_all();
  }
  bool overlayOnWindow() const {
    const auto overlay = LoadingActivity::activityIndicator();
    return overlay && !window->subviews().empty() && window->subviews().back() == overlay;
  }

  std::shared_ptr<ui::Window> window;
  std::mutex mutex;
  std::condition_variable released;
  std::vector<std::string> releasedTargets;
};

TEST_F(LoadingOverlay, ShownWhileTheRequestRunsAndHiddenWhenItEnds) {
  Outcome<User> outcome;
  performRequest<User>(session, server.url("/first"), HTTPMethod::GET, std::nullopt, std::nullopt, std::nullopt,
                       outcome.completion());
  EXPECT_TRUE(overlayOnWindow());
  ASSERT_TRUE(server.waitForRequests(1, 10s));
  testing::drainMainLoop();
  EXPECT_TRUE(overlayOnWindow());
  release("/first");
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return outcome.done(); }));
  EXPECT_FALSE(LoadingActivity::isShown());
  EXPECT_FALSE(outcome.overlayShownAtCompletion);  // hidden first, then the completion
  EXPECT_EQ(outcome.status, 200);
}

TEST_F(LoadingOverlay, TwoRequestsShowOneOverlayWhichTheFirstAnswerHides) {
  Outcome<User> first;
  Outcome<User> second;
  performRequest<User>(session, server.url("/first"), HTTPMethod::GET, std::nullopt, std::nullopt, true,
                       first.completion());
  performRequest<User>(session, server.url("/second"), HTTPMethod::GET, std::nullopt, std::nullopt, true,
                       second.completion());
  std::size_t overlays = 0;
  for (const auto& view : window->subviews()) overlays += dynamic_cast<ui::ActivityIndicatorView*>(view.get()) ? 1 : 0;
  EXPECT_EQ(overlays, 1u);
  release("/first");
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return first.done(); }));
  EXPECT_FALSE(LoadingActivity::isShown());
  EXPECT_FALSE(second.done());
  release("/second");
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return second.done(); }));
  EXPECT_FALSE(LoadingActivity::isShown());
}

TEST_F(LoadingOverlay, NotShownWhenTheCallerSaysSoButStillHiddenAtTheEnd) {
  Outcome<User> quiet;
  performRequest<User>(session, server.url("/first"), HTTPMethod::GET, std::nullopt, std::nullopt, false,
                       quiet.completion());
  EXPECT_FALSE(LoadingActivity::isShown());
  LoadingActivity::start(LoadingActivity::indicatorStyle, LoadingActivity::overlayColor,
                         LoadingActivity::indicatorColor);
  release("/first");
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return quiet.done(); }));
  EXPECT_FALSE(LoadingActivity::isShown());
}

TEST_F(LoadingOverlay, RequestThatCannotBeBuiltStillHidesItOnTheMainQueue) {
  Outcome<User> outcome;
  performRequest<User>(session, "no url", HTTPMethod::GET, std::nullopt, std::nullopt, true, outcome.completion());
  EXPECT_TRUE(overlayOnWindow());
  EXPECT_FALSE(outcome.done());
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return outcome.done(); }));
  EXPECT_FALSE(LoadingActivity::isShown());
}

// ---- What goes on the wire -----------------------------------------------------------

std::vector<std::string> headerNames(const RecordedRequest& request) {
  std::vector<std::string> names;
  for (const auto& [name, value] : request.headers) names.push_back(name);
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(RequestLayer, GetWithoutParametersHasNoBodyAndNoContentType) {
  perform(server.url("/tickets"), HTTPMethod::GET, HTTPHeaders{{"Authorization", "Bearer abc"}});
  const auto request = onlyRequest();
  EXPECT_EQ(request.method, "GET");
  EXPECT_EQ(request.target, "/tickets");
  EXPECT_EQ(headerNames(request),
            (std::vector<std::string>{"Accept-Encoding", "Accept-Language", "Authorization", "Host", "User-Agent"}));
  EXPECT_EQ(request.bodyLength, 0u);
  EXPECT_EQ(request.header("Accept-Encoding"), "gzip;q=1.0, compress;q=0.5");
}

TEST_F(RequestLayer, ParametersTravelAsOneCompactJSONObject) {
  perform(server.url("/login"), HTTPMethod::POST, std::nullopt,
          Parameters{{"email", "ana@ejemplo.mx"}, {"password", "s3 cr3t"}});
  const auto request = onlyRequest();
  const std::string body = R"({"email":"ana@ejemplo.mx","password":"s3 cr3t"})";
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.body, body);
  EXPECT_EQ(request.header("Content-Type"), "application/json");
  EXPECT_EQ(request.header("Content-Length"), std::to_string(body.size()));
  EXPECT_EQ(headerNames(request), (std::vector<std::string>{"Accept-Encoding", "Accept-Language", "Content-Length",
                                                            "Content-Type", "Host", "User-Agent"}));
}

TEST_F(RequestLayer, ParametersKeepTheCallersContentType) {
  perform(server.url("/login"), HTTPMethod::PUT, HTTPHeaders{{"Content-Type", "application/json; charset=utf-8"}},
          Parameters{{"a", "b"}});
  const auto request = onlyRequest();
  EXPECT_EQ(request.method, "PUT");
  EXPECT_EQ(request.headerCount("Content-Type"), 1u);
  EXPECT_EQ(request.header("Content-Type"), "application/json; charset=utf-8");
  EXPECT_EQ(request.body, R"({"a":"b"})");
}

TEST_F(RequestLayer, PostWithoutParametersSendsAnEmptyBodyWithoutContentType) {
  perform(server.url("/ping"), HTTPMethod::POST);
  const auto request = onlyRequest();
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.header("Content-Length"), "0");
  EXPECT_FALSE(request.header("Content-Type"));
}

TEST_F(RequestLayer, DeleteWithoutParametersHasNoBody) {
  perform(server.url("/logout"), HTTPMethod::DELETE, HTTPHeaders{{"Content-Type", "application/json"}});
  const auto request = onlyRequest();
  EXPECT_EQ(request.method, "DELETE");
  EXPECT_EQ(request.header("Content-Type"), "application/json");
  EXPECT_FALSE(request.header("Content-Length"));
  EXPECT_EQ(request.bodyLength, 0u);
}

TEST_F(RequestLayer, RequestHeaderWinsOverTheDefaultWithoutRegardToCase) {
  perform(server.url("/x"), HTTPMethod::GET, HTTPHeaders{{"accept-language", "de"}, {"USER-AGENT", "mine"}});
  const auto request = onlyRequest();
  EXPECT_EQ(request.headerCount("Accept-Language"), 1u);
  EXPECT_EQ(request.header("Accept-Language"), "de");
  EXPECT_EQ(request.headerCount("User-Agent"), 1u);
  EXPECT_EQ(request.header("User-Agent"), "mine");
  EXPECT_EQ(request.header("Accept-Encoding"), kAcceptEncoding);
}

TEST_F(RequestLayer, CallerMaySendAnEmptyHeaderValue) {
  perform(server.url("/x"), HTTPMethod::GET, HTTPHeaders{{"X-Empty", ""}});
  const auto request = onlyRequest();
  EXPECT_EQ(request.header("X-Empty"), "");
}

TEST_F(RequestLayer, LargeBodyIsSentWithoutWaitingForContinue) {
  const std::string big(3'000'000, 'x');
  perform(server.url("/big"), HTTPMethod::POST, std::nullopt, Parameters{{"blob", big}});
  const auto request = onlyRequest();
  EXPECT_FALSE(request.header("Expect"));
  EXPECT_FALSE(request.header("Transfer-Encoding"));
  EXPECT_EQ(request.bodyLength, big.size() + 11);
}

// ---- Default headers of the application's configuration ------------------------------

struct LanguagesCase {
  std::string name;
  std::string language;
  std::string expected;
};

void PrintTo(const LanguagesCase& c, std::ostream* os) { *os << c.name; }

class StandardHeaders : public ::testing::TestWithParam<LanguagesCase> {};

TEST_P(StandardHeaders, FromLocaleAndBundle) {
  testing::ScopedEnvironment environment(
      {{"LC_ALL", ""}, {"LC_MESSAGES", ""}, {"LANG", "es_MX.UTF-8"}, {"LANGUAGE", GetParam().language}});
  RecordingServer server;
  Session session(SessionConfiguration::standard());
  bool done = false;
  performRequest<User>(session, server.url("/x"), HTTPMethod::GET, std::nullopt, std::nullopt, true,
                       [&](auto, auto, auto) { done = true; });
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return done; }));
  const auto request = server.requests().at(0);
  EXPECT_EQ(request.header("Accept-Language"), GetParam().expected);
  EXPECT_EQ(request.header("Accept-Encoding"), "gzip;q=1.0, compress;q=0.5");
  const auto& bundle = platform::Bundle::main();
  const std::string version = bundle.infoString("CFBundleShortVersionString").value_or("?");
  EXPECT_EQ(request.header("User-Agent"),
            "instala/" + version + " (mx.instala.Instala; build:" + bundle.infoString("CFBundleVersion").value_or("?") +
                "; " + operatingSystemDescription() + ") InstalaHTTP/" + version);
}

INSTANTIATE_TEST_SUITE_P(Languages, StandardHeaders,
                         ::testing::Values(LanguagesCase{"Two", "es_MX:en_US", "es-MX;q=1.0, en-US;q=0.9"},
                                           LanguagesCase{"Eight", "es_MX:es:en_US:en:pt_BR:fr:de:it",
                                                         "es-MX;q=1.0, es;q=0.9, en-US;q=0.8, en;q=0.7, pt-BR;q=0.6, "
                                                         "fr;q=0.5"}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace instala
