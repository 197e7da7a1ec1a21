#pragma once
// A spinning activity indicator.

#include "ui/View.h"

namespace instala::ui {

class ActivityIndicatorView : public View {
 public:
  using Super = View;
  enum class Style { medium, large, white, whiteLarge, gray };

  using View::View;

  Style style() const { return style_; }
  void setStyle(Style style) { style_ = style; }
  const std::optional<Color>& color() const { return color_; }
  void setColor(std::optional<Color> color) { color_ = color; }
  bool isAnimating() const { return animating_; }
  void startAnimating() { animating_ = true; }
  void stopAnimating() { animating_ = false; }

 private:
  Style style_ = Style::medium;
  std::optional<Color> color_;
  bool animating_ = false;
};

}  // namespace instala::ui
