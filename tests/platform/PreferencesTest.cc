#include "platform/Preferences.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace instala::platform {
namespace {

using instala::testing::TempDir;

TEST(Preferences, MissingFileIsAnEmptyStore) {
  TempDir dir;
  Preferences prefs(dir / "Preferences.plist");
  EXPECT_TRUE(prefs.keys().empty());
  EXPECT_FALSE(prefs.stringForKey("token"));
  EXPECT_FALSE(std::filesystem::exists(dir / "Preferences.plist"));
}

TEST(Preferences, EveryChangeIsOnDiskForTheNextLaunch) {
  TempDir dir;
  {
    Preferences prefs(dir / "Preferences.plist");
    prefs.setObject("abc123", "token");
    prefs.setObject(Bytes{1, 2, 3}, "dataElements");
    prefs.setObject("/tmp/clip.mp4", "video");
    prefs.removeObjectForKey("video");
  }
  Preferences reopened(dir / "Preferences.plist");
  EXPECT_EQ(reopened.stringForKey("token"), "abc123");
  EXPECT_EQ(reopened.dataForKey("dataElements"), (Bytes{1, 2, 3}));
  EXPECT_FALSE(reopened.objectForKey("video"));
  EXPECT_EQ(reopened.keys(), (std::vector<std::string>{"dataElements", "token"}));
}

TEST(Preferences, TypedReadsOnlyAnswerTheirOwnKind) {
  TempDir dir;
  Preferences prefs(dir / "Preferences.plist");
  prefs.setObject(Bytes{7}, "token");
  EXPECT_FALSE(prefs.stringForKey("token"));
  EXPECT_TRUE(prefs.dataForKey("token"));
  EXPECT_FALSE(prefs.dictionaryForKey("token"));
  prefs.setObject("", "token");
  EXPECT_EQ(prefs.stringForKey("token"), "");  // empty text is a value, not a missing key
}

TEST(Preferences, FileIsPrivateAndNoTemporaryFileIsLeft) {
  TempDir dir;
  Preferences prefs(dir / "Preferences.plist");
  prefs.setObject("secret", "token");
  struct stat info {};
  ASSERT_EQ(stat((dir / "Preferences.plist").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 1u);
}

TEST(Preferences, CorruptFileIsKeptAsideAndTheStoreStartsEmpty) {
  TempDir dir;
  auto file = dir.write("Preferences.plist", "\x01\x02garbage that is no property list");
  ::testing::internal::CaptureStderr();
  Preferences prefs(file);
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(prefs.keys().empty());
  EXPECT_NE(err.find("Preferences.plist.corrupt"), std::string::npos) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
  EXPECT_EQ(instala::testing::readText(dir / "Preferences.plist.corrupt"),
            "\x01\x02garbage that is no property list");
  prefs.setObject("t", "token");
  EXPECT_EQ(Preferences(file).stringForKey("token"), "t");
}

TEST(Preferences, RootThatIsNoDictionaryCountsAsCorrupt) {
  TempDir dir;
  auto bytes = encodePropertyList(PlistArray{"a"}, PlistFormat::xml);
  auto file = dir.write("Preferences.plist", std::string(bytes->begin(), bytes->end()));
  ::testing::internal::CaptureStderr();
  Preferences prefs(file);
  ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(prefs.keys().empty());
  EXPECT_TRUE(std::filesystem::exists(dir / "Preferences.plist.corrupt"));
}

TEST(Preferences, UnwritableFolderKeepsValuesInMemory) {
  TempDir dir;
  dir.write("blocker", "a file where a folder should be");
  Preferences prefs(dir / "blocker" / "Preferences.plist");
  ::testing::internal::CaptureStderr();
  prefs.setObject("abc", "token");
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("cannot save"), std::string::npos);
  EXPECT_EQ(prefs.stringForKey("token"), "abc");
}

}  // namespace
}  // namespace instala::platform
