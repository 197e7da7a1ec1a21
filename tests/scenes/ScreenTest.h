#pragma once
// A fixture for screen tests: the application launched headless from a copy
// of the built bundle whose server is a loopback RecordingServer of the test,
// with private preferences, a fixed document base URL, and helpers to run
// the main loop until requests have been answered.

#include "app/AppDelegate.h"
#include "app/ClassRegistrations.h"
#include "common/LoadingActivity.h"
#include "console/ScreenPrinter.h"
#include "platform/Bundle.h"
#include "platform/Paths.h"
#include "platform/Preferences.h"
#include "platform/RunLoop.h"
#include "ui/AlertController.h"
#include "ui/Application.h"
#include "ui/NavigationController.h"
#include "ui/Screen.h"
#include "ui/TabBarController.h"
#include "ui/Window.h"

#include "support/ChildProcess.h"
#include "support/MainLoop.h"
#include "support/RecordingServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <string>

namespace instala::testing {

class ScreenTest : public ::testing::Test {
 public:
  // The server's paths, spelled out as they must appear on the wire.
  static constexpr const char* kSignInPath = "/api/v1/sessions";
  static constexpr const char* kSignOutPath = "/api/v1/sessions/current";
  static constexpr const char* kActivePath = "/api/v1/tickets/active";
  static constexpr const char* kClosedPath = "/api/v1/tickets/closed";
  static constexpr const char* kSearchPath = "/api/v1/documents/search";

 protected:
  static constexpr const char* kDocumentBaseURL = "https://docs.instala.test/archivo";

  void SetUp() override {
    reset();
    pointBundleAt(server.url());
    // Documents (and the outbox in them) stay private to the test too.
    platform::Paths::setDataDirectory(data.path());
    platform::Preferences::standard().open(data / "Preferences.plist");
    registerApplicationClasses();
  }

  void TearDown() override {
    // Answers still on their way must not reach the next test.
    waitUntilIdle();
    reset();
    platform::Paths::setDataDirectory({});
  }

  // Replies by request path (the target without its query); other paths get 404.
  void answer(std::map<std::string, Reply> replies) {
    server.setHandler([replies = std::move(replies)](const RecordedRequest& request) {
      auto found = replies.find(request.target.substr(0, request.target.find('?')));
      return found == replies.end() ? Reply::json(404, "{}") : found->second;
    });
  }

  // Points the application at an address where nothing listens.
  void stopServer() {
    int port = 0;
    {
      RecordingServer closed;
      port = closed.port();
    }
    pointBundleAt("http://127.0.0.1:" + std::to_string(port));
  }

  // The "URL" of the bundle's server configuration, as a property-list value.
  static void writeServerURL(const std::string& value) {
    std::ofstream(bundleCopy() / "Server-config.plist", std::ios::binary | std::ios::trunc)
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict><key>URL</key>" << value
        << "</dict>\n</plist>\n";
    platform::Bundle::setMain(bundleCopy());
  }

  void setToken(const std::optional<std::string>& token) {
    if (token) {
      platform::Preferences::standard().setObject(*token, "token");
    } else {
      platform::Preferences::standard().removeObjectForKey("token");
    }
  }
  std::optional<std::string> storedToken() const { return platform::Preferences::standard().stringForKey("token"); }

  // Start-up as the application does it: the stored token chooses the first screen.
  void launch() {
    delegate = std::make_shared<AppDelegate>();
    ui::Application::shared().setDelegate(delegate);
    ASSERT_TRUE(ui::Application::shared().launch());
    waitUntilIdle();
  }

  std::shared_ptr<ui::Window> window() const { return ui::Application::shared().keyWindow(); }

  // Runs queued work and refreshes the window, as a display pass would.
  void settle() {
    for (int round = 0; round < 100; ++round) {
      platform::RunLoop::main().runUntilIdle();
      if (auto shown = window()) shown->update();
      if (!platform::RunLoop::main().hasPendingTasks()) return;
    }
  }

  // Until no request is in flight (the loading overlay is hidden) and nothing is queued.
  void waitUntilIdle() {
    for (int round = 0; round < 20; ++round) {
      settle();
      if (!LoadingActivity::isShown()) return;
      ASSERT_TRUE(pumpMainLoopUntil([] { return !LoadingActivity::isShown(); })) << "a request never ended";
    }
  }

  // The screen of the given class that is on display, if any.
  template <typename T>
  std::shared_ptr<T> visible() const {
    std::shared_ptr<T> found;
    if (auto shown = window()) {
      for (const auto& controller : shown->visibleViewControllers()) {
        if (auto typed = std::dynamic_pointer_cast<T>(controller)) found = typed;
      }
    }
    return found;
  }
  std::shared_ptr<ui::AlertController> alert() const { return visible<ui::AlertController>(); }
  std::string alertTitle() const {
    auto shown = alert();
    return shown ? shown->title().value_or("(no title)") : "(no alert)";
  }
  void answerAlert(const std::string& button) {
    auto shown = alert();
    ASSERT_TRUE(shown) << "no alert is open";
    for (std::size_t i = 0; i < shown->actions().size(); ++i) {
      if (shown->actions()[i]->title() == button) {
        shown->tapAction(i);
        settle();
        return;
      }
    }
    FAIL() << "the alert has no button " << button;
  }
  void selectTab(std::size_t index) {
    auto tabs = visible<ui::TabBarController>();
    ASSERT_TRUE(tabs) << "no tab bar on display";
    tabs->setSelectedIndex(index);
    waitUntilIdle();
  }
  bool tap(ui::View& view) {
    const bool tapped = window()->sendTap(view);
    settle();
    return tapped;
  }

  std::string screenText() const { return console::ScreenPrinter::print(*window()); }

  std::vector<RecordedRequest> requestsTo(const std::string& path) const {
    std::vector<RecordedRequest> matching;
    for (const auto& request : server.requests()) {
      if (request.target.substr(0, request.target.find('?')) == path) matching.push_back(request);
    }
    return matching;
  }

  RecordingServer server;
  TempDir data;
  std::shared_ptr<AppDelegate> delegate;

 private:
  // The built bundle, copied once per test program; start-up reads the main bundle.
  static const std::filesystem::path& bundleCopy() {
    static TempDir directory;
    static const std::filesystem::path copy = [] {
      auto path = directory / "bundle";
      std::filesystem::copy(binaryDirectory() / "bundle", path, std::filesystem::copy_options::recursive);
      auto info = path / "Info.plist";
      static const std::regex base("(<key>InstalaDocumentBaseURL</key>\\s*<string>)[^<]*(</string>)");
      const std::string text = std::regex_replace(readText(info), base, std::string("$1") + kDocumentBaseURL + "$2");
      std::ofstream(info, std::ios::binary | std::ios::trunc) << text;
      return path;
    }();
    return copy;
  }

  static void pointBundleAt(const std::string& baseURL) { writeServerURL("<string>" + baseURL + "</string>"); }

  void reset() {
    LoadingActivity::stop();
    platform::RunLoop::main().runUntilIdle();
    ui::Screen::main().setOrientation(ui::Orientation::portrait);
    ui::Application::shared().reset();
    delegate.reset();
  }
};

}  // namespace instala::testing
