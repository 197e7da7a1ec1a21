#include "app/Launch.h"

#include "platform/Bundle.h"
#include "platform/Paths.h"
#include "platform/Preferences.h"
#include "ui/NavigationController.h"
#include "ui/TabBarController.h"

#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"
#include "support/UiTest.h"

#include <gtest/gtest.h>

namespace instala {
namespace {

struct OptionsCase {
  const char* name;
  std::vector<std::string> arguments;
  std::optional<std::string> bundle;
  std::optional<std::string> data;
  std::vector<std::string> remaining;
  std::optional<std::string> error;
};
void PrintTo(const OptionsCase& c, std::ostream* out) { *out << c.name; }

class LaunchOptionsTest : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(LaunchOptionsTest, Parses) {
  auto options = parseLaunchOptions(GetParam().arguments);
  if (GetParam().error) {
    ASSERT_FALSE(options);
    EXPECT_EQ(options.error().message, *GetParam().error);
    return;
  }
  ASSERT_TRUE(options);
  EXPECT_EQ(options->bundle, GetParam().bundle);
  EXPECT_EQ(options->data, GetParam().data);
  EXPECT_EQ(options->remaining, GetParam().remaining);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, LaunchOptionsTest,
    ::testing::Values(OptionsCase{"None", {}, std::nullopt, std::nullopt, {}, std::nullopt},
                      OptionsCase{"Both", {"--bundle", "/b", "--data", "/d"}, "/b", "/d", {}, std::nullopt},
                      OptionsCase{"Others", {"--manual-clock", "--data", "/d", "x"}, std::nullopt, "/d",
                                  {"--manual-clock", "x"}, std::nullopt},
                      OptionsCase{"MissingValue", {"--data"}, {}, {}, {}, "--data needs a directory"},
                      OptionsCase{"EmptyValue", {"--bundle", ""}, {}, {}, {}, "--bundle needs a directory"}),
    [](const auto& info) { return std::string(info.param.name); });

struct TokenCase {
  const char* name;
  std::optional<std::string> token;
  bool tabbed;
};
void PrintTo(const TokenCase& c, std::ostream* out) { *out << c.name; }

class FirstScreenTest : public testing::UiTest, public ::testing::WithParamInterface<TokenCase> {};

TEST_P(FirstScreenTest, IsChosenByTheStoredToken) {
  testing::TempDir data;
  if (GetParam().token) {
    platform::Preferences store(data / "Preferences.plist");
    store.setObject(*GetParam().token, "token");
  }
  LaunchOptions options;
  options.data = data.path();
  // Named, so a stored token's first request never reads an administrator's server address.
  options.bundle = platform::Bundle::locate(std::nullopt);
  auto delegate = launchApplication(options);
  ASSERT_TRUE(delegate) << delegate.error().message;
  auto window = delegate.value()->window();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isKeyWindow());
  EXPECT_EQ(ui::Application::shared().delegate(), delegate.value());
  auto root = window->rootViewController();
  if (GetParam().tabbed) {
    auto tabs = std::dynamic_pointer_cast<ui::TabBarController>(root);
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(root->storyboardIdentifier(), "UITabBarController");
    auto first = std::dynamic_pointer_cast<ui::NavigationController>(tabs->selectedViewController());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->topViewController()->className(), "ActivesTableViewController");
  } else {
    EXPECT_EQ(root->className(), "LoginViewController");
  }
  // The decision reads the token but never writes it.
  EXPECT_EQ(platform::Preferences::standard().stringForKey("token"), GetParam().token);
}

INSTANTIATE_TEST_SUITE_P(Tokens, FirstScreenTest,
                         ::testing::Values(TokenCase{"Absent", std::nullopt, false}, TokenCase{"Empty", "", false},
                                           TokenCase{"Stored", "any-token-even-a-stale-one", true}),
                         [](const auto& info) { return std::string(info.param.name); });

class LaunchCleanupTest : public testing::UiTest {};

// Saves that a kill interrupted (the preferences, a photo) leave temporary
// files behind; the next start removes them and nothing else.
TEST_F(LaunchCleanupTest, TemporaryFilesOfInterruptedSavesAreRemovedAtStart) {
  testing::TempDir data;
  const std::vector<std::string> leftovers = {".Preferences.plist.Ab12Cd", ".Preferences.plist.x9Y8z7",
                                              "Documents/.img-2.Qw3Er4", "Documents/.img-5.000000"};
  const std::vector<std::string> kept = {"Documents/img-1", "notes.txt", ".hidden", "Preferences.plist.corrupt"};
  for (const auto& name : leftovers) data.write(name, std::string(92 * 1024, 'x'));
  for (const auto& name : kept) data.write(name, "kept");
  LaunchOptions options;
  options.data = data.path();
  ASSERT_TRUE(launchApplication(options));
  for (const auto& name : leftovers) EXPECT_FALSE(std::filesystem::exists(data / name)) << name;
  for (const auto& name : kept) EXPECT_TRUE(std::filesystem::exists(data / name)) << name;
}

class LaunchBundleTest : public testing::UiTest {
 protected:
  void TearDown() override {
    platform::Bundle::setMain(platform::Bundle::locate(std::nullopt));
    testing::UiTest::TearDown();
  }
};

TEST_F(LaunchBundleTest, TheShippedBundleIsAdministeredANamedOneIsNot) {
  testing::TempDir data;
  testing::ScopedEnvironment environment{{"INSTALA_BUNDLE", ""}, {"XDG_CONFIG_HOME", (data / "config").string()}};
  LaunchOptions options;
  options.data = data.path();
  ASSERT_TRUE(launchApplication(options));
  EXPECT_EQ(platform::Bundle::main().root(), platform::Paths::shippedFolder("bundle"));
  EXPECT_EQ(platform::Bundle::main().configurationDirectories(),
            (std::vector<std::filesystem::path>{data / "config/instala", "/etc/instala"}));

  ui::Application::shared().reset();
  options.bundle = platform::Paths::shippedFolder("bundle");
  ASSERT_TRUE(launchApplication(options));
  EXPECT_TRUE(platform::Bundle::main().configurationDirectories().empty());
}

TEST(LaunchFailureTest, AMissingBundleIsReported) {
  testing::TempDir dir;
  LaunchOptions options;
  options.bundle = dir / "nowhere";
  auto delegate = launchApplication(options);
  ASSERT_FALSE(delegate);
  EXPECT_NE(delegate.error().message.find("is not a directory"), std::string::npos);
}

TEST(LaunchFailureTest, ABundleWithoutTheStoryboardCannotShowAFirstScreen) {
  testing::TempDir bundle;
  testing::TempDir data;
  LaunchOptions options;
  options.bundle = bundle.path();
  options.data = data.path();
  auto delegate = launchApplication(options);
  ASSERT_FALSE(delegate);
  EXPECT_EQ(delegate.error().message, "the application could not show its first screen");
  ui::Application::shared().reset();
  platform::Bundle::setMain(platform::Bundle::locate(std::nullopt));
}

}  // namespace
}  // namespace instala
