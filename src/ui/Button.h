#pragma once
// A push button: a title (and image) per control state, touchUpInside actions.

#include "ui/Control.h"
#include "ui/Font.h"
#include "ui/Image.h"

#include <map>
#include <optional>
#include <string>

namespace instala::ui {

class Button : public Control {
 public:
  using Super = Control;
  using Control::Control;

  // An unset state falls back to the normal state's title, like the phone.
  void setTitle(std::optional<std::string> title, ControlState state);
  std::optional<std::string> title(ControlState state) const;
  // The title of the current state (disabled when not enabled).
  std::optional<std::string> currentTitle() const;
  void setTitleColor(std::optional<Color> color, ControlState state);
  std::optional<Color> titleColor(ControlState state) const;
  void setImage(std::optional<Image> image, ControlState state);
  std::optional<Image> image(ControlState state) const;
  const Font& font() const { return font_; }
  void setFont(Font font) { font_ = std::move(font); }

  // A tap sends touchUpInside when enabled.
  void handleTap() override;

 protected:
  Size intrinsicContentSize() const override;

 private:
  std::map<ControlState, std::string> titles_;
  std::map<ControlState, Color> titleColors_;
  std::map<ControlState, Image> images_;
  Font font_ = Font::systemFont(17);
};

}  // namespace instala::ui
