#include "qt/FrameExit.h"

#include "common/LoadingActivity.h"
#include "qt/MainWindow.h"
#include "ui/AlertController.h"
#include "ui/Application.h"
#include "ui/ImagePickerController.h"
#include "ui/NavigationController.h"
#include "ui/SafariViewController.h"
#include "ui/TabBarController.h"
#include "ui/TableView.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <iostream>

namespace instala::desktop {
namespace {

bool isScreen(const ui::ViewController& controller) {
  return !dynamic_cast<const ui::NavigationController*>(&controller) &&
         !dynamic_cast<const ui::TabBarController*>(&controller) &&
         !dynamic_cast<const ui::AlertController*>(&controller) &&
         !dynamic_cast<const ui::ImagePickerController*>(&controller) &&
         !dynamic_cast<const ui::SafariViewController*>(&controller);
}

}  // namespace

FrameExit::FrameExit(MainWindow& window, std::optional<std::string> screen)
    : window_(window), screen_(std::move(screen)) {
  connect(&window_, &MainWindow::synced, this, &FrameExit::modelSynced);
  QCoreApplication::instance()->installEventFilter(this);
}

FrameExit::~FrameExit() { QCoreApplication::instance()->removeEventFilter(this); }

std::string FrameExit::describeScreen() {
  auto window = ui::Application::shared().keyWindow();
  if (!window) return "none";
  std::shared_ptr<ui::ViewController> top;
  for (const auto& controller : window->visibleViewControllers()) {
    if (isScreen(*controller)) top = controller;
  }
  if (!top) return "none";
  std::string text = top->className();
  if (auto* table = dynamic_cast<const ui::TableView*>(top->viewIfLoaded().get())) {
    int rows = 0;
    for (int section = 0; section < table->numberOfSections(); ++section) rows += table->numberOfRows(section);
    text += " rows " + std::to_string(rows);
  }
  return text;
}

void FrameExit::modelSynced() {
  wanted_ = false;
  auto window = ui::Application::shared().keyWindow();
  if (!window) return;
  if (screen_) {
    if (LoadingActivity::isShown()) return;
    const auto visible = window->visibleViewControllers();
    const auto alert = std::any_of(visible.begin(), visible.end(), [](const auto& controller) {
      return dynamic_cast<const ui::AlertController*>(controller.get()) != nullptr;
    });
    const auto shown = std::any_of(visible.begin(), visible.end(),
                                   [this](const auto& controller) { return controller->className() == *screen_; });
    if (alert || !shown) return;
  }
  wanted_ = true;
  drawn_ = describeScreen();
}

bool FrameExit::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Paint && wanted_ && !quitting_) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && widget->window() == &window_) {
      quitting_ = true;
      // Queued: the rest of this paint pass (the other widgets, the flush) finishes first.
      QTimer::singleShot(0, this, [this] {
        std::cout << "frame drawn: " << drawn_ << std::endl;
        QCoreApplication::exit(0);
      });
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace instala::desktop
