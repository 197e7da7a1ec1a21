// Where the base URL comes from when an administrator may override the
// bundle's "Server-config.plist": the user's folder, then the system's, then
// the bundle. Files that cannot serve are passed over.
#include "networking/Networking.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace instala {
namespace {

using instala::testing::TempDir;

std::string config(const std::string& url) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict><key>URL</key><string>" + url +
         "</string></dict>\n</plist>\n";
}
const std::string noURL =
    "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Other</key><string>http://x</string></dict></plist>";
const std::string urlNotText =
    "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>URL</key><dict/></dict></plist>";

struct LookupCase {
  const char* name;
  std::optional<std::string> user, system, bundle;  // file contents; nothing: no file
  std::string expected;
};
void PrintTo(const LookupCase& c, std::ostream* out) { *out << c.name; }

class ServerConfigLookup : public ::testing::TestWithParam<LookupCase> {
 protected:
  // The bundle "bundle" administered from "user" and then "system".
  Networking networking() const {
    const auto& c = GetParam();
    for (const auto& [folder, content] : {std::pair{"user", c.user}, {"system", c.system}, {"bundle", c.bundle}}) {
      if (content) dir_.write(std::string(folder) + "/Server-config.plist", *content);
    }
    dir_.write("bundle/Endpoints.plist", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Endpoints</key>"
                                         "<dict><key>signIn</key><dict><key>URL</key><string>/login</string></dict>"
                                         "</dict></dict></plist>");
    return Networking(platform::Bundle(dir_ / "bundle", {dir_ / "user", dir_ / "system"}));
  }
  TempDir dir_;
};

TEST_P(ServerConfigLookup, FirstUsableFileGivesTheBase) {
  auto subject = networking();
  EXPECT_EQ(subject.serverBaseURL(), GetParam().expected);
  EXPECT_EQ(subject.endpointURL(Endpoint::signIn), GetParam().expected + "/login");
}

INSTANTIATE_TEST_SUITE_P(
    Files, ServerConfigLookup,
    ::testing::Values(
        LookupCase{"UserFirst", config("http://user"), config("http://system"), config("http://bundle"), "http://user"},
        LookupCase{"ThenSystem", std::nullopt, config("http://system"), config("http://bundle"), "http://system"},
        LookupCase{"ThenBundle", std::nullopt, std::nullopt, config("http://bundle"), "http://bundle"},
        LookupCase{"AdministratorsOnly", config("http://user"), std::nullopt, std::nullopt, "http://user"},
        LookupCase{"UserNotAPropertyList", "garbage", config("http://system"), config("http://bundle"),
                   "http://system"},
        LookupCase{"UserWithoutURL", noURL, config("http://system"), config("http://bundle"), "http://system"},
        LookupCase{"UserURLNotText", urlNotText, std::nullopt, config("http://bundle"), "http://bundle"},
        LookupCase{"EmptyFiles", "", "", config("http://bundle"), "http://bundle"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ServerConfigLookupChanges, TakeEffectAtTheNextURL) {
  TempDir dir;
  dir.write("bundle/Server-config.plist", config("http://bundle"));
  Networking networking(platform::Bundle(dir / "bundle", {dir / "user", dir / "system"}));
  EXPECT_EQ(networking.serverBaseURL(), "http://bundle");
  dir.write("system/Server-config.plist", config("http://system"));
  EXPECT_EQ(networking.serverBaseURL(), "http://system");
  dir.write("user/Server-config.plist", config("http://user"));
  EXPECT_EQ(networking.serverBaseURL(), "http://user");
  std::filesystem::remove(dir / "user/Server-config.plist");
  EXPECT_EQ(networking.serverBaseURL(), "http://system");
}

TEST(ServerConfigLookupChanges, AChosenBundleIgnoresTheAdministratorsFolders) {
  TempDir dir;
  dir.write("bundle/Server-config.plist", config("http://bundle"));
  dir.write("user/Server-config.plist", config("http://user"));
  Networking networking(platform::Bundle(dir / "bundle"));
  EXPECT_EQ(networking.serverBaseURL(), "http://bundle");
}

using ServerConfigLookupDeathTest = ::testing::Test;

TEST(ServerConfigLookupDeathTest, NoUsableFileAnywhereStopsWithTheMessage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TempDir dir;
  dir.write("user/Server-config.plist", "garbage");
  dir.write("system/Server-config.plist", noURL);
  Networking networking(platform::Bundle(dir / "bundle", {dir / "user", dir / "system"}));
  EXPECT_EXIT(networking.endpointURL(Endpoint::signIn), ::testing::ExitedWithCode(1),
              "user/Server-config.plist is unreadable or has no \"URL\"; skipped\n.*"
              "system/Server-config.plist is unreadable or has no \"URL\"; skipped\n"
              "Cannot find the 'Server-config.plist' or required parameters");
}

}  // namespace
}  // namespace instala
