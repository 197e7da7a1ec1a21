#include "platform/FileSystem.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace instala::platform {
namespace {

using instala::testing::TempDir;

struct ReadCase {
  const char* name;
  // Makes the thing to read in the folder and returns its path.
  std::function<std::filesystem::path(const TempDir&)> make;
  std::optional<std::string> content;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

std::filesystem::path fifo(const TempDir& dir) {
  const auto path = dir / "fifo";
  EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
  return path;
}

class ReadFile : public ::testing::TestWithParam<ReadCase> {};

// In a child process with an alarm: a read that blocks or throws fails the case, not the test program.
TEST_P(ReadFile, GivesTheContentOfRegularFilesOnly) {
  TempDir dir;
  const auto path = GetParam().make(dir);
  const auto& expected = GetParam().content;
  EXPECT_EXIT(
      {
        alarm(30);
        const auto bytes = readFile(path);
        const bool same = expected ? bytes && std::string(bytes->begin(), bytes->end()) == *expected : !bytes;
        std::exit(same ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ReadFile,
    ::testing::Values(
        ReadCase{"Regular", [](const TempDir& d) { return d.write("a", std::string("x\0y", 3)); }, std::string("x\0y", 3)},
        ReadCase{"Empty", [](const TempDir& d) { return d.write("a", ""); }, ""},
        ReadCase{"Large", [](const TempDir& d) { return d.write("a", std::string(300'000, 'z')); },
                 std::string(300'000, 'z')},
        ReadCase{"LinkToRegular",
                 [](const TempDir& d) {
                   d.write("a", "via link");
                   std::filesystem::create_symlink(d / "a", d / "link");
                   return d / "link";
                 },
                 "via link"},
        ReadCase{"Missing", [](const TempDir& d) { return d / "missing"; }, std::nullopt},
        ReadCase{"Folder",
                 [](const TempDir& d) {
                   std::filesystem::create_directories(d / "folder" / "inside");
                   return d / "folder";
                 },
                 std::nullopt},
        ReadCase{"Fifo", fifo, std::nullopt},
        ReadCase{"LinkToFifo",
                 [](const TempDir& d) {
                   std::filesystem::create_symlink(fifo(d), d / "link");
                   return d / "link";
                 },
                 std::nullopt},
        ReadCase{"Device", [](const TempDir&) { return std::filesystem::path("/dev/zero"); }, std::nullopt},
        ReadCase{"Socket",
                 [](const TempDir& d) {
                   const auto path = d / "socket";
                   sockaddr_un address{};
                   address.sun_family = AF_UNIX;
                   std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
                   const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
                   EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
                   close(fd);
                   return path;
                 },
                 std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

std::vector<std::string> namesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(AtomicWriteLeftovers, OnlyOurTemporaryFilesGo) {
  TempDir dir;
  for (const char* name : {".Preferences.plist.Ab12Cd", ".Preferences.plist.000000", ".img-1.zZ9yY8", "Preferences.plist",
                           "Preferences.plist.corrupt", ".Preferences.plist", ".Preferences.plist.abc",
                           ".Preferences.plist.Ab12Cd7", ".Preferences.plist.Ab-2Cd", "..Ab12Cd", "notes.txt"}) {
    dir.write(name, "x");
  }
  std::filesystem::create_directories(dir / ".Preferences.plist.Folder");
  removeAtomicWriteLeftovers(dir.path(), "Preferences.plist");
  EXPECT_EQ(namesIn(dir.path()),
            (std::vector<std::string>{"..Ab12Cd", ".Preferences.plist", ".Preferences.plist.Ab-2Cd",
                                      ".Preferences.plist.Ab12Cd7", ".Preferences.plist.Folder",
                                      ".Preferences.plist.abc", ".img-1.zZ9yY8", "Preferences.plist",
                                      "Preferences.plist.corrupt", "notes.txt"}));
  // Without a name, those of every name go.
  removeAtomicWriteLeftovers(dir.path());
  EXPECT_EQ(namesIn(dir.path()),
            (std::vector<std::string>{"..Ab12Cd", ".Preferences.plist", ".Preferences.plist.Ab-2Cd",
                                      ".Preferences.plist.Ab12Cd7", ".Preferences.plist.Folder",
                                      ".Preferences.plist.abc", "Preferences.plist", "Preferences.plist.corrupt",
                                      "notes.txt"}));
}

// A write under way in another process holds its lock; once that process is
// killed the lock goes with it, and so does its temporary file.
TEST(AtomicWriteLeftovers, AWriteUnderWayIsLeftAloneUntilItsProcessDies) {
  TempDir dir;
  const auto leftover = dir.write(".Preferences.plist.Ab12Cd", "half of it");
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t writer = fork();
  if (writer == 0) {
    const int fd = open(leftover.c_str(), O_RDWR);
    if (fd < 0 || flock(fd, LOCK_EX) != 0) _exit(1);
    (void)!write(ready[1], "r", 1);
    pause();
    _exit(0);
  }
  char signal = 0;
  ASSERT_EQ(read(ready[0], &signal, 1), 1);
  removeAtomicWriteLeftovers(dir.path(), "Preferences.plist");
  EXPECT_TRUE(std::filesystem::exists(leftover));
  kill(writer, SIGKILL);
  waitpid(writer, nullptr, 0);
  removeAtomicWriteLeftovers(dir.path(), "Preferences.plist");
  EXPECT_FALSE(std::filesystem::exists(leftover));
  close(ready[0]);
  close(ready[1]);
}

// A rename that fails (a folder in the way) takes its temporary file with it.
TEST(AtomicWrite, AFailedRenameLeavesNoTemporaryFile) {
  TempDir dir;
  std::filesystem::create_directories(dir / "data" / "inside");
  using std::filesystem::perms;
  auto error = writeFileAtomically(dir / "data", Bytes{'x'}, perms::owner_read | perms::owner_write);
  ASSERT_TRUE(error);
  EXPECT_NE(error->find("cannot rename"), std::string::npos) << *error;
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"data"});
}

}  // namespace
}  // namespace instala::platform
