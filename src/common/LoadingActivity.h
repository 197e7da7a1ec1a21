#pragma once
// The full-screen loading overlay shown while a request is under way. One
// overlay for the whole application, class-level state only, main thread only.
// The request layer calls
//   LoadingActivity::start(LoadingActivity::indicatorStyle, LoadingActivity::overlayColor,
//                          LoadingActivity::indicatorColor);
// when it sends a request and LoadingActivity::stop() when an exchange ends.

#include "ui/ActivityIndicatorView.h"
#include "ui/Color.h"

#include <memory>

namespace instala {

class LoadingActivity {
 public:
  LoadingActivity() = delete;

  static inline ui::ActivityIndicatorView::Style indicatorStyle = ui::ActivityIndicatorView::Style::whiteLarge;
  static inline ui::Color overlayColor = ui::Color::black().withAlphaComponent(0.2);
  static inline ui::Color indicatorColor = ui::Color::white();

  // Shows the overlay over the key window; a second start while shown changes nothing.
  // Without a key window nothing is shown.
  static void start(ui::ActivityIndicatorView::Style style, ui::Color overlay, ui::Color indicator);
  // Hides the overlay when one is shown.
  static void stop();
  // Orientation changed: rebuilds a shown overlay so it covers the rotated screen.
  static void update();

  // The overlay while shown, else null.
  static std::shared_ptr<ui::ActivityIndicatorView> activityIndicator() { return activityIndicator_; }
  static bool isShown() { return activityIndicator_ != nullptr; }

 private:
  static inline std::shared_ptr<ui::ActivityIndicatorView> activityIndicator_;
  static inline bool observingOrientation_ = false;
};

}  // namespace instala
