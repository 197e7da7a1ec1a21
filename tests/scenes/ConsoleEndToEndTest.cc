// instala-console against the demo server, driven through pipes as a script
// would drive it: sign in, open a ticket's details from each list, search and
// open a document, sign out.

#include "platform/Preferences.h"

#include "support/ChildProcess.h"
#include "support/DemoEnvironment.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <regex>

namespace instala {
namespace {

class ConsoleSession {
 public:
  explicit ConsoleSession(const testing::DemoEnvironment& demo)
      : console_(testing::binaryDirectory() / "instala-console",
                 {"--bundle", demo.bundle().string(), "--data", demo.dataDirectory().string()}) {}

  // Runs the commands, waits for pending requests, and gives back what the console printed, screen last.
  std::string run(const std::vector<std::string>& commands) {
    for (const auto& command : commands) console_.writeLine(command);
    console_.writeLine("wait");
    console_.writeLine("show");
    return console_.readUntil("loading: ").value_or("(the console stopped answering)");
  }

  int quit() {
    console_.writeLine("quit");
    console_.closeInput();
    return console_.wait();
  }

 private:
  testing::ChildProcess console_;
};

TEST(ConsoleEndToEnd, SignInBrowseBothListsSearchOpenADocumentAndSignOut) {
  testing::DemoEnvironment demo;
  ConsoleSession console(demo);

  std::string screen = console.run({});
  EXPECT_NE(screen.find("screen: LoginViewController"), std::string::npos) << screen;

  screen = console.run({"type emailTF tecnico@instala.mx", "type passwordTF Instala2026", "tap loginButton"});
  EXPECT_EQ(screen.find("error:"), std::string::npos) << screen;
  EXPECT_NE(screen.find("tabs: [Activos] Cerrados Búsqueda"), std::string::npos) << screen;
  EXPECT_NE(screen.find("screen: ActivesTableViewController"), std::string::npos) << screen;
  EXPECT_NE(screen.find("idLabel: \"ID: 1042\""), std::string::npos) << screen;
  EXPECT_NE(screen.find("carLabel: \"Cascadia-TCB-118\""), std::string::npos) << screen;
  EXPECT_EQ(screen.find("alert:"), std::string::npos) << screen;

  screen = console.run({"select 0.0"});
  EXPECT_NE(screen.find("navigation: \"Detalles\" back \"Tickets activos\" right \"Check-in\""), std::string::npos)
      << screen;
  EXPECT_NE(screen.find("idLabel: \"ID: 1042\""), std::string::npos) << screen;
  EXPECT_NE(screen.find("clientLabel: \"Transportes Castores del Bajío S.A. de C.V.\""), std::string::npos) << screen;
  EXPECT_NE(screen.find("iccidLabel: \"8952020083016613180\""), std::string::npos) << screen;

  screen = console.run({"back", "tab Cerrados"});
  EXPECT_NE(screen.find("screen: ClosedTableViewController"), std::string::npos) << screen;
  std::smatch closedId;
  ASSERT_TRUE(std::regex_search(screen, closedId, std::regex("idLabel: \"ID: ([0-9]+)\""))) << screen;
  // Copied now: the match points into `screen`, which the next command replaces.
  const std::string closedTicket = closedId[1];

  screen = console.run({"select 0.0"});
  EXPECT_NE(screen.find("screen: DetailsTableViewController"), std::string::npos) << screen;
  EXPECT_NE(screen.find("navigation: \"Detalles\" back \"Tickets cerrados\"\n"), std::string::npos) << screen;
  EXPECT_NE(screen.find("idLabel: \"ID: " + closedTicket + "\""), std::string::npos) << screen;

  screen = console.run({"back", "tab Búsqueda", "type searchTextField \"  fmc130 \"", "tap Buscar"});
  EXPECT_EQ(screen.find("error:"), std::string::npos) << screen;
  EXPECT_NE(screen.find("header \"Resultados\""), std::string::npos) << screen;
  EXPECT_NE(screen.find("documentNameLabel: \"manual-instalacion-fmc130.pdf\""), std::string::npos) << screen;

  screen = console.run({"tap 1.0 downloadButton"});
  std::smatch opened;
  ASSERT_TRUE(std::regex_search(screen, opened, std::regex("browser: (\\S+)"))) << screen;
  const std::string url = opened[1];
  EXPECT_EQ(url, demo.baseURL() + "/documents/docs/manuales/gps/manual-instalacion-fmc130.pdf");
  // The address the browser shows is one the document server serves.
  httplib::Client documents(demo.baseURL());
  auto document = documents.Get(url.substr(demo.baseURL().size()));
  ASSERT_TRUE(document);
  EXPECT_EQ(document->status, 200);

  screen = console.run({"back", "tab Activos", "tap \"Cerrar sesión\""});
  EXPECT_NE(screen.find("alert: \"Cerrar sesión\" message \"Esta seguro de querer cerrar sesión?\" buttons "
                        "[Cancelar (cancel)] [*Aceptar]"),
            std::string::npos)
      << screen;

  screen = console.run({"answer Aceptar"});
  EXPECT_NE(screen.find("screen: LoginViewController"), std::string::npos) << screen;
  EXPECT_EQ(screen.find("tabs:"), std::string::npos) << screen;
  EXPECT_EQ(console.quit(), 0);

  platform::Preferences stored(demo.dataDirectory() / "Preferences.plist");
  EXPECT_EQ(stored.stringForKey("token"), "");
}

TEST(ConsoleEndToEnd, WrongCredentialsRaiseTheServerAlertAndStayOnTheLoginScreen) {
  testing::DemoEnvironment demo;
  ConsoleSession console(demo);
  std::string screen =
      console.run({"type emailTF tecnico@instala.mx", "type passwordTF otra-clave", "tap loginButton"});
  EXPECT_NE(screen.find("alert: \"Error de servidor. Intentar nuevamente.\" buttons [*Aceptar]"), std::string::npos)
      << screen;
  screen = console.run({"answer Aceptar"});
  EXPECT_NE(screen.find("screen: LoginViewController"), std::string::npos) << screen;
  EXPECT_EQ(screen.find("alert:"), std::string::npos) << screen;
  EXPECT_EQ(console.quit(), 0);
}

}  // namespace
}  // namespace instala
