#include "ui/GestureRecognizer.h"

namespace instala::ui {

bool GestureRecognizer::recognize() {
  auto target = target_.lock();
  if (!target || !enabled_) return false;
  return target->performSelector(action_, this);
}

}  // namespace instala::ui
