// instala-console as a subprocess: the first screen on a fresh data folder and
// with a stored token.

#include "platform/Preferences.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace instala {
namespace {

struct Run {
  std::string output;
  int status;
};

Run runConsole(const testing::TempDir& data, const std::string& commands) {
  const auto script = data.write("commands.txt", commands);
  const std::string command = std::string("\"") + INSTALA_CONSOLE + "\" --data \"" + data.path().string() + "\" < \"" +
                              script.string() + "\" 2>&1";
  Run run{"", -1};
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  while (std::size_t read = fread(buffer, 1, sizeof buffer, pipe)) run.output.append(buffer, read);
  run.status = pclose(pipe);
  return run;
}

TEST(ConsoleProcessTest, AFreshDataFolderStartsOnTheLoginScreen) {
  testing::TempDir data;
  auto run = runConsole(data, "show\nquit\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output.rfind("screen: LoginViewController\n", 0), 0u) << run.output;
  EXPECT_NE(run.output.find("  emailTF: field \"\""), std::string::npos);
  EXPECT_NE(run.output.find("loading: no\n"), std::string::npos);
}

TEST(ConsoleProcessTest, AStoredTokenStartsOnTheTabbedScreen) {
  testing::TempDir data;
  platform::Preferences(data / "Preferences.plist").setObject("stored-token", "token");
  auto run = runConsole(data, "show\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output.rfind("tabs: [Activos] Cerrados Búsqueda\n", 0), 0u) << run.output;
  EXPECT_NE(run.output.find("screen: ActivesTableViewController \"Tickets activos\"\n"), std::string::npos);
}

TEST(ConsoleProcessTest, BadOptionsAreRefused) {
  testing::TempDir data;
  auto run = runConsole(data, "");
  EXPECT_EQ(run.status, 0);
  const auto script = data.write("empty.txt", "");
  FILE* pipe = popen((std::string("\"") + INSTALA_CONSOLE + "\" --bogus < " + script.string() + " 2>&1").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char buffer[512];
  std::string output;
  while (std::size_t read = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, read);
  EXPECT_NE(pclose(pipe), 0);
  EXPECT_NE(output.find("unknown option --bogus"), std::string::npos);
}

}  // namespace
}  // namespace instala
