#include "RouteTable.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <regex>

namespace instala::demo {
namespace {

using instala::testing::TempDir;

std::string endpointsPlist(const std::string& searchURL, bool withSignOut = true) {
  std::string entries;
  auto entry = [&](const char* name, const std::string& url) {
    entries += std::string("<key>") + name + "</key><dict><key>URL</key><string>" + url + "</string></dict>";
  };
  entry("signIn", "/in");
  if (withSignOut) entry("signOut", "/out");
  entry("activeTickets", "/active");
  entry("activeTicketsWithPage", "/active?page=");
  entry("closedTickets", "/closed");
  entry("postData", "/post");
  entry("search", searchURL);
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict><key>Endpoints</key><dict>" + entries +
         "</dict></dict></plist>";
}

TEST(RouteTableTest, TakesThePathsOfTheShippedBundle) {
  auto routes = RouteTable::load(platform::Bundle(INSTALA_BUILD_BUNDLE_DIR));
  ASSERT_TRUE(routes.ok()) << routes.error().message;
  EXPECT_EQ(routes->path(Endpoint::signIn), "/api/v1/sessions");
  EXPECT_EQ(routes->path(Endpoint::signOut), "/api/v1/sessions/current");
  EXPECT_EQ(routes->path(Endpoint::activeTicketsWithPage), "/api/v1/tickets/active");
  EXPECT_EQ(routes->path(Endpoint::search), "/api/v1/documents/search");
  EXPECT_EQ(routes->searchParameter(), "text");
  EXPECT_EQ(routes->documentsPath(), "/documents");
  EXPECT_EQ(routes->geocoderPath(), "/geocode/search");
  EXPECT_EQ(routes->tilesPath(), "/tiles/{z}/{x}/{y}.png");

  std::smatch match;
  const std::string documentPath = "/documents/docs/tickets/42/manual.pdf";
  ASSERT_TRUE(std::regex_match(documentPath, match, std::regex(routes->documentsPattern())));
  EXPECT_EQ(match[1].str(), "/docs/tickets/42/manual.pdf");
  const std::string tilePath = "/tiles/3/2/1.png";
  ASSERT_TRUE(std::regex_match(tilePath, match, std::regex(routes->tilesPattern())));
  EXPECT_EQ(match[1].str() + match[2].str() + match[3].str(), "321");
  EXPECT_FALSE(std::regex_match(std::string("/tiles/3/2/1xpng"), std::regex(routes->tilesPattern())));
  EXPECT_FALSE(std::regex_match(std::string("/api/v1/sessionsX"), std::regex(routes->pattern(Endpoint::signIn))));
}

TEST(RouteTableTest, WithoutInfoPlistUsesTheBuildsDefaultURLs) {
  auto routes = RouteTable::load(platform::Bundle(INSTALA_SOURCE_BUNDLE_DIR));
  ASSERT_TRUE(routes.ok()) << routes.error().message;
  EXPECT_EQ(routes->documentsPath(), "/documents");
}

TEST(RouteTableTest, ASearchPlaceholderInThePathBecomesACaptureGroup) {
  TempDir dir;
  dir.write("Endpoints.plist", endpointsPlist("/find/{searchText}/docs"));
  auto routes = RouteTable::load(platform::Bundle(dir.path()));
  ASSERT_TRUE(routes.ok()) << routes.error().message;
  EXPECT_EQ(routes->searchParameter(), "");
  std::smatch match;
  const std::string path = "/find/manual gps/docs";
  ASSERT_TRUE(std::regex_match(path, match, std::regex(routes->pattern(Endpoint::search))));
  EXPECT_EQ(match[1].str(), "manual gps");
}

TEST(RouteTableTest, TileAxesMayComeInAnyOrder) {
  TempDir dir;
  dir.write("Endpoints.plist", endpointsPlist("/s?q={searchText}"));
  dir.write("Info.plist",
            "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>InstalaTileURLTemplate</key>"
            "<string>http://h:1/t/{z}/{y}/{x}.png</string></dict></plist>");
  auto routes = RouteTable::load(platform::Bundle(dir.path()));
  ASSERT_TRUE(routes.ok()) << routes.error().message;
  EXPECT_EQ(routes->searchParameter(), "q");
  EXPECT_EQ(routes->tileOrder(), (std::array<char, 3>{'z', 'y', 'x'}));
}

struct BadBundleCase {
  std::string name;
  std::string endpoints;  // empty: no Endpoints.plist
  std::string expectedProblem;
};
void PrintTo(const BadBundleCase& c, std::ostream* os) { *os << c.name; }

class RouteTableRejectsTest : public ::testing::TestWithParam<BadBundleCase> {};

TEST_P(RouteTableRejectsTest, NamesWhatIsWrong) {
  TempDir dir;
  if (!GetParam().endpoints.empty()) dir.write("Endpoints.plist", GetParam().endpoints);
  auto routes = RouteTable::load(platform::Bundle(dir.path()));
  ASSERT_FALSE(routes.ok());
  EXPECT_NE(routes.error().message.find(GetParam().expectedProblem), std::string::npos) << routes.error().message;
}

INSTANTIATE_TEST_SUITE_P(
    Bundles, RouteTableRejectsTest,
    ::testing::Values(BadBundleCase{"NoEndpointsFile", "", "no Endpoints.plist"},
                      BadBundleCase{"NotAPlist", "garbage", "no \"Endpoints\" dictionary"},
                      BadBundleCase{"MissingEndpoint", endpointsPlist("/s?text={searchText}", false), "\"signOut\""},
                      BadBundleCase{"SearchWithoutPlaceholder", endpointsPlist("/s?text=x"), "{searchText}"}),
    [](const auto& info) { return info.param.name; });

TEST(RouteTableTest, EscapesRegularExpressionCharacters) {
  EXPECT_EQ(RouteTable::regexEscape("/a.b?c=(d)"), "/a\\.b\\?c=\\(d\\)");
}

}  // namespace
}  // namespace instala::demo
