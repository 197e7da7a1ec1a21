#pragma once
// A one-line text input. Typing goes through the delegate's
// shouldChangeCharactersInRange one keystroke at a time, as on the phone;
// setText from code does not ask the delegate. Editing begins when the field
// becomes first responder (a tap) and ends when it resigns (endEditing).

#include "ui/Control.h"
#include "ui/Font.h"
#include "ui/Label.h"

#include <memory>
#include <optional>
#include <string>

namespace instala::ui {

class TextField;

// A range of the field's text, in bytes of its UTF-8 text.
struct TextRange {
  std::size_t location = 0;
  std::size_t length = 0;
  bool operator==(const TextRange&) const = default;
};

class TextFieldDelegate {
 public:
  virtual ~TextFieldDelegate() = default;
  virtual bool textFieldShouldBeginEditing(TextField&) { return true; }
  virtual void textFieldDidBeginEditing(TextField&) {}
  virtual bool textFieldShouldEndEditing(TextField&) { return true; }
  virtual void textFieldDidEndEditing(TextField&) {}
  virtual bool shouldChangeCharactersInRange(TextField&, TextRange /*range*/, const std::string& /*replacement*/) {
    return true;
  }
  virtual bool textFieldShouldReturn(TextField&) { return true; }
};

class TextField : public Control {
 public:
  using Super = Control;
  using Control::Control;

  const std::string& text() const { return text_; }
  virtual void setText(std::string text);
  const std::string& placeholder() const { return placeholder_; }
  virtual void setPlaceholder(std::string placeholder);
  const Font& font() const { return font_; }
  void setFont(Font font) { font_ = std::move(font); }
  const std::optional<Color>& textColor() const { return textColor_; }
  void setTextColor(std::optional<Color> color) { textColor_ = color; }
  TextAlignment textAlignment() const { return alignment_; }
  void setTextAlignment(TextAlignment alignment) { alignment_ = alignment; }
  bool isSecureTextEntry() const { return secure_; }
  void setSecureTextEntry(bool secure) { secure_ = secure; }

  std::shared_ptr<TextFieldDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<TextFieldDelegate> delegate) { delegate_ = std::move(delegate); }

  bool isEditing() const { return isFirstResponder(); }

  // User input; each returns whether the change was applied (the field must be editing).
  bool replaceText(TextRange range, const std::string& replacement);
  bool insertText(const std::string& text);
  // One keystroke per character (UTF-8 code point).
  void typeText(const std::string& keystrokes);
  bool deleteBackward();
  // The return key: asks the delegate.
  bool pressReturn();

  virtual Rect textRectForBounds(Rect bounds) const { return bounds; }
  virtual Rect editingRectForBounds(Rect bounds) const { return bounds; }
  virtual Rect placeholderRectForBounds(Rect bounds) const { return textRectForBounds(bounds); }
  // The toolkit draws its own placeholder here when the text is empty.
  virtual void drawPlaceholderInRect(Rect rect);
  // Where the toolkit's own placeholder was last drawn; nothing when it was not drawn.
  const std::optional<Rect>& drawnPlaceholderRect() const { return drawnPlaceholderRect_; }
  void draw(Rect rect) override;

  // A tap starts editing.
  void handleTap() override;

 protected:
  bool canBecomeFirstResponder() const override;
  bool canResignFirstResponder() const override;
  void didBecomeFirstResponder() override;
  void didResignFirstResponder() override;
  Size intrinsicContentSize() const override { return {-1, 44}; }

 private:
  std::string text_;
  std::string placeholder_;
  Font font_ = Font::systemFont(17);
  std::optional<Color> textColor_ = Color::black();
  TextAlignment alignment_ = TextAlignment::natural;
  bool secure_ = false;
  std::weak_ptr<TextFieldDelegate> delegate_;
  std::optional<Rect> drawnPlaceholderRect_;
};

}  // namespace instala::ui
