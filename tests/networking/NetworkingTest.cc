#include "networking/Networking.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace instala {
namespace {

using instala::testing::TempDir;

std::string plist(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body + "\n</plist>\n";
}

std::string serverConfig(const std::string& url) { return plist("<dict><key>URL</key><string>" + url + "</string></dict>"); }

std::string endpoints(const std::string& entries) {
  return plist("<dict><key>Endpoints</key><dict>" + entries + "</dict></dict>");
}

std::string entry(const std::string& name, const std::string& url) {
  return "<key>" + name + "</key><dict><key>URL</key><string>" + url + "</string></dict>";
}

struct JoinCase {
  std::string base;
  std::string endpointsFile;  // empty: no file
  Endpoint endpoint;
  std::string expected;
};

void PrintTo(const JoinCase& c, std::ostream* os) { *os << endpointName(c.endpoint) << " on " << c.base; }

class EndpointURL : public ::testing::TestWithParam<JoinCase> {};

TEST_P(EndpointURL, BaseFollowedDirectlyByThePath) {
  TempDir bundle;
  bundle.write("Server-config.plist", serverConfig(GetParam().base));
  if (!GetParam().endpointsFile.empty()) bundle.write("Endpoints.plist", GetParam().endpointsFile);
  Networking networking{platform::Bundle(bundle.path())};
  EXPECT_EQ(networking.endpointURL(GetParam().endpoint), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Joining, EndpointURL,
    ::testing::Values(
        JoinCase{"http://h:1/", endpoints(entry("signIn", "/login")), Endpoint::signIn, "http://h:1//login"},
        JoinCase{"http://h:1", endpoints(entry("signIn", "login")), Endpoint::signIn, "http://h:1login"},
        JoinCase{"http://h:1", endpoints(entry("search", "/s/{searchText}")), Endpoint::search,
                 "http://h:1/s/{searchText}"},
        JoinCase{"http://h:1", endpoints(entry("signIn", "/login")), Endpoint::signOut, "http://h:1"},
        JoinCase{"http://h:1", endpoints("<key>signIn</key><string>/login</string>"), Endpoint::signIn, "http://h:1"},
        JoinCase{"http://h:1", endpoints("<key>signIn</key><dict><key>URL</key><integer>4</integer></dict>"),
                 Endpoint::signIn, "http://h:1"},
        JoinCase{"http://h:1", plist("<dict><key>Other</key><dict/></dict>"), Endpoint::signIn, "http://h:1"},
        JoinCase{"http://h:1", "garbage", Endpoint::signIn, "http://h:1"},
        JoinCase{"http://h:1", "", Endpoint::activeTickets, "http://h:1"},
        JoinCase{"http://h:1", endpoints(entry("activeTicketsWithPage", "/p?page=")), Endpoint::activeTicketsWithPage,
                 "http://h:1/p?page="},
        // Keys of any kind that nothing reads, dates included, are ignored.
        JoinCase{"http://h:1",
                 plist("<dict><key>Generated</key><date>2024-01-01T00:00:00Z</date><key>Endpoints</key><dict>" +
                       entry("signIn", "/login") + "</dict></dict>"),
                 Endpoint::signIn, "http://h:1/login"},
        JoinCase{"http://h:1",
                 endpoints("<key>signIn</key><dict><key>Since</key><date>2024-01-01T00:00:00Z</date>"
                           "<key>URL</key><string>/login</string></dict>"),
                 Endpoint::signIn, "http://h:1/login"}));

TEST(ServerBaseURL, AnExtraDateKeyOfServerConfigIsIgnored) {
  TempDir bundle;
  bundle.write("Server-config.plist",
               plist("<dict><key>Updated</key><date>2024-01-01T00:00:00Z</date><key>URL</key><string>http://h:1</string>"
                     "<key>Archive</key><data>AP8Q</data></dict>"));
  Networking networking{platform::Bundle(bundle.path())};
  // In a child process: a refused file stops the process ("Cannot find the 'Server-config.plist' ...").
  EXPECT_EXIT(std::exit(networking.serverBaseURL() == "http://h:1" ? 0 : 1), ::testing::ExitedWithCode(0), "");
}

TEST(Networking, ReadsBinaryPropertyLists) {
  TempDir bundle;
  auto config = platform::encodePropertyList(platform::PlistDict{{"URL", "http://bin"}}, platform::PlistFormat::binary);
  auto list = platform::encodePropertyList(
      platform::PlistDict{{"Endpoints", platform::PlistDict{{"closedTickets", platform::PlistDict{{"URL", "/c"}}}}}},
      platform::PlistFormat::binary);
  bundle.write("Server-config.plist", std::string(config->begin(), config->end()));
  bundle.write("Endpoints.plist", std::string(list->begin(), list->end()));
  Networking networking{platform::Bundle(bundle.path())};
  EXPECT_EQ(networking.endpointURL(Endpoint::closedTickets), "http://bin/c");
  EXPECT_EQ(networking.endpointKey(), "Endpoints");
  EXPECT_EQ(networking.endpointsDictionary().size(), 1u);
}

TEST(Networking, BaseURLIsReadAnewForEveryURL) {
  TempDir bundle;
  bundle.write("Server-config.plist", serverConfig("http://one"));
  Networking networking{platform::Bundle(bundle.path())};
  EXPECT_EQ(networking.serverBaseURL(), "http://one");
  bundle.write("Server-config.plist", serverConfig("http://two"));
  EXPECT_EQ(networking.serverBaseURL(), "http://two");
}

TEST(Networking, ShippedBundleConfiguresEveryEndpoint) {
  Networking networking{platform::Bundle(platform::Bundle::locate(std::nullopt))};
  const std::string base = networking.serverBaseURL();
  for (Endpoint endpoint : kAllEndpoints) {
    EXPECT_GT(networking.endpointURL(endpoint).size(), base.size()) << endpointName(endpoint);
  }
  EXPECT_NE(networking.endpointURL(Endpoint::search).find("{searchText}"), std::string::npos);
}

struct TextFormCase {
  const char* name;
  std::string value;  // the property-list value under "URL"
  std::string text;
};

void PrintTo(const TextFormCase& c, std::ostream* os) { *os << c.name; }

class BaseURLTextForm : public ::testing::TestWithParam<TextFormCase> {};

// Whatever the value's type, its text form goes on (the process does not stop);
// the request layer then refuses a text that is no URL.
TEST_P(BaseURLTextForm, IsTheValuesTextFollowedByThePath) {
  TempDir bundle;
  bundle.write("Server-config.plist", plist("<dict><key>URL</key>" + GetParam().value + "</dict>"));
  bundle.write("Endpoints.plist", endpoints(entry("signIn", "/login")));
  Networking networking{platform::Bundle(bundle.path())};
  EXPECT_EQ(networking.serverBaseURL(), GetParam().text);
  EXPECT_EQ(networking.endpointURL(Endpoint::signIn), GetParam().text + "/login");
}

INSTANTIATE_TEST_SUITE_P(
    Values, BaseURLTextForm,
    ::testing::Values(TextFormCase{"Text", "<string>http://h:1</string>", "http://h:1"},
                      TextFormCase{"EmptyText", "<string></string>", ""},
                      TextFormCase{"Integer", "<integer>8765</integer>", "8765"},
                      TextFormCase{"NegativeInteger", "<integer>-5</integer>", "-5"},
                      TextFormCase{"Real", "<real>1.5</real>", "1.5"},
                      TextFormCase{"WholeReal", "<real>2.0</real>", "2"},
                      TextFormCase{"TenthReal", "<real>0.1</real>", "0.1"},
                      TextFormCase{"True", "<true/>", "1"},
                      TextFormCase{"False", "<false/>", "0"},
                      TextFormCase{"Data", "<data>AQIDBAX/</data>", "<01020304 05ff>"},
                      TextFormCase{"EmptyData", "<data></data>", "<>"},
                      TextFormCase{"Array", "<array><string>http://h</string><real>2.5</real></array>", "(http://h, 2.5)"},
                      TextFormCase{"EmptyArray", "<array/>", "()"},
                      TextFormCase{"Date", "<date>2026-12-09T14:05:09Z</date>", "2026-12-09 14:05:09 +0000"},
                      TextFormCase{"DateBefore2001", "<date>1999-12-31T23:59:59Z</date>", "1999-12-31 23:59:59 +0000"},
                      TextFormCase{"Dictionary",
                                   "<dict><key>b</key><string>x</string><key>a</key><array><integer>1</integer>"
                                   "</array></dict>",
                                   "{a = (1); b = x; }"}),
    [](const auto& info) { return std::string(info.param.name); });

using NetworkingDeathTest = ::testing::Test;

TEST(NetworkingDeathTest, MissingServerConfigStopsAtTheFirstURLNotBefore) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (std::string config : {std::string(), std::string("garbage"), plist("<dict><key>Other</key><string>x</string></dict>")}) {
    TempDir bundle;
    if (!config.empty()) bundle.write("Server-config.plist", config);
    Networking networking{platform::Bundle(bundle.path())};  // creating it is fine
    EXPECT_EXIT(networking.endpointURL(Endpoint::signIn), ::testing::ExitedWithCode(1),
                "Cannot find the 'Server-config.plist' or required parameters");
  }
}

}  // namespace
}  // namespace instala
