#pragma once
// A model window with a root screen, mirrored by a real MainWindow on the
// offscreen platform, with the run loop driven by Qt. Global model state is
// reset around each test.

#include "common/LoadingActivity.h"
#include "platform/Bundle.h"
#include "platform/RunLoop.h"
#include "qt/MainWindow.h"
#include "qt/QtRunLoopDriver.h"
#include "support/ChildProcess.h"
#include "ui/Application.h"
#include "ui/NotificationCenter.h"
#include "ui/Screen.h"
#include "ui/Window.h"

#include <QTest>

#include <functional>
#include <memory>

namespace instala::testing {

class MirrorHarness {
 public:
  MirrorHarness() {
    reset();
    platform::Bundle::setMain(binaryDirectory() / "bundle");
    ui::Screen::main().setPortraitSize({desktop::MainWindow::phoneWidth, desktop::MainWindow::phoneHeight});
  }
  ~MirrorHarness() {
    window.reset();
    driver.reset();
    reset();
  }
  MirrorHarness(const MirrorHarness&) = delete;
  MirrorHarness& operator=(const MirrorHarness&) = delete;

  // Makes the screen the root of a new key window and opens the desktop window on it.
  void show(const std::shared_ptr<ui::ViewController>& root, const QString& tileTemplate = {}) {
    model = std::make_shared<ui::Window>();
    model->setRootViewController(root);
    model->makeKeyAndVisible();
    driver = std::make_unique<desktop::QtRunLoopDriver>(platform::RunLoop::main());
    window.reset();
    fonts = std::make_unique<desktop::FontRegistry>(platform::Bundle::main().root() / "Assets" / "Fonts");
    window = std::make_unique<desktop::MainWindow>(*driver, *fonts, tileTemplate);
    window->show();
    window->syncNow();
  }

  // Changes the model the way the application does: as a task of the main run loop.
  void onMainQueue(std::function<void()> change) { platform::RunLoop::main().async(std::move(change)); }

  // The widget of a model view once the window has drawn it.
  template <typename Widget = desktop::ViewWidget>
  Widget* widgetOf(const std::shared_ptr<ui::View>& view) {
    window->syncNow();
    return qobject_cast<Widget*>(window->views().widgetFor(view.get()));
  }

  std::shared_ptr<ui::Window> model;
  std::unique_ptr<desktop::QtRunLoopDriver> driver;
  std::unique_ptr<desktop::FontRegistry> fonts;  // before the window, which refers to it
  std::unique_ptr<desktop::MainWindow> window;

 private:
  static void reset() {
    LoadingActivity::stop();
    platform::RunLoop::main().runUntilIdle();
    ui::Screen::main().setOrientation(ui::Orientation::portrait);
    ui::Application::shared().reset();
  }
};

}  // namespace instala::testing
