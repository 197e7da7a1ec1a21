#include "common/AnimatedTextField.h"

#include "ui/NotificationCenter.h"

#include <cstdlib>
#include <iostream>

namespace instala {
namespace {

[[noreturn]] void mustBeOverridden(const char* hook) {
  std::cerr << "Fatal error: " << hook << " must be overridden\n";
  std::abort();
}

}  // namespace

AnimatedTextField::AnimatedTextField() : placeholderLabel_(std::make_shared<ui::Label>()) {}

AnimatedTextField::~AnimatedTextField() { ui::NotificationCenter::defaultCenter().removeObserver(this); }

void AnimatedTextField::animateViewsForTextEntry() { mustBeOverridden("animateViewsForTextEntry()"); }
void AnimatedTextField::animateViewsForTextDisplay() { mustBeOverridden("animateViewsForTextDisplay()"); }
void AnimatedTextField::drawViewsForRect(ui::Rect) { mustBeOverridden("drawViewsForRect(_:)"); }

void AnimatedTextField::willMoveToSuperview(ui::View* newSuperview) {
  auto& center = ui::NotificationCenter::defaultCenter();
  // Moving straight from one superview to another must not observe twice.
  center.removeObserver(this);
  if (!newSuperview) return;
  center.addObserver(this, ui::textFieldTextDidEndEditingNotification, this,
                     [this](const ui::Notification&) { textFieldDidEndEditing(); });
  center.addObserver(this, ui::textFieldTextDidBeginEditingNotification, this,
                     [this](const ui::Notification&) { textFieldDidBeginEditing(); });
}

void AnimatedTextField::textFieldDidBeginEditing() {
  placeholderLabel_->setHidden(true);
  animateViewsForTextEntry();
}

void AnimatedTextField::textFieldDidEndEditing() {
  if (text().empty()) placeholderLabel_->setHidden(false);
  animateViewsForTextDisplay();
}

void AnimatedTextField::setText(std::string text) {
  ui::TextField::setText(std::move(text));
  if (!this->text().empty() || isFirstResponder()) {
    animateViewsForTextEntry();
  } else {
    animateViewsForTextDisplay();
  }
}

void AnimatedTextField::draw(ui::Rect rect) {
  ui::TextField::draw(rect);
  if (!isFirstResponder()) drawViewsForRect(rect);
}

void AnimatedTextField::drawPlaceholderInRect(ui::Rect) {}

void AnimatedTextField::prepareForInterfaceBuilder() { drawViewsForRect(frame()); }

}  // namespace instala
