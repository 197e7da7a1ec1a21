#include "platform/Bundle.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace instala::platform {
namespace {

using instala::testing::TempDir;

TEST(Bundle, LocatedFromOptionThenEnvironmentThenNextToTheExecutable) {
  ::setenv("INSTALA_BUNDLE", "/from/env", 1);
  EXPECT_EQ(Bundle::locate(std::filesystem::path("/from/option")), "/from/option");
  EXPECT_EQ(Bundle::locate(std::nullopt), "/from/env");
  ::unsetenv("INSTALA_BUNDLE");
  auto nextToExe = Bundle::locate(std::nullopt);
  EXPECT_EQ(nextToExe.filename(), "bundle");
}

TEST(Bundle, BuiltBundleCarriesVersionAndIdentity) {
  ::unsetenv("INSTALA_BUNDLE");
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
