// The executable as scripts use it: flags, the first line with the port, and
// the sample data found next to the binary.

#include "support/ChildProcess.h"
#include "support/DemoEnvironment.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include <regex>
#include <set>

namespace {

using instala::testing::TempDir;

// The demo server as a child process whose standard output and error come
// through one pipe.
class ServerProcess : public instala::testing::ChildProcess {
 public:
  explicit ServerProcess(std::vector<std::string> arguments)
      : ChildProcess(INSTALA_DEMO_SERVER_EXE, std::move(arguments)) {}
};

TEST(DemoServerProcessTest, PrintsItsPortFirstAndServesTheSampleDataFoundNextToIt) {
  TempDir dir;
  ServerProcess server({"--port", "0", "--submissions", (dir / "subs").string()});
  const std::string first = server.readLine().value_or("");
  std::smatch match;
  ASSERT_TRUE(
      std::regex_match(first, match, std::regex("instala-demo-server listening on http://127\\.0\\.0\\.1:([0-9]+)")))
      << first;
  std::string rest;
  for (int i = 0; i < 4; ++i) rest += server.readLine().value_or("") + "\n";
  EXPECT_NE(rest.find("tecnico@instala.mx / Instala2026"), std::string::npos) << rest;
  EXPECT_NE(rest.find("Submissions are stored in: " + (dir / "subs").string()), std::string::npos) << rest;

  httplib::Client client("127.0.0.1", std::stoi(match[1].str()));
  auto signIn =
      client.Post("/api/v1/sessions", R"({"email":"tecnico@instala.mx","password":"Instala2026"})", "application/json");
  ASSERT_TRUE(signIn);
  ASSERT_EQ(signIn->status, 200);
  const auto token = nlohmann::json::parse(signIn->body)["auth_token"].get<std::string>();
  auto list = client.Get("/api/v1/tickets/closed", {{"Authorization", "Bearer " + token}});
  ASSERT_TRUE(list);
  EXPECT_EQ(list->status, 200);
  EXPECT_GE(nlohmann::json::parse(list->body)["tickets"].size(), 5u);
  // A log line follows its answer, so the two may come in either order.
  std::set<std::string> logged{server.readLine().value_or(""), server.readLine().value_or("")};
  EXPECT_EQ(logged, (std::set<std::string>{"POST /api/v1/sessions 200", "GET /api/v1/tickets/closed 200"}));
}

TEST(DemoServerProcessTest, EnvironmentPointsABundleCopyAtTheServer) {
  instala::testing::DemoEnvironment demo;
  const std::string config = instala::testing::readText(demo.bundle() / "Server-config.plist");
  EXPECT_NE(config.find(demo.baseURL()), std::string::npos) << config;
  const std::string info = instala::testing::readText(demo.bundle() / "Info.plist");
  EXPECT_NE(info.find(demo.baseURL() + "/documents"), std::string::npos) << info;
  httplib::Client client(demo.baseURL());
  auto tickets = client.Get("/api/v1/tickets/active");
  ASSERT_TRUE(tickets);
  EXPECT_EQ(tickets->status, 422);
}

TEST(DemoServerProcessTest, HelpDescribesEveryFlag) {
  ServerProcess help({"--help"});
  const std::string text = help.readAll();
  EXPECT_EQ(help.wait(), 0);
  for (const char* flag :
       {"--port", "--bundle", "--data-file", "--submissions", "--fail-submissions", "--drop-after-body"}) {
    EXPECT_NE(text.find(flag), std::string::npos) << flag;
  }
}

struct BadStartCase {
  std::string name;
  std::vector<std::string> arguments;
  int exitCode;
  std::string expectedText;
};
void PrintTo(const BadStartCase& c, std::ostream* os) { *os << c.name; }

class DemoServerProcessRejectsTest : public ::testing::TestWithParam<BadStartCase> {};

TEST_P(DemoServerProcessRejectsTest, ExitsWithAReason) {
  ServerProcess server(GetParam().arguments);
  const std::string text = server.readAll();
  EXPECT_EQ(server.wait(), GetParam().exitCode);
  EXPECT_NE(text.find(GetParam().expectedText), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, DemoServerProcessRejectsTest,
    ::testing::Values(
        BadStartCase{"UnknownFlag", {"--verbose", "1"}, 2, "unknown option --verbose"},
        BadStartCase{"MissingValue", {"--port"}, 2, "--port needs a value"},
        BadStartCase{"PortOutOfRange", {"--port", "70000"}, 2, "--port needs a number"},
        BadStartCase{"NegativeFailures", {"--fail-submissions", "-1"}, 2, "--fail-submissions"},
        BadStartCase{"NegativeDrops", {"--drop-after-body", "-1"}, 2, "--drop-after-body"},
        BadStartCase{
            "MissingDataFile", {"--port", "0", "--data-file", "/nonexistent.json"}, 1, "cannot read /nonexistent.json"},
        BadStartCase{"MissingBundle", {"--port", "0", "--bundle", "/nonexistent"}, 1, "no Endpoints.plist"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
