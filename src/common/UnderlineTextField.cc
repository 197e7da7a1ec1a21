#include "common/UnderlineTextField.h"

namespace instala {

UnderlineTextField::UnderlineTextField() = default;

void UnderlineTextField::setBorderInactiveColor(std::optional<ui::Color> color) {
  borderInactiveColor_ = color;
  refreshUnderlines();
}

void UnderlineTextField::setBorderActiveColor(std::optional<ui::Color> color) {
  borderActiveColor_ = color;
  refreshUnderlines();
}

void UnderlineTextField::setPlaceholderColor(std::optional<ui::Color> color) {
  if (color) placeholderColor_ = *color;
  refreshPlaceholderLabel();
}

void UnderlineTextField::setPlaceholderFontScale(double scale) {
  placeholderFontScale_ = scale;
  refreshPlaceholderLabel();
}

void UnderlineTextField::setPlaceholder(std::string placeholder) {
  AnimatedTextField::setPlaceholder(std::move(placeholder));
  refreshPlaceholderLabel();
}

void UnderlineTextField::setBounds(ui::Rect bounds) {
  AnimatedTextField::setBounds(bounds);
  refreshUnderlines();
  refreshPlaceholderLabel();
}

void UnderlineTextField::animateViewsForTextEntry() {}

void UnderlineTextField::animateViewsForTextDisplay() {
  if (!text().empty()) return;
  std::weak_ptr<ui::Object> weakSelf = weak_from_this();
  ui::View::animate(
      0.35, 0, 0.8, 2.0, ui::AnimationOptions::beginFromCurrentState,
      [this] {
        positionPlaceholderLabel();
        placeholderLabel()->setAlpha(1.0);
      },
      [weakSelf](bool) {
        auto self = std::dynamic_pointer_cast<UnderlineTextField>(weakSelf.lock());
        if (self && self->animationCompletionHandler) self->animationCompletionHandler(AnimationType::textDisplay);
      });
  const double height = frame().height();
  activeBorderLayer_->frame = {0, height - borderThickness.active, 0, borderThickness.active};
}

void UnderlineTextField::drawViewsForRect(ui::Rect rect) {
  placeholderLabel()->setFrame(
      ui::Rect{0, 0, rect.width(), rect.height()}.insetBy(placeholderInsets.x, placeholderInsets.y));
  placeholderLabel()->setFont(scaledPlaceholderFont());
  refreshUnderlines();
  refreshPlaceholderLabel();
  layer().addSublayer(inactiveBorderLayer_);
  layer().addSublayer(activeBorderLayer_);
  addSubview(placeholderLabel());
}

ui::Rect UnderlineTextField::textRectForBounds(ui::Rect bounds) const {
  return bounds.offsetBy(textFieldInsets.x, textFieldInsets.y);
}

ui::Rect UnderlineTextField::editingRectForBounds(ui::Rect bounds) const { return textRectForBounds(bounds); }

void UnderlineTextField::refreshUnderlines() {
  const double width = frame().width();
  const double height = frame().height();
  const bool editing = isFirstResponder();
  inactiveBorderLayer_->frame = {0, height - borderThickness.inactive, editing ? 0.0 : width,
                                 borderThickness.inactive};
  inactiveBorderLayer_->backgroundColor = borderInactiveColor_;
  activeBorderLayer_->frame = {0, height - borderThickness.active, editing ? width : 0.0, borderThickness.active};
  activeBorderLayer_->backgroundColor = borderActiveColor_;
}

void UnderlineTextField::refreshPlaceholderLabel() {
  auto& label = *placeholderLabel();
  label.setText(placeholder());
  label.setTextColor(placeholderColor_);
  label.sizeToFit();
  positionPlaceholderLabel();
  if (isFirstResponder() || !text().empty()) animateViewsForTextEntry();
}

void UnderlineTextField::positionPlaceholderLabel() {
  auto& label = *placeholderLabel();
  const ui::Rect textRect = textRectForBounds(bounds());
  double x = textRect.x();
  switch (textAlignment()) {
    case ui::TextAlignment::center:
      x += textRect.width() / 2 - label.frame().width() / 2;
      break;
    case ui::TextAlignment::right:
      x += textRect.width() - label.frame().width();
      break;
    default:
      break;
  }
  label.setFrame({{x, textRect.height() / 2}, label.frame().size});
}

ui::Font UnderlineTextField::scaledPlaceholderFont() const {
  return font().withSize(font().pointSize() * placeholderFontScale_);
}

void UnderlineTextField::describe(ui::ClassDescription<UnderlineTextField>& d) {
  d.colorAttribute("borderInactiveColor", &UnderlineTextField::setBorderInactiveColor)
      .colorAttribute("borderActiveColor", &UnderlineTextField::setBorderActiveColor)
      .colorAttribute("placeholderColor", &UnderlineTextField::setPlaceholderColor)
      .numberAttribute("placeholderFontScale", &UnderlineTextField::setPlaceholderFontScale);
}

}  // namespace instala
