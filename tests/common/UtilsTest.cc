#include "common/Utils.h"

#include "platform/Bundle.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Preferences.h"
#include "support/CapturedOutput.h"
#include "support/TempDir.h"
#include "support/UiTest.h"
#include "ui/Storyboard.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace instala {
namespace {

class WindowOwner : public ui::ApplicationDelegate {
 public:
  bool didFinishLaunching(ui::Application&) override { return true; }
  std::shared_ptr<ui::Window> window() const override { return window_; }
  std::shared_ptr<ui::Window> window_;
};

class ChangeRootTest : public testing::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    bundle.write("Main.storyboard.json", R"({ "scenes": [
      { "id": "LoginViewController", "class": "ViewController", "title": "Entrar" },
      { "id": "Home", "class": "ViewController", "title": "Inicio" } ] })");
    platform::Bundle::setMain(bundle.path());
    delegate->window_ = show(ui::Storyboard::named("Main")->instantiateViewController("Home"));
    ui::Application::shared().setDelegate(delegate);
  }
  void TearDown() override {
    platform::Bundle::setMain(platform::Bundle::locate(std::nullopt));
    UiTest::TearDown();
  }
  testing::TempDir bundle;
  std::shared_ptr<WindowOwner> delegate = std::make_shared<WindowOwner>();
};

TEST_F(ChangeRootTest, ReplacesTheWholeHierarchyWithACrossDissolve) {
  auto home = window->rootViewController();
  home->present(std::make_shared<ui::ViewController>(), false);
  Utils::changeRootViewController("LoginViewController");
  ASSERT_NE(window->rootViewController(), home);
  EXPECT_EQ(window->rootViewController()->title(), "Entrar");
  EXPECT_EQ(home->presentedViewController(), nullptr);
  EXPECT_TRUE(window->isKeyWindow());
  const auto& request = ui::Application::shared().animationRequests().back();
  EXPECT_EQ(request.kind, ui::AnimationRequest::Kind::transition);
  EXPECT_EQ(request.duration, 0.3);
  EXPECT_TRUE(ui::contains(request.options, ui::AnimationOptions::transitionCrossDissolve));
  EXPECT_EQ(request.view.lock(), window);
}

TEST_F(ChangeRootTest, AnUnknownIdentifierChangesNothing) {
  auto home = window->rootViewController();
  Utils::changeRootViewController("Nope");
  EXPECT_EQ(window->rootViewController(), home);
}

// The photo store and the preference reset.
ui::Image photo(std::uint8_t shade, int width = 16, int height = 8) {
  platform::Bytes pixels(static_cast<std::size_t>(width * height * 3), shade);
  return ui::Image(*platform::Image::fromRGB(width, height, std::move(pixels)));
}

class UtilsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::Paths::setDataDirectory(dir.path());
    platform::Preferences::standard().open(dir / "Preferences.plist");
  }
  void TearDown() override { platform::Paths::setDataDirectory({}); }
  std::filesystem::path documents() const { return platform::Paths::documentsDirectory(); }

  testing::TempDir dir;
};

TEST_F(UtilsTest, SavingTheSameNameTwiceReplacesThePhoto) {
  EXPECT_FALSE(Utils::saveImage("img-1", photo(40, 16, 8)));
  EXPECT_FALSE(Utils::saveImage("img-1", photo(200, 24, 12)));
  auto loaded = Utils::loadImage("img-1");
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->size(), (ui::Size{24, 12}));
  // Only the photo itself: no temporary file is left next to it.
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(documents())) {
    EXPECT_EQ(entry.path().filename(), "img-1");
    ++files;
  }
  EXPECT_EQ(files, 1u);
}

TEST_F(UtilsTest, APhotoIsAJpegFileAtQualityAQuarterUnderItsExactName) {
  auto image = photo(90, 32, 32);
  EXPECT_FALSE(Utils::saveImage("img-3", image));
  auto file = documents() / "img-3";
  ASSERT_TRUE(std::filesystem::is_regular_file(file));
  auto bytes = platform::readFile(file);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(*bytes, *image.jpegRepresentation(0.25));
  EXPECT_EQ(std::filesystem::status(file).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(UtilsTest, ANameNeverSavedOrNotAPhotoLoadsNothing) {
  EXPECT_FALSE(Utils::loadImage("img-5"));
  std::filesystem::create_directories(documents());
  std::ofstream(documents() / "img-4") << "not a jpeg";
  EXPECT_FALSE(Utils::loadImage("img-4"));
  // A folder or a FIFO in a photo's place is a slot without a photo; a FIFO
  // must not block the submission that reads it (the alarm ends the child if it does).
  std::filesystem::create_directories(documents() / "img-1" / "inside");
  ASSERT_EQ(mkfifo((documents() / "img-2").c_str(), 0600), 0);
  EXPECT_EXIT(
      {
        alarm(30);
        std::exit(!Utils::loadImage("img-1") && !Utils::loadImage("img-2") ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(UtilsTest, AnAssetImageHasNoJpegAndWritesNothing) {
  auto asset = ui::Image::named("check_icon");
  ASSERT_TRUE(asset);
  EXPECT_TRUE(Utils::saveImage("img-2", *asset));
  EXPECT_FALSE(std::filesystem::exists(documents() / "img-2"));
}

TEST_F(UtilsTest, NamesThatLeaveTheDocumentsFolderAreRefusedAndLogged) {
  for (const char* name : {"", ".", "..", "../img-1", "sub/img-1"}) {
    testing::CapturedOutput output;
    EXPECT_TRUE(Utils::saveImage(name, photo(10))) << name;
    EXPECT_EQ(output.text().rfind("error saving file with error ", 0), 0u) << name;
    EXPECT_FALSE(Utils::loadImage(name)) << name;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "img-1"));
}

TEST_F(UtilsTest, AFolderInTheWayIsRemovedWhenEmptyAndLoggedOtherwise) {
  std::filesystem::create_directories(documents() / "img-1");
  EXPECT_FALSE(Utils::saveImage("img-1", photo(10)));
  EXPECT_TRUE(Utils::loadImage("img-1"));

  std::filesystem::create_directories(documents() / "img-2" / "inside");
  testing::CapturedOutput output;
  const auto error = Utils::saveImage("img-2", photo(10));
  const std::string log = output.text();
  ASSERT_TRUE(error);
  EXPECT_NE(log.find(*error), std::string::npos) << log;
  EXPECT_NE(log.find("couldn't remove file at path "), std::string::npos) << log;
  EXPECT_NE(log.find("error saving file with error "), std::string::npos) << log;
  EXPECT_TRUE(std::filesystem::is_directory(documents() / "img-2" / "inside"));
}

TEST_F(UtilsTest, RemoveImageDeletesOnlyThatPhoto) {
  EXPECT_FALSE(Utils::saveImage("img-1", photo(10)));
  EXPECT_FALSE(Utils::saveImage("img-2", photo(20)));
  Utils::removeImage("img-1");
  Utils::removeImage("img-5");  // never saved: nothing happens
  EXPECT_FALSE(Utils::loadImage("img-1"));
  EXPECT_TRUE(Utils::loadImage("img-2"));
}

TEST_F(UtilsTest, ClearPreferencesKeepsOnlyTheToken) {
  auto& preferences = platform::Preferences::standard();
  preferences.setObject("abc123", "token");
  preferences.setObject("/tmp/clip.mp4", "video");
  preferences.setObject(platform::Bytes{1, 2, 3}, "dataElements");
  Utils::clearPreferences();
  EXPECT_EQ(preferences.keys(), std::vector<std::string>{"token"});
  EXPECT_EQ(preferences.stringForKey("token"), "abc123");
  // Without a token nothing is kept.
  preferences.removeObjectForKey("token");
  preferences.setObject("x", "video");
  Utils::clearPreferences();
  EXPECT_TRUE(preferences.keys().empty());
}

}  // namespace
}  // namespace instala
