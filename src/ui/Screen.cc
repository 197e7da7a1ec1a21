#include "ui/Screen.h"

#include "ui/Application.h"
#include "ui/NotificationCenter.h"
#include "ui/Window.h"

namespace instala::ui {

Screen& Screen::main() {
  static Screen screen;
  return screen;
}

Rect Screen::bounds() const {
  if (orientation_ == Orientation::portrait) return {0, 0, portraitSize_.width, portraitSize_.height};
  return {0, 0, portraitSize_.height, portraitSize_.width};
}

void Screen::setOrientation(Orientation orientation) {
  if (orientation == orientation_) return;
  orientation_ = orientation;
  if (auto window = Application::shared().keyWindow()) window->setFrame(bounds());
  NotificationCenter::defaultCenter().post(deviceOrientationDidChangeNotification);
}

}  // namespace instala::ui
