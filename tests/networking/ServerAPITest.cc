#include "networking/ServerAPI.h"
#include "networking/UploadRequest.h"

#include "common/LoadingActivity.h"
#include "support/MainLoop.h"
#include "support/RecordingServer.h"
#include "support/TempDir.h"

#include "ui/Application.h"
#include "ui/ViewController.h"
#include "ui/Window.h"

#include <gtest/gtest.h>

#include <functional>

namespace instala {
namespace {

using namespace std::chrono_literals;
using testing::RecordedRequest;
using testing::RecordingServer;
using testing::Reply;
using testing::TempDir;

// ---- The search URL -------------------------------------------------------------------

struct SearchCase {
  std::string name;
  std::string urlTemplate;
  std::string text;
  std::string expected;
};

void PrintTo(const SearchCase& c, std::ostream* os) { *os << c.name; }

class SearchURL : public ::testing::TestWithParam<SearchCase> {};

TEST_P(SearchURL, PlaceholderReplacedByTheEncodedText) {
  EXPECT_EQ(ServerAPI::searchURL(GetParam().urlTemplate, GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SearchURL,
    ::testing::Values(
        SearchCase{"Plain", "http://h/search/{searchText}", "contrato-4.pdf_v~1", "http://h/search/contrato-4.pdf_v~1"},
        SearchCase{"PlaceholderAbsent", "http://h/search", "anything at all", "http://h/search"},
        SearchCase{"Repeated", "http://h/s/{searchText}?q={searchText}", "ab", "http://h/s/ab?q=ab"},
        SearchCase{"TextHoldsThePlaceholder", "http://h/s/{searchText}/{searchText}", "{searchText}",
                   "http://h/s/%7BsearchText%7D/%7BsearchText%7D"},
        SearchCase{"Blanks", "http://h/s/{searchText}", "orden de servicio", "http://h/s/orden%20de%20servicio"},
        SearchCase{"Percent", "http://h/s/{searchText}", "100%d%s", "http://h/s/100%25d%25s"},
        SearchCase{"Delimiters", "http://h/s/{searchText}", "a/b?c#d&e=f+g", "http://h/s/a%2Fb%3Fc%23d%26e%3Df%2Bg"},
        SearchCase{"UTF8", "http://h/s/{searchText}", "Instalación ñ", "http://h/s/Instalaci%C3%B3n%20%C3%B1"},
        SearchCase{"Empty", "http://h/s/{searchText}", "", "http://h/s/"},
        SearchCase{"CaseSensitive", "http://h/s/{SearchText}", "x", "http://h/s/{SearchText}"},
        SearchCase{"LeadingZerosKept", "http://h/s/{searchText}", "007", "http://h/s/007"}),
    [](const auto& info) { return info.param.name; });

TEST(Authorization, BearerAndTheTokenAsItIs) {
  EXPECT_EQ(ServerAPI::authorizationValue("abc.def"), "Bearer abc.def");
  EXPECT_EQ(ServerAPI::authorizationValue(""), "Bearer ");
}

// ---- The catalogue on the wire --------------------------------------------------------

std::string plist(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body + "\n</plist>\n";
}

class ServerCatalogue : public ::testing::Test {
 protected:
  // A bundle whose server is the loopback server.
  bool writeBundle() {
    bundle.write("Server-config.plist",
                 plist("<dict><key>URL</key><string>" + server.url("/api") + "</string></dict>"));
    std::string entries;
    for (const auto& [name, path] :
         std::vector<std::pair<std::string, std::string>>{{"signIn", "/login"},
                                                          {"signOut", "/logout"},
                                                          {"activeTickets", "/tickets/active"},
                                                          {"closedTickets", "/tickets/closed"},
                                                          {"postData", "/process"},
                                                          {"search", "/documents/{searchText}"}}) {
      entries += "<key>" + name + "</key><dict><key>URL</key><string>" + path + "</string></dict>";
    }
    bundle.write("Endpoints.plist", plist("<dict><key>Endpoints</key><dict>" + entries + "</dict></dict>"));
    return true;
  }

  template <typename T>
  struct Outcome {
    bool done = false;
    std::optional<RequestError> error;
    std::optional<T> value;
    std::optional<int> status;
    RequestCompletion<T> completion() {
      return [this](auto e, auto v, auto s) {
        done = true;
        error = e;
        value = v;
        status = s;
      };
    }
  };

  template <typename T>
  void wait(const Outcome<T>& outcome) {
    ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return outcome.done; }));
  }

  RecordedRequest onlyRequest() {
    auto requests = server.requests();
    EXPECT_EQ(requests.size(), 1u);
    return requests.empty() ? RecordedRequest{} : requests.front();
  }

  RecordingServer server;
  TempDir bundle;
  bool bundleWritten = writeBundle();
  Networking networking{platform::Bundle(bundle.path())};
  Session session{SessionConfiguration{}};
  ServerAPI api{networking, session};
};

TEST_F(ServerCatalogue, SignInPostsTheCredentialsWithoutAuthorization) {
  server.setHandler([](const RecordedRequest&) { return Reply::json(200, R"({"name":"Ana","auth_token":"nuevo"})"); });
  Outcome<User> outcome;
  api.signIn("ana@ejemplo.mx", "clave secreta", outcome.completion());
  wait(outcome);
  const auto request = onlyRequest();
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.target, "/api/login");
  EXPECT_EQ(request.body, R"({"email":"ana@ejemplo.mx","password":"clave secreta"})");
  EXPECT_EQ(request.header("Content-Type"), "application/json");
  EXPECT_EQ(request.headerCount("Content-Type"), 1u);
  EXPECT_FALSE(request.header("Authorization"));
  ASSERT_TRUE(outcome.value);
  EXPECT_EQ(outcome.value->authToken(), "nuevo");
}

TEST_F(ServerCatalogue, SignOutDeletesWithTheToken) {
  server.setHandler([](const RecordedRequest&) { return Reply::json(422, "{}"); });
  Outcome<User> outcome;
  api.signOut("tok", outcome.completion());
  wait(outcome);
  const auto request = onlyRequest();
  EXPECT_EQ(request.method, "DELETE");
  EXPECT_EQ(request.target, "/api/logout");
  EXPECT_EQ(request.header("Authorization"), "Bearer tok");
  EXPECT_EQ(request.header("Content-Type"), "application/json");
  EXPECT_EQ(request.bodyLength, 0u);
  EXPECT_FALSE(outcome.error);
  EXPECT_EQ(outcome.status, 422);
}

TEST_F(ServerCatalogue, TicketListsAreGetsWithTheToken) {
  server.setHandler([](const RecordedRequest& request) {
    return Reply::json(200, request.target == "/api/tickets/active" ? R"({"tickets":[{"id":7}]})" : R"({"other":1})");
  });
  Outcome<Tickets> active;
  Outcome<Tickets> closed;
  api.activeTickets("tok", active.completion());
  wait(active);
  api.closedTickets("tok", closed.completion());
  wait(closed);
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].target, "/api/tickets/active");
  EXPECT_EQ(requests[1].target, "/api/tickets/closed");
  for (const auto& request : requests) {
    EXPECT_EQ(request.header("Authorization"), "Bearer tok");
    EXPECT_EQ(request.header("Content-Type"), "application/json");
    EXPECT_FALSE(request.header("Idempotency-Key"));  // only the submission carries one
    EXPECT_EQ(request.bodyLength, 0u);
  }
  ASSERT_TRUE(active.value && active.value->tickets());
  EXPECT_EQ(active.value->tickets()->at(0).id(), 7);
  ASSERT_TRUE(closed.value);
  EXPECT_FALSE(closed.value->tickets());
}

TEST_F(ServerCatalogue, EmptyTokenStillSendsBearerWithItsSpace) {
  Outcome<Tickets> outcome;
  api.activeTickets("", outcome.completion());
  wait(outcome);
  const auto request = onlyRequest();
  EXPECT_NE(request.head.find("\r\nAuthorization: Bearer \r\n"), std::string::npos) << request.head;
}

TEST_F(ServerCatalogue, SearchTextTravelsEncodedInThePath) {
  server.setHandler([](const RecordedRequest&) { return Reply::json(200, R"({"message":"ok","a":"/docs/a.pdf"})"); });
  Outcome<Documents> outcome;
  api.search("tok", "póliza 5/6 ?#%", outcome.completion());
  wait(outcome);
  const auto request = onlyRequest();
  EXPECT_EQ(request.method, "GET");
  EXPECT_EQ(request.target, "/api/documents/p%C3%B3liza%205%2F6%20%3F%23%25");
  EXPECT_EQ(request.header("Authorization"), "Bearer tok");
  ASSERT_TRUE(outcome.value);
  EXPECT_EQ(outcome.value->documents(), (std::vector<std::optional<std::string>>{"/docs/a.pdf"}));
}

TEST_F(ServerCatalogue, PostDataUploadsTheFormWithTheMultipartTypeTheTokenAndTheKey) {
  std::optional<MultipartFormDataEncodingResult> result;
  api.postData(
      "tok", "0b5e2c1a-7d4f-4e8a-9c3b-2f1d0e6a5b47",
      [](MultipartFormData& form) { form.addDataPart(std::string("9"), "ticket_id"); },
      [&](const MultipartFormDataEncodingResult& r) { result = r; });
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return result.has_value(); }));
  ASSERT_TRUE(result->isSuccess());
  bool answered = false;
  result->request->responseJSON([&](auto, auto, auto) { answered = true; });
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] { return answered; }));
  const auto request = onlyRequest();
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.target, "/api/process");
  EXPECT_EQ(request.header("Authorization"), "Bearer tok");
  EXPECT_EQ(request.headerCount("Content-Type"), 1u);
  EXPECT_EQ(request.header("Content-Type")->rfind("multipart/form-data; boundary=instala.boundary.", 0), 0u);
  EXPECT_EQ(request.headerCount("Idempotency-Key"), 1u);
  EXPECT_EQ(request.header("Idempotency-Key"), "0b5e2c1a-7d4f-4e8a-9c3b-2f1d0e6a5b47");
  EXPECT_NE(request.body.find("name=\"ticket_id\"\r\n\r\n9\r\n"), std::string::npos);
}

// ---- The loading overlay of each operation --------------------------------------------

struct OverlayCase {
  std::string name;
  // Starts the operation; `done` runs once its answer has been handled.
  std::function<void(const ServerAPI&, std::function<void()> done)> start;
  bool overlay;
};

void PrintTo(const OverlayCase& c, std::ostream* os) { *os << c.name; }

class OperationOverlay : public ServerCatalogue, public ::testing::WithParamInterface<OverlayCase> {
 protected:
  void SetUp() override {
    ui::Application::shared().reset();
    window->setRootViewController(std::make_shared<ui::ViewController>());
    window->makeKeyAndVisible();
  }
  void TearDown() override {
    LoadingActivity::stop();
    ui::Application::shared().reset();
  }
  std::shared_ptr<ui::Window> window = std::make_shared<ui::Window>();
};

// The five JSON operations cover the screen while they run; the submission
// never does: the technician stays on step three while it uploads.
TEST_P(OperationOverlay, CoversTheScreenOnlyForTheJSONOperations) {
  server.setHandler([](const RecordedRequest&) { return Reply::json(200, R"({"message":"ok"})"); });
  bool done = false;
  GetParam().start(api, [&] { done = true; });
  bool shown = LoadingActivity::isShown();
  ASSERT_TRUE(testing::pumpMainLoopUntil([&] {
    shown = shown || LoadingActivity::isShown();
    return done;
  }));
  EXPECT_EQ(shown, GetParam().overlay);
  EXPECT_FALSE(LoadingActivity::isShown());
  EXPECT_EQ(server.requests().size(), 1u);
}

template <typename T>
RequestCompletion<T> then(std::function<void()> done) {
  return [done](auto, auto, auto) { done(); };
}

INSTANTIATE_TEST_SUITE_P(
    Operations, OperationOverlay,
    ::testing::Values(
        OverlayCase{"SignIn", [](const ServerAPI& api, auto done) { api.signIn("a@b.mx", "x", then<User>(done)); },
                    true},
        OverlayCase{"SignOut", [](const ServerAPI& api, auto done) { api.signOut("tok", then<User>(done)); }, true},
        OverlayCase{"ActiveTickets",
                    [](const ServerAPI& api, auto done) { api.activeTickets("tok", then<Tickets>(done)); }, true},
        OverlayCase{"ClosedTickets",
                    [](const ServerAPI& api, auto done) { api.closedTickets("tok", then<Tickets>(done)); }, true},
        OverlayCase{"Search", [](const ServerAPI& api, auto done) { api.search("tok", "a", then<Documents>(done)); },
                    true},
        OverlayCase{"PostData",
                    [](const ServerAPI& api, std::function<void()> done) {
                      api.postData(
                          "tok", "0b5e2c1a-7d4f-4e8a-9c3b-2f1d0e6a5b47",
                          [](MultipartFormData& form) { form.addDataPart(std::string("9"), "ticket_id"); },
                          [done](const MultipartFormDataEncodingResult& result) {
                            if (!result.isSuccess()) return done();
                            result.request->responseJSON([done](auto, auto, auto) { done(); });
                          });
                    },
                    false}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace instala
