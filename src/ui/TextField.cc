#include "ui/TextField.h"

#include "ui/NotificationCenter.h"

#include <algorithm>

namespace instala::ui {
namespace {

std::size_t codePointLength(const std::string& text, std::size_t index) {
  const auto lead = static_cast<unsigned char>(text[index]);
  std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return std::min(length, text.size() - index);
}

}  // namespace

void TextField::setText(std::string text) {
  text_ = std::move(text);
  setNeedsDisplay();
}

void TextField::setPlaceholder(std::string placeholder) {
  placeholder_ = std::move(placeholder);
  setNeedsDisplay();
}

bool TextField::replaceText(TextRange range, const std::string& replacement) {
  if (!isEditing() || range.location > text_.size() || range.length > text_.size() - range.location) return false;
  if (auto delegate = delegate_.lock(); delegate && !delegate->shouldChangeCharactersInRange(*this, range, replacement)) {
    return false;
  }
  text_.replace(range.location, range.length, replacement);
  setNeedsDisplay();
  sendActions(ControlEvent::editingChanged);
  NotificationCenter::defaultCenter().post(textFieldTextDidChangeNotification, this);
  return true;
}

bool TextField::insertText(const std::string& text) { return replaceText({text_.size(), 0}, text); }

void TextField::typeText(const std::string& keystrokes) {
  for (std::size_t i = 0; i < keystrokes.size();) {
    const std::size_t length = codePointLength(keystrokes, i);
    insertText(keystrokes.substr(i, length));
    i += length;
  }
}

bool TextField::deleteBackward() {
  if (text_.empty()) return false;
  std::size_t start = text_.size() - 1;
  while (start > 0 && (static_cast<unsigned char>(text_[start]) & 0xC0) == 0x80) --start;
  return replaceText({start, text_.size() - start}, "");
}

bool TextField::pressReturn() {
  if (!isEditing()) return false;
  auto delegate = delegate_.lock();
  return delegate ? delegate->textFieldShouldReturn(*this) : true;
}

void TextField::drawPlaceholderInRect(Rect rect) { drawnPlaceholderRect_ = rect; }

void TextField::draw(Rect rect) {
  drawnPlaceholderRect_.reset();
  if (text_.empty() && !placeholder_.empty()) drawPlaceholderInRect(placeholderRectForBounds(rect));
}

void TextField::handleTap() {
  if (isEnabled()) becomeFirstResponder();
}

bool TextField::canBecomeFirstResponder() const {
  if (!isEnabled()) return false;
  auto delegate = delegate_.lock();
  return !delegate || delegate->textFieldShouldBeginEditing(const_cast<TextField&>(*this));
}

bool TextField::canResignFirstResponder() const {
  auto delegate = delegate_.lock();
  return !delegate || delegate->textFieldShouldEndEditing(const_cast<TextField&>(*this));
}

void TextField::didBecomeFirstResponder() {
  setNeedsDisplay();
  if (auto delegate = delegate_.lock()) delegate->textFieldDidBeginEditing(*this);
  NotificationCenter::defaultCenter().post(textFieldTextDidBeginEditingNotification, this);
  sendActions(ControlEvent::editingDidBegin);
}

void TextField::didResignFirstResponder() {
  setNeedsDisplay();
  if (auto delegate = delegate_.lock()) delegate->textFieldDidEndEditing(*this);
  NotificationCenter::defaultCenter().post(textFieldTextDidEndEditingNotification, this);
  sendActions(ControlEvent::editingDidEnd);
}

}  // namespace instala::ui
