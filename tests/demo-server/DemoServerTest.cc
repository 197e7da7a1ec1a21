#include "DemoServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include <cctype>
#include <set>
#include <sstream>

namespace instala::demo {
namespace {

using instala::testing::readText;
using instala::testing::TempDir;
using nlohmann::json;

const std::string kSignIn = "/api/v1/sessions";
const std::string kSignOut = "/api/v1/sessions/current";
const std::string kActive = "/api/v1/tickets/active";
const std::string kClosed = "/api/v1/tickets/closed";
const std::string kSearch = "/api/v1/documents/search?text=";
const std::string kPost = "/api/v1/services";

std::string percentEncoded(const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0f];
    }
  }
  return out;
}

class DemoServerTest : public ::testing::Test {
 protected:
  void startServer(int failSubmissions = 0, int dropAfterBody = 0) {
    DemoServerOptions options;
    options.bundleDirectory = INSTALA_BUILD_BUNDLE_DIR;
    options.dataFile = INSTALA_DEMO_DATA_FILE;
    options.submissionsDirectory = submissionsDir.path() / "subs";
    options.failSubmissions = failSubmissions;
    options.dropAfterBody = dropAfterBody;
    options.log = &log;
    auto created = DemoServer::create(options);
    ASSERT_TRUE(created.ok()) << created.error().message;
    server = std::move(created).value();
    auto port = server->bind(0);
    ASSERT_TRUE(port.ok()) << port.error().message;
    server->start();
    client = std::make_unique<httplib::Client>(DemoServer::kHost, *port);
  }
  void SetUp() override { startServer(); }
  void TearDown() override {
    if (server) server->stop();
  }

  httplib::Result signIn(const std::string& body) { return client->Post(kSignIn, body, "application/json"); }
  std::string validToken() {
    auto result = signIn(R"({"email":"tecnico@instala.mx","password":"Instala2026"})");
    EXPECT_TRUE(result && result->status == 200);
    return json::parse(result->body)["auth_token"].get<std::string>();
  }
  httplib::Headers bearer(const std::string& token) { return {{"Authorization", "Bearer " + token}}; }
  json getJson(const std::string& path, const std::string& token, int expectedStatus = 200) {
    auto result = client->Get(path, bearer(token));
    EXPECT_TRUE(result);
    if (!result) return nullptr;
    EXPECT_EQ(result->status, expectedStatus) << path;
    EXPECT_EQ(result->get_header_value("Content-Type"), "application/json");
    return json::parse(result->body, nullptr, false);
  }
  std::vector<std::filesystem::path> storedSubmissions() const {
    std::vector<std::filesystem::path> folders;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(submissionsDir.path() / "subs", ec)) {
      folders.push_back(entry.path());
    }
    return folders;
  }

  TempDir submissionsDir;
  std::ostringstream log;  // written by the server's threads; read only after stop()
  std::unique_ptr<DemoServer> server;
  std::unique_ptr<httplib::Client> client;
};

TEST_F(DemoServerTest, SignInWithTheDemoCredentialsGivesAFreshTokenEachTime) {
  auto first = signIn(R"({"email":"tecnico@instala.mx","password":"Instala2026"})");
  auto second = signIn(R"({"email":" Tecnico@Instala.MX","password":"Instala2026"})");
  ASSERT_TRUE(first && second);
  ASSERT_EQ(first->status, 200);
  ASSERT_EQ(second->status, 200);
  auto user = json::parse(first->body);
  EXPECT_EQ(user["name"], server->data().technician());
  ASSERT_TRUE(user["auth_token"].is_string());
  EXPECT_EQ(user["auth_token"].get<std::string>().size(), 64u);
  EXPECT_NE(user["auth_token"], json::parse(second->body)["auth_token"]);
}

struct BadSignInCase {
  std::string name;
  std::string body;
};
void PrintTo(const BadSignInCase& c, std::ostream* os) { *os << c.name; }

class DemoServerSignInTest : public DemoServerTest, public ::testing::WithParamInterface<BadSignInCase> {};

TEST_P(DemoServerSignInTest, AnswersUnauthorized) {
  auto result = signIn(GetParam().body);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 401);
  EXPECT_TRUE(json::parse(result->body)["message"].is_string());
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, DemoServerSignInTest,
    ::testing::Values(BadSignInCase{"WrongPassword", R"({"email":"tecnico@instala.mx","password":"instala2026"})"},
                      BadSignInCase{"WrongEmail", R"({"email":"otro@instala.mx","password":"Instala2026"})"},
                      BadSignInCase{"NoPassword", R"({"email":"tecnico@instala.mx"})"},
                      BadSignInCase{"PasswordNotText", R"({"email":"tecnico@instala.mx","password":2026})"},
                      BadSignInCase{"NotJson", "email=tecnico@instala.mx"}, BadSignInCase{"Empty", ""}),
    [](const auto& info) { return info.param.name; });

struct TokenCase {
  std::string name;
  std::string path;
};
void PrintTo(const TokenCase& c, std::ostream* os) { *os << c.name; }

class DemoServerTokenTest : public DemoServerTest, public ::testing::WithParamInterface<TokenCase> {};

TEST_P(DemoServerTokenTest, AcceptsOnlyAnOpenSessionsToken) {
  const std::string token = validToken();
  getJson(GetParam().path, token, 200);
  getJson(GetParam().path, "", 422);
  getJson(GetParam().path, "0123456789abcdef", 422);
  auto noHeader = client->Get(GetParam().path);
  ASSERT_TRUE(noHeader);
  EXPECT_EQ(noHeader->status, 422);
  auto otherScheme = client->Get(GetParam().path, {{"Authorization", "Token " + token}});
  ASSERT_TRUE(otherScheme);
  EXPECT_EQ(otherScheme->status, 422);
}

INSTANTIATE_TEST_SUITE_P(Requests, DemoServerTokenTest,
                         ::testing::Values(TokenCase{"ActiveTickets", kActive}, TokenCase{"ClosedTickets", kClosed},
                                           TokenCase{"PagedActiveTickets", kActive + "?page=2"},
                                           TokenCase{"Search", kSearch + "manual"}),
                         [](const auto& info) { return info.param.name; });

TEST_F(DemoServerTest, SignOutForgetsTheTokenAndRefusesAnUnknownOne) {
  const std::string token = validToken();
  auto out = client->Delete(kSignOut, bearer(token));
  ASSERT_TRUE(out);
  EXPECT_EQ(out->status, 200);
  getJson(kActive, token, 422);
  auto again = client->Delete(kSignOut, bearer(token));
  ASSERT_TRUE(again);
  EXPECT_EQ(again->status, 422);
  auto empty = client->Delete(kSignOut, bearer(""));
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->status, 422);
}

TEST_F(DemoServerTest, ListsAnswerTheSampleTicketsWithTodaysDates) {
  const std::string token = validToken();
  auto active = getJson(kActive, token);
  auto closed = getJson(kClosed, token);
  ASSERT_GE(active["tickets"].size(), 8u);
  ASSERT_GE(closed["tickets"].size(), 5u);
  EXPECT_TRUE(active == json::parse(server->data().activeTickets().dump()));
  EXPECT_TRUE(closed == json::parse(server->data().closedTickets().dump()));
  // The dates count from the day the server started; the data file stores offsets only.
  const std::string today = CivilDay::today().text();
  int ahead = 0, behind = 0;
  for (const auto& ticket : active["tickets"]) {
    ahead += ticket["date"].get<std::string>() > today;
    behind += ticket["date"].get<std::string>() < today;
    EXPECT_TRUE(ticket["unit"].is_array());
  }
  EXPECT_GT(ahead, 0);
  EXPECT_GT(behind, 0);
}

TEST_F(DemoServerTest, SearchAnswersAMessageAndOneMemberPerDocument) {
  const std::string token = validToken();
  auto all = getJson(kSearch, token);
  EXPECT_TRUE(all["message"].is_string());
  EXPECT_EQ(all.size(), server->data().documents().size() + 1);

  auto found = getJson(kSearch + "Manual%20de%20INSTALACION%20gt06n", token);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found["message"], "1 documento encontrado");
  for (const auto& [name, value] : found.items()) {
    if (name != "message") {
      EXPECT_EQ(value, "/docs/manuales/gps/manual-instalacion-gt06n.pdf");
    }
  }
  auto none = getJson(kSearch + "nada%20por%20aqu%C3%AD", token);
  EXPECT_EQ(none, (json{{"message", "No se encontraron documentos"}}));
}

TEST_F(DemoServerTest, ServesTheDocumentsTheSearchFinds) {
  for (const auto& document : server->data().documents()) {
    auto result = client->Get("/documents" + document.path);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200) << document.path;
    const bool pdf = document.path.ends_with(".pdf");
    EXPECT_EQ(result->get_header_value("Content-Type"), pdf ? "application/pdf" : "text/html; charset=utf-8");
    EXPECT_EQ(result->body.rfind(pdf ? "%PDF-" : "<!DOCTYPE html>", 0), 0u);
  }
  auto missing = client->Get("/documents/docs/no/hay/nada.pdf");
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->status, 404);
  EXPECT_TRUE(json::parse(missing->body)["message"].is_string());
}

TEST_F(DemoServerTest, GeocodesTheSampleAddressesInTheOpenStreetMapForm) {
  const std::string address = "Av. Vallarta 3233, Vallarta Poniente, 44110 Guadalajara, Jal.";
  auto known = client->Get("/geocode/search?q=" + percentEncoded(address) + "&format=json");
  ASSERT_TRUE(known);
  ASSERT_EQ(known->status, 200);
  auto places = json::parse(known->body);
  ASSERT_EQ(places.size(), 1u);
  EXPECT_EQ(places[0]["lat"], "20.6764000");
  EXPECT_EQ(places[0]["lon"], "-103.3852000");
  EXPECT_EQ(places[0]["display_name"], address);

  auto unknown = client->Get("/geocode/search?q=Calle%20Falsa%20123&format=json");
  ASSERT_TRUE(unknown);
  EXPECT_EQ(unknown->status, 200);
  EXPECT_EQ(json::parse(unknown->body), json::array());
  auto xml = client->Get("/geocode/search?q=x&format=xml");
  ASSERT_TRUE(xml);
  EXPECT_EQ(xml->status, 400);
}

TEST_F(DemoServerTest, ServesAPngTileInsideTheMapAnd404Outside) {
  auto tile = client->Get("/tiles/3/7/0.png");
  ASSERT_TRUE(tile);
  EXPECT_EQ(tile->status, 200);
  EXPECT_EQ(tile->get_header_value("Content-Type"), "image/png");
  EXPECT_EQ(tile->body.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  for (const char* outside : {"/tiles/3/8/0.png", "/tiles/2/0/4.png", "/tiles/20/0/0.png"}) {
    auto result = client->Get(outside);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 404) << outside;
  }
}

httplib::MultipartFormDataItems submissionParts() {
  return {{"ticket_id", "1042", "", ""},
          {"initial_ignition", "true", "", ""},
          {"final_observations", "", "", ""},
          {"image", std::string("\xff\xd8\xff\xe0jpeg", 8), "image", "image/png"},
          {"image2", "", "", ""},
          {"video", "mp4 bytes", "clip.mp4", "video/mp4"}};
}

TEST_F(DemoServerTest, StoresEveryPartOfAMultipartSubmission) {
  const std::string token = validToken();
  auto result = client->Post(kPost, bearer(token), submissionParts());
  ASSERT_TRUE(result);
  ASSERT_EQ(result->status, 200) << result->body;
  EXPECT_EQ(json::parse(result->body), (json{{"message", "ok"}, {"submission", 1}}));

  const auto folder = submissionsDir.path() / "subs/submission-0001";
  EXPECT_EQ(json::parse(readText(folder / "fields.json")),
            (json{{"ticket_id", "1042"}, {"initial_ignition", "true"}, {"final_observations", ""}, {"image2", ""}}));
  EXPECT_EQ(readText(folder / "image"), std::string("\xff\xd8\xff\xe0jpeg", 8));
  EXPECT_EQ(readText(folder / "video"), "mp4 bytes");
  auto manifest = json::parse(readText(folder / "manifest.json"));
  ASSERT_EQ(manifest.size(), 2u);
  EXPECT_EQ(manifest[0], (json{{"name", "image"}, {"filename", "image"}, {"content_type", "image/png"}, {"size", 8}}));
  EXPECT_EQ(manifest[1],
            (json{{"name", "video"}, {"filename", "clip.mp4"}, {"content_type", "video/mp4"}, {"size", 9}}));

  auto second = client->Post(kPost, bearer(token), submissionParts());
  ASSERT_TRUE(second);
  EXPECT_EQ(json::parse(second->body)["submission"], 2);
}

TEST_F(DemoServerTest, RefusesSubmissionsWithoutTokenOrWithBodiesItCannotTake) {
  const std::string token = validToken();
  auto noToken = client->Post(kPost, bearer("nope"), submissionParts());
  ASSERT_TRUE(noToken);
  EXPECT_EQ(noToken->status, 422);

  auto garbage = client->Post(kPost, bearer(token), "garbage\r\n--x", "multipart/form-data; boundary=zzz");
  ASSERT_TRUE(garbage);
  EXPECT_EQ(garbage->status, 400);
  EXPECT_TRUE(json::parse(garbage->body, nullptr, false)["message"].is_string()) << garbage->body;

  auto notMultipart = client->Post(kPost, bearer(token), R"({"ticket_id":1})", "application/json");
  ASSERT_TRUE(notMultipart);
  EXPECT_EQ(notMultipart->status, 400);

  auto repeated =
      client->Post(kPost, bearer(token), httplib::MultipartFormDataItems{{"a", "1", "", ""}, {"a", "2", "", ""}});
  ASSERT_TRUE(repeated);
  EXPECT_EQ(repeated->status, 400);
  EXPECT_EQ(json::parse(repeated->body)["message"], "parte repetida: \"a\"");
  EXPECT_TRUE(storedSubmissions().empty());
}

TEST_F(DemoServerTest, TheFirstSubmissionsFailOnRequestAndStoreNothing) {
  server->stop();
  startServer(2);
  const std::string token = validToken();
  for (int attempt = 0; attempt < 2; ++attempt) {
    auto failed = client->Post(kPost, bearer(token), submissionParts());
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->status, 500);
    EXPECT_TRUE(json::parse(failed->body)["message"].is_string());
    EXPECT_TRUE(storedSubmissions().empty());
  }
  auto retried = client->Post(kPost, bearer(token), submissionParts());
  ASSERT_TRUE(retried);
  EXPECT_EQ(retried->status, 200);
  EXPECT_EQ(json::parse(retried->body)["submission"], 1);
  EXPECT_EQ(storedSubmissions().size(), 1u);
}

TEST_F(DemoServerTest, AKeyStoresItsSubmissionOnceAndAnswersTheFirstAnswerAgain) {
  const std::string token = validToken();
  auto withKey = [&](const std::string& key) {
    auto headers = bearer(token);
    headers.emplace("Idempotency-Key", key);
    return headers;
  };
  auto first = client->Post(kPost, withKey("0b5e2c1a-7d4f-4e8a-9c3b-2f1d0e6a5b47"), submissionParts());
  ASSERT_TRUE(first);
  ASSERT_EQ(first->status, 200);
  auto changed = submissionParts();
  changed[0].content = "9999";
  auto repeated = client->Post(kPost, withKey("0b5e2c1a-7d4f-4e8a-9c3b-2f1d0e6a5b47"), changed);
  ASSERT_TRUE(repeated);
  EXPECT_EQ(repeated->status, 200);
  EXPECT_EQ(repeated->body, first->body);
  EXPECT_EQ(storedSubmissions().size(), 1u);
  EXPECT_EQ(json::parse(readText(submissionsDir.path() / "subs/submission-0001/fields.json"))["ticket_id"], "1042");

  auto other = client->Post(kPost, withKey("a1b2c3d4-0000-4000-8000-000000000000"), submissionParts());
  ASSERT_TRUE(other);
  EXPECT_EQ(json::parse(other->body)["submission"], 2);
  for (int i = 0; i < 2; ++i) {
    auto keyless = client->Post(kPost, bearer(token), submissionParts());
    ASSERT_TRUE(keyless);
    EXPECT_EQ(json::parse(keyless->body)["submission"], 3 + i);
  }
  auto malformed = client->Post(kPost, withKey("with space"), submissionParts());
  ASSERT_TRUE(malformed);
  EXPECT_EQ(malformed->status, 400);
  EXPECT_EQ(storedSubmissions().size(), 4u);
}

TEST_F(DemoServerTest, ADroppedSubmissionIsStoredAndItsRetryAnswersWithoutStoringAgain) {
  server->stop();
  startServer(1, 1);
  const std::string token = validToken();
  auto headers = bearer(token);
  headers.emplace("Idempotency-Key", "0b5e2c1a-7d4f-4e8a-9c3b-2f1d0e6a5b47");
  auto failed = client->Post(kPost, headers, submissionParts());
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->status, 500);
  EXPECT_TRUE(storedSubmissions().empty());
  auto dropped = client->Post(kPost, headers, submissionParts());
  EXPECT_FALSE(dropped);  // the connection closed without an answer
  EXPECT_EQ(storedSubmissions().size(), 1u);
  auto retried = client->Post(kPost, headers, submissionParts());
  ASSERT_TRUE(retried);
  EXPECT_EQ(retried->status, 200);
  EXPECT_EQ(json::parse(retried->body), (json{{"message", "ok"}, {"submission", 1}}));
  EXPECT_EQ(storedSubmissions().size(), 1u);
  // Only the first dropped: the next service is answered.
  auto next = client->Post(kPost, bearer(token), submissionParts());
  ASSERT_TRUE(next);
  EXPECT_EQ(json::parse(next->body)["submission"], 2);
}

TEST_F(DemoServerTest, LogsOneLinePerRequest) {
  const std::string token = validToken();
  client->Get(kActive, bearer(token));
  client->Get("/nowhere");
  server->stop();
  // Each line is written once its answer went out, so lines of requests on
  // different connections may come in either order.
  std::multiset<std::string> lines;
  std::istringstream text(log.str());
  for (std::string line; std::getline(text, line);) lines.insert(line);
  EXPECT_EQ(lines, (std::multiset<std::string>{"POST /api/v1/sessions 200", "GET /api/v1/tickets/active 200",
                                               "GET /nowhere 404"}));
}

}  // namespace
}  // namespace instala::demo
