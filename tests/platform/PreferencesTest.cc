#include "platform/Preferences.h"

#include "support/Corpus.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

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
  const auto error = prefs.setObject("abc", "token");
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("cannot save"), std::string::npos);
  ASSERT_TRUE(error);
  EXPECT_NE(error->find("blocker"), std::string::npos) << *error;
  EXPECT_EQ(prefs.stringForKey("token"), "abc");
  EXPECT_FALSE(Preferences(dir / "elsewhere.plist").setObject("abc", "token"));
}

// Keys the application does not use stay as they are, whatever their kind.
TEST(Preferences, AnExtraDateKeyIsKeptAndTheTokenRead) {
  TempDir dir;
  auto file = dir.write("Preferences.plist", instala::testing::corpusText("property-list", "Preferences.plist"));
  Preferences prefs(file);
  EXPECT_FALSE(std::filesystem::exists(dir / "Preferences.plist.corrupt"));
  EXPECT_EQ(prefs.stringForKey("token"), "388f964f9171cfdfe231dfe64be3e231");
  EXPECT_TRUE(prefs.dataForKey("dataElements"));
  prefs.setObject("/tmp/other.mp4", "video");
  Preferences reopened(file);
  EXPECT_EQ(reopened.objectForKey("installed"), PlistValue(PlistDate{725760000}));
  EXPECT_EQ(reopened.stringForKey("video"), "/tmp/other.mp4");
}

// The shape of deep.plist among the inputs that once stopped every start.
std::string deepPreferences() {
  const std::size_t levels = 100'000;
  std::string text = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>token</key>";
  for (std::size_t i = 0; i < levels; ++i) text += "<array>";
  for (std::size_t i = 0; i < levels; ++i) text += "</array>";
  return text + "</dict></plist>\n";
}

struct DamagedFile {
  const char* name;
  std::string bytes;
};

void PrintTo(const DamagedFile& file, std::ostream* os) { *os << file.name; }

// Read in a child process: a crash fails the case, not the test program.
class DamagedPreferencesFile : public ::testing::TestWithParam<DamagedFile> {};

TEST_P(DamagedPreferencesFile, IsSetAsideAndTheStoreStartsEmpty) {
  TempDir dir;
  const std::string& bytes = GetParam().bytes;
  auto file = dir.write("Preferences.plist", bytes);
  EXPECT_EXIT(
      {
        Preferences prefs(file);
        const bool setAside = instala::testing::readText(dir / "Preferences.plist.corrupt") == bytes;
        const bool usable = !prefs.setObject("t", "token") && Preferences(file).stringForKey("token") == "t";
        std::exit(prefs.keys() == std::vector<std::string>{"token"} && setAside && usable ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "is unreadable; kept as");
}

INSTANTIATE_TEST_SUITE_P(
    Faults, DamagedPreferencesFile,
    ::testing::Values(
        DamagedFile{"ZeroedBlock", instala::testing::corpusText("property-list", "Preferences-zeroed-block.plist")},
        DamagedFile{"NulInString", instala::testing::corpusText("property-list", "Preferences-nul.plist")},
        DamagedFile{"BinaryBadKey", instala::testing::corpusText("property-list", "Preferences-binary-bad-key.plist")},
        DamagedFile{"NulInBundleText", instala::testing::corpusText("property-list", "Info-like-nul-in-string.plist")},
        DamagedFile{"Nested100000", deepPreferences()}),
    [](const auto& info) { return std::string(info.param.name); });

// A folder or a FIFO where the file should be: set aside, never read (a FIFO
// would block the start for good); the alarm ends a child that blocks anyway.
TEST(Preferences, APathThatIsNoRegularFileIsSetAsideAndTheStartGoesOn) {
  for (const bool fifo : {false, true}) {
    TempDir dir;
    const auto file = dir / "Preferences.plist";
    if (fifo) {
      ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    } else {
      std::filesystem::create_directories(file / "inside");
    }
    EXPECT_EXIT(
        {
          alarm(30);
          Preferences prefs(file);
          const bool usable = !prefs.setObject("t", "token") && std::filesystem::is_regular_file(file);
          std::exit(usable && std::filesystem::exists(dir / "Preferences.plist.corrupt") ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "")
        << (fifo ? "FIFO" : "folder");
  }
}

}  // namespace
}  // namespace instala::platform
