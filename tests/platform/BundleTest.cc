#include "platform/Bundle.h"

#include "platform/Paths.h"

#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace instala::platform {
namespace {

using instala::testing::ScopedEnvironment;
using instala::testing::TempDir;

struct LocatedCase {
  const char* name;
  std::optional<std::filesystem::path> option;
  std::string environment;  // INSTALA_BUNDLE; empty: unset
  std::filesystem::path root;
  bool administered;  // takes the administrator's configuration directories
};
void PrintTo(const LocatedCase& c, std::ostream* out) { *out << c.name; }

class BundleLocated : public ::testing::TestWithParam<LocatedCase> {};

TEST_P(BundleLocated, FromOptionThenEnvironmentThenTheShippedOne) {
  ScopedEnvironment environment{{"INSTALA_BUNDLE", GetParam().environment}, {"XDG_CONFIG_HOME", "/x/config"}};
  const Bundle bundle = Bundle::located(GetParam().option);
  const auto root = GetParam().root.empty() ? Paths::shippedFolder("bundle") : GetParam().root;
  EXPECT_EQ(bundle.root(), root);
  EXPECT_EQ(Bundle::locate(GetParam().option), root);
  // A bundle someone named brings its own configuration; only the installed application is administered.
  EXPECT_EQ(bundle.configurationDirectories(),
            GetParam().administered ? Paths::configurationDirectories() : std::vector<std::filesystem::path>{});
}

INSTANTIATE_TEST_SUITE_P(
    Choices, BundleLocated,
    ::testing::Values(LocatedCase{"Option", "/from/option", "/from/env", "/from/option", false},
                      LocatedCase{"Environment", std::nullopt, "/from/env", "/from/env", false},
                      LocatedCase{"EmptyOptionFallsThrough", "", "/from/env", "/from/env", false},
                      LocatedCase{"Shipped", std::nullopt, "", "", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Bundle, AdministratorsFilesComeFirstInTheirOrderThenTheBundles) {
  TempDir dir;
  Bundle bundle(dir / "bundle", {dir / "user", dir / "system"});
  EXPECT_TRUE(bundle.configurationFiles("Server-config", "plist").empty());
  dir.write("bundle/Server-config.plist", "b");
  dir.write("system/Server-config.plist", "s");
  EXPECT_EQ(bundle.configurationFiles("Server-config", "plist"),
            (std::vector{dir / "system/Server-config.plist", dir / "bundle/Server-config.plist"}));
  dir.write("user/Server-config.plist", "u");
  EXPECT_EQ(bundle.configurationFiles("Server-config", "plist"),
            (std::vector{dir / "user/Server-config.plist", dir / "system/Server-config.plist",
                         dir / "bundle/Server-config.plist"}));
  // Only regular files count: a folder of that name is passed over.
  std::filesystem::remove(dir / "user/Server-config.plist");
  std::filesystem::create_directories(dir / "user/Server-config.plist");
  EXPECT_EQ(bundle.configurationFiles("Server-config", "plist").front(), dir / "system/Server-config.plist");
  // The bundle's own resources stay the bundle's.
  EXPECT_EQ(bundle.pathForResource("Server-config", "plist"), dir / "bundle/Server-config.plist");
}

TEST(Bundle, BuiltBundleCarriesVersionAndIdentity) {
  ScopedEnvironment environment{{"INSTALA_BUNDLE", ""}};
  Bundle bundle(Bundle::locate(std::nullopt));
  auto info = bundle.infoDictionary();
  ASSERT_TRUE(info) << bundle.root();
  EXPECT_EQ(dictString(*info, "CFBundleExecutable"), "instala");
  EXPECT_TRUE(dictString(*info, "CFBundleIdentifier"));
  EXPECT_TRUE(dictString(*info, "CFBundleShortVersionString"));
  EXPECT_TRUE(dictString(*info, "CFBundleVersion"));
  EXPECT_TRUE(bundle.pathForResource("Endpoints", "plist"));
  EXPECT_TRUE(bundle.pathForResource("Server-config", "plist"));
}

TEST(Bundle, MissingResourcesAndInfoAreNothing) {
  TempDir dir;
  Bundle bundle(dir.path());
  EXPECT_FALSE(bundle.pathForResource("Endpoints", "plist"));
  EXPECT_FALSE(bundle.infoDictionary());
  dir.write("Info.plist", "not a plist");
  EXPECT_FALSE(bundle.infoDictionary());
}

}  // namespace
}  // namespace instala::platform
