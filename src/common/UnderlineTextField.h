#pragma once
// The application's text input: two underlines (inactive thin, active thick)
// and a placeholder label that springs back into place when the field is left
// empty. Configured from interface files through its attributes
// borderInactiveColor, borderActiveColor, placeholderColor, placeholderFontScale.

#include "common/AnimatedTextField.h"
#include "ui/ClassRegistry.h"
#include "ui/Layer.h"

namespace instala {

class UnderlineTextField : public AnimatedTextField {
 public:
  using Super = AnimatedTextField;

  struct BorderThickness {
    double active;
    double inactive;
  };

  UnderlineTextField();

  const std::optional<ui::Color>& borderInactiveColor() const { return borderInactiveColor_; }
  void setBorderInactiveColor(std::optional<ui::Color> color);
  const std::optional<ui::Color>& borderActiveColor() const { return borderActiveColor_; }
  void setBorderActiveColor(std::optional<ui::Color> color);
  const ui::Color& placeholderColor() const { return placeholderColor_; }
  // No colour (an unknown name) keeps the current one.
  void setPlaceholderColor(std::optional<ui::Color> color);
  double placeholderFontScale() const { return placeholderFontScale_; }
  void setPlaceholderFontScale(double scale);

  static constexpr BorderThickness borderThickness{2.0, 0.5};
  static constexpr ui::Point placeholderInsets{0, 6};
  static constexpr ui::Point textFieldInsets{0, 12};
  const std::shared_ptr<ui::Layer>& inactiveBorderLayer() const { return inactiveBorderLayer_; }
  const std::shared_ptr<ui::Layer>& activeBorderLayer() const { return activeBorderLayer_; }

  void setPlaceholder(std::string placeholder) override;
  void setBounds(ui::Rect bounds) override;

  void animateViewsForTextEntry() override;
  void animateViewsForTextDisplay() override;
  void drawViewsForRect(ui::Rect rect) override;
  ui::Rect textRectForBounds(ui::Rect bounds) const override;
  ui::Rect editingRectForBounds(ui::Rect bounds) const override;

  static void describe(ui::ClassDescription<UnderlineTextField>& d);

 private:
  void refreshUnderlines();
  void refreshPlaceholderLabel();
  void positionPlaceholderLabel();
  ui::Font scaledPlaceholderFont() const;

  std::optional<ui::Color> borderInactiveColor_;
  std::optional<ui::Color> borderActiveColor_;
  ui::Color placeholderColor_ = ui::Color::black();
  double placeholderFontScale_ = 1.0;
  std::shared_ptr<ui::Layer> inactiveBorderLayer_ = std::make_shared<ui::Layer>();
  std::shared_ptr<ui::Layer> activeBorderLayer_ = std::make_shared<ui::Layer>();
};

}  // namespace instala
