// instala: the desktop application. One phone-sized window that draws the
// toolkit model and feeds the mouse and keyboard into it.
//
//   instala [--bundle DIR] [--data DIR] [--screenshot-tour DIR [--screens N]]
//           [--exit-after-first-frame | --exit-after-screen SCREEN]
//
// --screenshot-tour walks the whole flow against a running demo server (the
// bundle's Server-config.plist points at it) and writes one PNG per screen.
// The two exit flags measure start-up: the program quits once that frame is drawn.

#include "app/Launch.h"
#include "platform/Bundle.h"
#include "platform/RunLoop.h"
#include "qt/FrameExit.h"
#include "qt/MainWindow.h"
#include "qt/QtRunLoopDriver.h"
#include "qt/ScreenshotTour.h"
#include "qt/TileCache.h"
#include "ui/Application.h"
#include "ui/Screen.h"

#include <QApplication>

#include <future>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* usage =
    "usage: instala [--bundle DIR] [--data DIR] [--screenshot-tour DIR [--screens N]]\n"
    "               [--exit-after-first-frame | --exit-after-screen SCREEN]\n"
    "  --bundle DIR               the application bundle (default: $INSTALA_BUNDLE, then the one shipped with instala)\n"
    "  --data DIR                 keep the preferences and documents under DIR\n"
    "  --screenshot-tour DIR      walk every screen against the demo server and write one PNG per screen to DIR\n"
    "  --screens N                end the tour after its first N screens\n"
    "  --exit-after-first-frame   quit once the window's first frame is drawn\n"
    "  --exit-after-screen SCREEN quit once a frame shows the screen SCREEN (a class name such as\n"
    "                             ActivesTableViewController) with nothing loading and no alert open\n"
    "  Both exit flags print \"frame drawn: SCREEN [rows N]\" (the screen on top) before quitting.\n";

// 1 to 99; 0 for anything else.
std::size_t screenCount(const std::string& text) {
  if (text.empty() || text.size() > 2 || text.find_first_not_of("0123456789") != std::string::npos) return 0;
  return static_cast<std::size_t>(std::stoi(text));
}

}  // namespace

int main(int argc, char** argv) {
  using namespace instala;
  // Qt Multimedia's default GStreamer backend stops the process when its plugins are missing.
  if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND")) qputenv("QT_MEDIA_BACKEND", "ffmpeg");
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Instala"));
  // Desktops match the window to the installed menu entry and icon by this name.
  QGuiApplication::setDesktopFileName(QStringLiteral("mx.instala.Instala"));

  std::vector<std::string> arguments;
  const QStringList qtArguments = QApplication::arguments();
  for (qsizetype i = 1; i < qtArguments.size(); ++i) arguments.push_back(qtArguments[i].toStdString());
  auto options = parseLaunchOptions(arguments);
  if (!options) {
    std::cerr << "instala: " << options.error().message << "\n" << usage;
    return 2;
  }
  std::optional<std::filesystem::path> tourDirectory;
  bool exitAfterFrame = false;
  std::optional<std::string> exitScreen;
  std::size_t tourScreens = 0;
  const auto& remaining = options->remaining;
  for (std::size_t i = 0; i < remaining.size(); ++i) {
    const std::string& option = remaining[i];
    if (option == "--help" || option == "-h") {
      std::cout << usage;
      return 0;
    }
    const bool hasValue = i + 1 < remaining.size() && !remaining[i + 1].empty();
    if (option == "--screenshot-tour" && hasValue) {
      tourDirectory = remaining[++i];
    } else if (option == "--exit-after-screen" && hasValue) {
      exitScreen = remaining[++i];
    } else if (option == "--exit-after-first-frame") {
      exitAfterFrame = true;
    } else if (option == "--screens" && hasValue && screenCount(remaining[i + 1]) > 0) {
      tourScreens = screenCount(remaining[++i]);
    } else {
      std::cerr << "instala: "
                << (option == "--screenshot-tour"     ? "--screenshot-tour needs a directory"
                    : option == "--exit-after-screen" ? "--exit-after-screen needs a screen"
                    : option == "--screens"           ? "--screens needs a number from 1 to 99"
                                                      : "unknown option " + option)
                << "\n" << usage;
      return 2;
    }
  }
  if (int(exitAfterFrame) + int(exitScreen.has_value()) + int(tourDirectory.has_value()) > 1) {
    std::cerr << "instala: --screenshot-tour, --exit-after-first-frame and --exit-after-screen exclude each other\n"
              << usage;
    return 2;
  }
  if (tourScreens > 0 && !tourDirectory) {
    std::cerr << "instala: --screens goes with --screenshot-tour\n" << usage;
    return 2;
  }

  // The model's screen is the window: a phone's 390 by 844 points.
  ui::Screen::main().setPortraitSize({desktop::MainWindow::phoneWidth, desktop::MainWindow::phoneHeight});
  desktop::QtRunLoopDriver driver(platform::RunLoop::main());
  // The model launches (bundle, preferences, storyboard, first screen) on a
  // second thread while this one sets up the fonts, the two longest steps
  // before the window; nothing else touches the model until it has launched.
  // The first screen comes before the window, so its requests are under way while the window is built.
  auto launching = std::async(std::launch::async, [&options] { return launchApplication(options.value()); });
  const auto fontsFolder = platform::Bundle::located(options->bundle).root() / "Assets" / "Fonts";
  // The first frame needs only the bundle's fonts: the system's font configuration comes after it.
  const bool lightFonts = desktop::FontRegistry::useLightConfiguration(fontsFolder);
  desktop::FontRegistry fonts(fontsFolder);
  auto delegate = launching.get();
  if (!delegate) {
    std::cerr << "instala: " << delegate.error().message << "\n";
    return 1;
  }
  desktop::MainWindow window(driver, fonts, desktop::TileCache::templateFromBundle());
  if (lightFonts) window.useSystemFontsAfterFirstFrame();
  if (tourDirectory) {
    desktop::ScreenshotTour tour(window, *tourDirectory, tourScreens);
    return tour.run();
  }
  // The desktop's application states are the phone's lifecycle events.
  QObject::connect(&application, &QGuiApplication::applicationStateChanged, &window,
                   [previous = Qt::ApplicationInactive](Qt::ApplicationState state) mutable {
                     auto& model = ui::Application::shared();
                     auto delegate = model.delegate();
                     if (!delegate || state == previous) return;
                     if (state == Qt::ApplicationActive) {
                       if (previous == Qt::ApplicationHidden || previous == Qt::ApplicationSuspended) {
                         delegate->willEnterForeground(model);
                       }
                       delegate->didBecomeActive(model);
                     } else if (state == Qt::ApplicationInactive) {
                       delegate->willResignActive(model);
                     } else {
                       if (previous == Qt::ApplicationActive) delegate->willResignActive(model);
                       delegate->didEnterBackground(model);
                     }
                     previous = state;
                   });
  QObject::connect(&application, &QCoreApplication::aboutToQuit, [] {
    if (auto delegate = ui::Application::shared().delegate()) delegate->willTerminate(ui::Application::shared());
  });
  std::optional<desktop::FrameExit> frameExit;
  if (exitAfterFrame || exitScreen) frameExit.emplace(window, exitScreen);
  // The first frame already shows the first screen instead of an empty window.
  window.syncNow();
  window.show();
  return QApplication::exec();
}
