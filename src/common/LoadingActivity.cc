#include "common/LoadingActivity.h"

#include "ui/Application.h"
#include "ui/NotificationCenter.h"
#include "ui/Screen.h"
#include "ui/Window.h"

namespace instala {

void LoadingActivity::start(ui::ActivityIndicatorView::Style style, ui::Color overlay, ui::Color indicator) {
  // One subscription is enough: repeating it on every start would only rebuild the overlay several times.
  if (!observingOrientation_) {
    observingOrientation_ = true;
    ui::NotificationCenter::defaultCenter().addObserver(&observingOrientation_,
                                                        ui::deviceOrientationDidChangeNotification, nullptr,
                                                        [](const ui::Notification&) { update(); });
  }
  if (activityIndicator_) return;
  auto window = ui::Application::shared().keyWindow();
  if (!window) return;
  auto view = std::make_shared<ui::ActivityIndicatorView>(ui::Screen::main().bounds());
  view->setBackgroundColor(overlay);
  view->setStyle(style);
  view->setColor(indicator);
  activityIndicator_ = view;
  window->addSubview(view);
  view->startAnimating();
}

void LoadingActivity::stop() {
  if (!activityIndicator_) return;
  auto view = std::move(activityIndicator_);
  activityIndicator_.reset();
  view->stopAnimating();
  view->removeFromSuperview();
}

void LoadingActivity::update() {
  if (!activityIndicator_) return;
  stop();
  start(indicatorStyle, overlayColor, indicatorColor);
}

}  // namespace instala
