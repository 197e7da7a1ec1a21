#pragma once
// A text field that draws its placeholder in a label of its own and animates
// between entry and display. Concrete fields implement the three hooks; the
// base's own versions stop the program ("<hook> must be overridden").

#include "ui/Label.h"
#include "ui/TextField.h"

#include <functional>
#include <memory>

namespace instala {

class AnimatedTextField : public ui::TextField {
 public:
  using Super = ui::TextField;
  enum class AnimationType { textEntry = 0, textDisplay = 1 };

  AnimatedTextField();
  ~AnimatedTextField() override;

  const std::shared_ptr<ui::Label>& placeholderLabel() const { return placeholderLabel_; }
  // Called when a hook's animation finishes.
  std::function<void(AnimationType)> animationCompletionHandler;

  virtual void animateViewsForTextEntry();
  virtual void animateViewsForTextDisplay();
  virtual void drawViewsForRect(ui::Rect rect);

  // Setting the text animates to entry when there is text or the field is being edited, else to display.
  void setText(std::string text) override;
  void draw(ui::Rect rect) override;
  // Draws nothing: the placeholder label replaces the toolkit's placeholder.
  void drawPlaceholderInRect(ui::Rect rect) override;
  // The design-time preview of the field.
  void prepareForInterfaceBuilder();

 protected:
  void willMoveToSuperview(ui::View* newSuperview) override;
  void textFieldDidBeginEditing();
  void textFieldDidEndEditing();

 private:
  std::shared_ptr<ui::Label> placeholderLabel_;
};

}  // namespace instala
