// The start-up flags of `instala`: it quits once the asked-for frame is drawn
// and names what it drew; wrong uses are refused.

#include "QtTests.h"
#include "support/ChildProcess.h"
#include "support/DemoEnvironment.h"

#include <nlohmann/json.hpp>

#include <QTest>

#include <filesystem>
#include <fstream>

namespace instala::testing {

class FrameExitTest : public QObject {
  Q_OBJECT

 private:
  struct Outcome {
    int status = -1;
    std::string output;
  };
  static Outcome runInstala(std::vector<std::string> arguments) {
    ChildProcess program(INSTALA_DESKTOP_EXE, std::move(arguments), {"QT_QPA_PLATFORM=offscreen"});
    Outcome outcome;
    outcome.output = program.readAll(std::chrono::seconds(60));
    outcome.status = program.wait();
    return outcome;
  }
  // The line the program prints last before quitting, or the whole output when there is none.
  static std::string frameLine(const std::string& output) {
    const auto at = output.rfind("frame drawn: ");
    if (at == std::string::npos) return output;
    return output.substr(at, output.find('\n', at) - at);
  }

 private slots:
  void withoutATokenTheFirstFrameIsTheLoginScreen() {
    DemoEnvironment demo;
    const std::string data = (demo.directory() / "fresh").string();
    for (const char* flag : {"--exit-after-first-frame", "--exit-after-screen"}) {
      std::vector<std::string> arguments{"--bundle", demo.bundle().string(), "--data", data, flag};
      if (std::string(flag) == "--exit-after-screen") arguments.push_back("LoginViewController");
      const auto outcome = runInstala(arguments);
      QVERIFY2(outcome.status == 0, outcome.output.c_str());
      QCOMPARE(frameLine(outcome.output), std::string("frame drawn: LoginViewController"));
    }
  }

  // libcurl and its TLS libraries take longer to load than the rest of the
  // start: a screen that sends nothing draws without them.
  void theLoginScreenIsDrawnWithoutLoadingLibcurl() {
    DemoEnvironment demo;
    ChildProcess program(INSTALA_DESKTOP_EXE,
                         {"--bundle", demo.bundle().string(), "--data", (demo.directory() / "fresh").string(),
                          "--exit-after-first-frame"},
                         {"QT_QPA_PLATFORM=offscreen", "LD_DEBUG=files"});
    const std::string output = program.readAll(std::chrono::seconds(60));
    QCOMPARE(program.wait(), 0);
    QVERIFY2(output.find("frame drawn: LoginViewController") != std::string::npos, output.c_str());
    QVERIFY2(output.find("file=libQt6Widgets.so") != std::string::npos, "LD_DEBUG reported no library");
    QVERIFY2(output.find("file=libcurl.so") == std::string::npos, "libcurl was loaded");
  }

  void withATokenTheActiveListIsDrawnOnceItsTicketsArrive() {
    DemoEnvironment demo;
    const std::string data = demo.dataDirectory().string();
    ChildProcess console(binaryDirectory() / "instala-console", {"--bundle", demo.bundle().string(), "--data", data});
    for (const char* line : {"type emailTF tecnico@instala.mx", "type passwordTF Instala2026", "tap loginButton",
                             "wait", "quit"}) {
      QVERIFY(console.writeLine(line));
    }
    console.readAll(std::chrono::seconds(60));
    QCOMPARE(console.wait(), 0);
    std::ifstream tickets(binaryDirectory() / "demo-data" / "tickets.json");
    const auto active = nlohmann::json::parse(tickets).at("active").size();


    const auto list = runInstala(
        {"--bundle", demo.bundle().string(), "--data", data, "--exit-after-screen", "ActivesTableViewController"});
    QVERIFY2(list.status == 0, list.output.c_str());
    QCOMPARE(frameLine(list.output), "frame drawn: ActivesTableViewController rows " + std::to_string(active));
  }

  void wrongUsesAreRefused() {
    const std::vector<std::vector<std::string>> cases{
        {"--exit-after-screen"},
        {"--exit-after-screen", ""},
        {"--exit-after-first-frame", "--exit-after-screen", "LoginViewController"},
        {"--exit-after-first-frame", "--screenshot-tour", "/tmp"},
    };
    for (const auto& arguments : cases) {
      const auto outcome = runInstala(arguments);
      QVERIFY2(outcome.status == 2, outcome.output.c_str());
      QVERIFY2(outcome.output.find("usage: instala") != std::string::npos, outcome.output.c_str());
    }
  }
};

INSTALA_QT_TEST(FrameExitTest)

}  // namespace instala::testing

#include "FrameExitTest.moc"
