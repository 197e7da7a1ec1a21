// The demo launcher (scripts/demo) without a display: the demo server and the
// console front end. Where no locale is set, it starts the application in
// Mexican Spanish, says so first, and the list's dates come out Spanish.

#include "support/ChildProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <regex>

namespace instala {
namespace {

struct LocaleCase {
  std::string name;
  std::vector<std::string> environment;
  bool spanish;  // started with LANG=es_MX.UTF-8, and said so
};

void PrintTo(const LocaleCase& c, std::ostream* os) { *os << c.name; }

class DemoLocale : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(DemoLocale, IsMexicanSpanishWhenTheMachineHasNone) {
  // A build folder of its own, so the launcher's data folder is the test's.
  testing::TempDir build;
  std::filesystem::create_directory_symlink(testing::binaryDirectory(), build / "bin");
  std::vector<std::string> environment{"DISPLAY=", "WAYLAND_DISPLAY=", "INSTALA_DEMO_PORT=0", "LANGUAGE="};
  environment.insert(environment.end(), GetParam().environment.begin(), GetParam().environment.end());
  testing::ChildProcess demo(INSTALA_DEMO_SCRIPT, {build.path().string()}, environment);
  ASSERT_TRUE(demo.started());

  const std::string first = demo.readLine().value_or("(nothing)");
  if (GetParam().spanish) {
    EXPECT_EQ(first,
              "No locale is set (LC_ALL, LC_MESSAGES and LANG are empty, C or POSIX): starting the application with "
              "LANG=es_MX.UTF-8.");
  } else {
    EXPECT_EQ(first.rfind("Demo server: http://127.0.0.1:", 0), 0u) << first;
  }

  for (const char* command : {"type emailTF tecnico@instala.mx", "type passwordTF Instala2026", "tap loginButton",
                              "wait", "show", "quit"}) {
    demo.writeLine(command);
  }
  demo.closeInput();
  const std::string output = demo.readAll();
  EXPECT_EQ(demo.wait(), 0) << output;
  std::smatch date;
  ASSERT_TRUE(std::regex_search(output, date, std::regex("dateLabel: \"([^\" ]+) [0-9]{2}\""))) << output;
  const std::regex spanishMonth("ene|feb|mar|abr|may|jun|jul|ago|sept|oct|nov|dic");
  const std::regex englishMonth("Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec");
  EXPECT_TRUE(std::regex_match(date[1].str(), GetParam().spanish ? spanishMonth : englishMonth)) << date[0];
}

INSTANTIATE_TEST_SUITE_P(
    Environments, DemoLocale,
    ::testing::Values(LocaleCase{"NothingSet", {"LC_ALL=", "LC_MESSAGES=", "LANG="}, true},
                      LocaleCase{"C", {"LC_ALL=", "LC_MESSAGES=", "LANG=C"}, true},
                      LocaleCase{"CWithCodeset", {"LC_ALL=", "LC_MESSAGES=", "LANG=C.UTF-8"}, true},
                      LocaleCase{"PosixOverEnglish", {"LC_ALL=POSIX", "LC_MESSAGES=", "LANG=en_US.UTF-8"}, true},
                      LocaleCase{"English", {"LC_ALL=", "LC_MESSAGES=", "LANG=en_US.UTF-8"}, false},
                      LocaleCase{"EnglishMessagesOverC", {"LC_ALL=", "LC_MESSAGES=en_US.UTF-8", "LANG=C"}, false}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace instala
