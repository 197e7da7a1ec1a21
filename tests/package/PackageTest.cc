// The Debian package as a technician's machine gets it: made by CPack from
// what the build holds, unpacked without root (dpkg-deb -x), and its programs
// run from the unpacked tree, where they find the bundle from their own
// location and the server address in the user's configuration folder.

#include "support/ChildProcess.h"
#include "support/DemoEnvironment.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <regex>
#include <sstream>

namespace instala {
namespace {

namespace fs = std::filesystem;
using testing::ChildProcess;
using testing::readText;
using testing::TempDir;

struct Outcome {
  int status = -1;
  std::string output;  // standard output and error together
};

Outcome run(const fs::path& program, std::vector<std::string> arguments, std::vector<std::string> environment = {}) {
  ChildProcess child(program, std::move(arguments), std::move(environment));
  Outcome outcome;
  // Packaging is quiet while it compresses: a generous guard against a hang, not a time limit.
  outcome.output = child.readAll(std::chrono::minutes(5));
  outcome.status = child.wait();
  return outcome;
}

std::string trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

// Built and unpacked once for the whole suite: making the package is the slow part.
struct Package {
  TempDir scratch;
  fs::path deb;
  fs::path root;  // the unpacked tree; the programs are under root/usr/bin
  std::string problem;
};

class PackageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    package_ = std::make_unique<Package>();
    auto& p = *package_;
    auto made = run(CPACK_EXE, {"--config", INSTALA_CPACK_CONFIG, "-B", (p.scratch / "out").string()});
    if (made.status != 0) {
      p.problem = "cpack failed:\n" + made.output;
      return;
    }
    const auto architecture = trimmed(run(DPKG_EXE, {"--print-architecture"}).output);
    p.deb = p.scratch / "out" / ("instala_" INSTALA_VERSION "_" + architecture + ".deb");
    if (!fs::is_regular_file(p.deb)) {
      p.problem = "no " + p.deb.string() + " after:\n" + made.output;
      return;
    }
    p.root = p.scratch / "root";
    auto unpacked = run(DPKG_DEB_EXE, {"-x", p.deb.string(), p.root.string()});
    if (unpacked.status != 0) p.problem = "dpkg-deb -x failed:\n" + unpacked.output;
  }
  static void TearDownTestSuite() { package_.reset(); }

  void SetUp() override { ASSERT_TRUE(package_->problem.empty()) << package_->problem; }

  static const fs::path& root() { return package_->root; }
  static fs::path installed(const std::string& path) { return package_->root / "usr" / path; }
  static const fs::path& deb() { return package_->deb; }
  static std::string field(const std::string& name) { return trimmed(run(DPKG_DEB_EXE, {"-f", deb().string(), name}).output); }

  // A user whose configuration folder points the installed application at the demo server.
  struct User {
    TempDir home;
    std::vector<std::string> environment;
  };
  static std::unique_ptr<User> userOf(const testing::DemoEnvironment& demo) {
    auto user = std::make_unique<User>();
    user->home.write(".config/instala/Server-config.plist",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict><key>URL</key>"
                     "<string>" + demo.baseURL() + "</string></dict>\n</plist>\n");
    user->environment = {"HOME=" + user->home.path().string(), "XDG_CONFIG_HOME=" + (user->home / ".config").string(),
                         "XDG_DATA_HOME=" + (user->home / ".local/share").string(), "INSTALA_BUNDLE=",
                         "INSTALA_DATA_DIR=", "LANG=es_MX.UTF-8", "LC_ALL=", "LANGUAGE="};
    return user;
  }

 private:
  static std::unique_ptr<Package> package_;
};

std::unique_ptr<Package> PackageTest::package_;

TEST_F(PackageTest, HoldsTheProgramsTheBundleAndTheDesktopFilesButNotTheDemoServer) {
  std::vector<std::string> expected = {"bin/instala-console",
                                       "share/instala/bundle/Info.plist",
                                       "share/instala/bundle/Endpoints.plist",
                                       "share/instala/bundle/Server-config.plist",
                                       "share/instala/bundle/Main.storyboard.json",
                                       "share/instala/bundle/nibs/TicketCell.json",
                                       "share/doc/instala/copyright"};
  const std::vector<std::string> desktop = {"bin/instala", "share/applications/mx.instala.Instala.desktop",
                                            "share/icons/hicolor/scalable/apps/mx.instala.Instala.svg",
                                            "share/metainfo/mx.instala.Instala.metainfo.xml"};
  for (const auto& path : expected) EXPECT_TRUE(fs::is_regular_file(installed(path))) << path;
  // The menu entry and its companions come with the desktop application only.
  for (const auto& path : desktop) EXPECT_EQ(fs::is_regular_file(installed(path)), bool(INSTALA_WITH_DESKTOP)) << path;
  EXPECT_FALSE(fs::exists(installed("bin/instala-demo-server")));
  EXPECT_FALSE(fs::exists(installed("share/instala/demo-data")));
  // Everything below /usr, nothing for an administrator's /etc: removing the package leaves no file behind.
  for (const auto& entry : fs::directory_iterator(root())) EXPECT_EQ(entry.path().filename(), "usr");

  // The fonts travel with their licence, which the copyright file carries too.
  const fs::path builtFonts = testing::binaryDirectory() / "bundle/Assets/Fonts";
  const std::string copyright = readText(installed("share/doc/instala/copyright"));
  EXPECT_NE(copyright.find("Files: *\n"), std::string::npos) << copyright;
  if (fs::exists(builtFonts / "SourceSansPro-Regular.ttf")) {
    for (const char* name : {"SourceSansPro-Regular.ttf", "SourceSansPro-Semibold.ttf", "LICENSE-SourceSansPro.md"}) {
      EXPECT_TRUE(fs::is_regular_file(installed("share/instala/bundle/Assets/Fonts") / name)) << name;
    }
    EXPECT_NE(copyright.find("License: OFL-1.1\n"), std::string::npos) << copyright;
    EXPECT_NE(copyright.find("\n SIL OPEN FONT LICENSE Version 1.1 - 26 February 2007\n"), std::string::npos)
        << copyright;
  }
}

TEST_F(PackageTest, ControlFieldsNameTheLibrariesAMaintainerAndADescription) {
  EXPECT_EQ(field("Package"), "instala");
  EXPECT_EQ(field("Version"), INSTALA_VERSION);
  EXPECT_NE(field("Maintainer").find('@'), std::string::npos);
  const std::string description = field("Description");
  EXPECT_NE(description.find("vehicle-tracking"), std::string::npos) << description;
  // Paragraphs are separated by " ." lines; nothing of a list's separators leaks in.
  EXPECT_NE(description.find("\n .\n"), std::string::npos) << description;
  EXPECT_EQ(description.find(';'), std::string::npos) << description;
  // Computed by dpkg-shlibdeps from the programs, with what is opened on first use named by hand.
  const std::string depends = field("Depends");
  std::vector<std::string> packages = {"libc6",           "libcurl4",        "libglib2.0-0",
                                       "libjpeg62-turbo", "libplist3",       "shared-mime-info"};
  if (INSTALA_WITH_DESKTOP) packages.push_back("libqt6widgets6");
  for (const auto& package : packages) {
    EXPECT_TRUE(std::regex_search(depends, std::regex("(^|, )" + package + "( |,|$)"))) << package << " in " << depends;
  }
  // Installed files belong to root and nobody else may write them.
  const auto listing = run(DPKG_DEB_EXE, {"-c", deb().string()});
  std::istringstream lines(listing.output);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_TRUE(std::regex_search(line, std::regex("^[-dl]rw[-x]r-[-x]r-[-x] root/root "))) << line;
  }
}

TEST_F(PackageTest, DesktopEntryAndMetainfoValidate) {
  if (!INSTALA_WITH_DESKTOP) GTEST_SKIP() << "built without the desktop front end";
  const auto desktop = installed("share/applications/mx.instala.Instala.desktop");
  auto entry = run(DESKTOP_FILE_VALIDATE_EXE, {desktop.string()});
  EXPECT_EQ(entry.status, 0) << entry.output;
  EXPECT_EQ(entry.output, "");
  const std::string text = readText(desktop);
  for (const char* line : {"Name=Instala\n", "Exec=instala\n", "Icon=mx.instala.Instala\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }

  auto metainfo = run(APPSTREAMCLI_EXE, {"validate", "--no-net", "--pedantic",
                                         installed("share/metainfo/mx.instala.Instala.metainfo.xml").string()});
  EXPECT_EQ(metainfo.status, 0) << metainfo.output;
  EXPECT_NE(readText(installed("share/metainfo/mx.instala.Instala.metainfo.xml"))
                .find("<release version=\"" INSTALA_VERSION "\""),
            std::string::npos);
}

TEST_F(PackageTest, InstalledConsoleSignsInAndListsTheTicketsOfTheConfiguredServer) {
  testing::DemoEnvironment demo;
  auto user = userOf(demo);
  ChildProcess console(installed("bin/instala-console"), {}, user->environment);
  for (const char* command : {"type emailTF tecnico@instala.mx", "type passwordTF Instala2026", "tap loginButton",
                              "wait", "show"}) {
    console.writeLine(command);
  }
  const std::string screen = console.readUntil("loading: ").value_or("(the console stopped answering)");
  EXPECT_EQ(screen.find("error:"), std::string::npos) << screen;
  EXPECT_NE(screen.find("screen: ActivesTableViewController"), std::string::npos) << screen;
  EXPECT_NE(screen.find("idLabel: \"ID: 1042\""), std::string::npos) << screen;
  console.writeLine("quit");
  console.closeInput();
  EXPECT_EQ(console.wait(), 0);
  // Preferences and documents went to the user's folders, not beside the program.
  EXPECT_TRUE(fs::is_regular_file(user->home / ".config/instala/Preferences.plist"));
}

TEST_F(PackageTest, InstalledDesktopApplicationDrawsItsFirstScreenOffscreen) {
  if (!INSTALA_WITH_DESKTOP) GTEST_SKIP() << "built without the desktop front end";
  testing::DemoEnvironment demo;
  auto user = userOf(demo);
  user->environment.push_back("QT_QPA_PLATFORM=offscreen");
  const fs::path shots = user->home / "shots";
  auto tour = run(installed("bin/instala"), {"--screenshot-tour", shots.string(), "--screens", "1"}, user->environment);
  ASSERT_EQ(tour.status, 0) << tour.output;
  std::vector<std::string> written;
  for (const auto& entry : fs::directory_iterator(shots)) written.push_back(entry.path().filename());
  EXPECT_EQ(written, std::vector<std::string>{"01-login.png"});
  // A PNG of the window's size: width and height are the big-endian words at bytes 16 and 20.
  const std::string png = readText(shots / "01-login.png");
  ASSERT_GT(png.size(), 24u);
  auto word = [&png](std::size_t at) {
    return (std::uint32_t(std::uint8_t(png[at])) << 24) | (std::uint32_t(std::uint8_t(png[at + 1])) << 16) |
           (std::uint32_t(std::uint8_t(png[at + 2])) << 8) | std::uint32_t(std::uint8_t(png[at + 3]));
  };
  EXPECT_EQ(png.substr(1, 3), "PNG");
  EXPECT_EQ(word(16), 390u);
  EXPECT_EQ(word(20), 844u);
}

}  // namespace
}  // namespace instala
