#include "ui/Switch.h"

namespace instala::ui {

Switch::Switch() : Control(Rect{0, 0, 51, 31}) {
  // The phone's switch has a fixed size.
  setFixedWidth(51);
  setFixedHeight(31);
}

void Switch::setOn(bool on, bool) {
  on_ = on;
  setNeedsDisplay();
}

void Switch::handleTap() {
  if (!isEnabled()) return;
  setOn(!on_, true);
  sendActions(ControlEvent::valueChanged);
}

}  // namespace instala::ui
