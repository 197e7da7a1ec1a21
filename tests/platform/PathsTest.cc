#include "platform/Paths.h"

#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace instala::platform {
namespace {

using instala::testing::ScopedEnvironment;
using instala::testing::TempDir;

struct ConfigurationCase {
  const char* name;
  std::string configHome;  // empty: unset
  std::string home;        // empty: unset
  std::vector<std::filesystem::path> expected;
};
void PrintTo(const ConfigurationCase& c, std::ostream* out) { *out << c.name; }

class ConfigurationDirectories : public ::testing::TestWithParam<ConfigurationCase> {};

TEST_P(ConfigurationDirectories, UserFolderFirstThenTheSystemOne) {
  ScopedEnvironment environment{{"XDG_CONFIG_HOME", GetParam().configHome}, {"HOME", GetParam().home}};
  EXPECT_EQ(Paths::configurationDirectories(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Environment, ConfigurationDirectories,
    ::testing::Values(
        ConfigurationCase{"ConfigHome", "/x/config", "/home/t", {"/x/config/instala", "/etc/instala"}},
        ConfigurationCase{"HomeOnly", "", "/home/t", {"/home/t/.config/instala", "/etc/instala"}},
        ConfigurationCase{"RelativeConfigHomeIsIgnored", "config", "/home/t", {"/home/t/.config/instala", "/etc/instala"}},
        ConfigurationCase{"NoHomeNoUserFolder", "", "", {"/etc/instala"}},
        ConfigurationCase{"RelativeHomeNoUserFolder", "", "home", {"/etc/instala"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ShippedFolder, BesideTheExecutableInTheBuildTreeElseInTheInstalledDataFolder) {
  TempDir tree;
  std::filesystem::create_directories(tree / "bin");
  std::filesystem::create_directories(tree / "share/instala/bundle");
  // Installed: bin/../share/instala/NAME, without the "..".
  EXPECT_EQ(Paths::shippedFolder("bundle", tree / "bin"), tree / "share/instala/bundle");
  // Neither: still the installed place, so an error names where the folder belongs.
  EXPECT_EQ(Paths::shippedFolder("demo-data", tree / "bin"), tree / "share/instala/demo-data");
  // A file of that name beside the program is not the folder.
  tree.write("bin/demo-data", "");
  EXPECT_EQ(Paths::shippedFolder("demo-data", tree / "bin"), tree / "share/instala/demo-data");
  // Build tree: the folder beside the program wins.
  std::filesystem::create_directories(tree / "bin/bundle");
  EXPECT_EQ(Paths::shippedFolder("bundle", tree / "bin"), tree / "bin/bundle");
}

TEST(ShippedFolder, ThisTestFindsTheBuiltBundle) {
  EXPECT_EQ(Paths::shippedFolder("bundle"), Paths::executableDirectory() / "bundle");
}

}  // namespace
}  // namespace instala::platform
