#pragma once
// An on/off switch. A tap flips it and sends valueChanged; setOn from code does not.

#include "ui/Control.h"

namespace instala::ui {

class Switch : public Control {
 public:
  using Super = Control;

  Switch();

  bool isOn() const { return on_; }
  void setOn(bool on, bool animated = false);
  const std::optional<Color>& onTintColor() const { return onTintColor_; }
  void setOnTintColor(std::optional<Color> color) { onTintColor_ = color; }

  void handleTap() override;

 private:
  bool on_ = false;
  std::optional<Color> onTintColor_;
};

}  // namespace instala::ui
