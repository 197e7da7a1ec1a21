#include "qt/UnderlineFieldWidget.h"

#include "qt/Conversions.h"
#include "qt/LabelWidget.h"
#include "qt/MirrorContext.h"
#include "qt/TextDrawing.h"
#include "ui/TextField.h"

#include <QLineEdit>
#include <QMouseEvent>

#include <algorithm>

namespace instala::desktop {
namespace {

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The smallest single replacement that turns before into after, on code point boundaries.
struct Edit {
  ui::TextRange range;
  std::string replacement;
};

Edit difference(const std::string& before, const std::string& after) {
  std::size_t prefix = 0;
  const std::size_t shorter = std::min(before.size(), after.size());
  while (prefix < shorter && before[prefix] == after[prefix]) ++prefix;
  while (prefix > 0 && ((prefix < before.size() && isContinuationByte(before[prefix])) ||
                        (prefix < after.size() && isContinuationByte(after[prefix])))) {
    --prefix;
  }
  std::size_t suffix = 0;
  while (suffix < shorter - prefix && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) ++suffix;
  while (suffix > 0 && ((suffix < before.size() && isContinuationByte(before[before.size() - suffix])) ||
                        (suffix < after.size() && isContinuationByte(after[after.size() - suffix])))) {
    --suffix;
  }
  return {{prefix, before.size() - prefix - suffix}, after.substr(prefix, after.size() - prefix - suffix)};
}

// The line edit of a model field: clicks ask the model first; Qt never gives it focus on its own.
class ModelLineEdit : public QLineEdit {
 public:
  ModelLineEdit(UnderlineFieldWidget* owner) : QLineEdit(owner), owner_(owner) {
    setFrame(false);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    // A see-through base through the palette, not a style sheet: a style sheet
    // gives each field Qt's style-sheet style, half a millisecond per field on
    // the first screen, for the same pixels.
    QPalette transparentBase = palette();
    transparentBase.setColor(QPalette::Base, Qt::transparent);
    setPalette(transparentBase);
    setContextMenuPolicy(Qt::NoContextMenu);
  }

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    if (!hasFocus()) owner_->requestEditing();
    QLineEdit::mousePressEvent(event);
  }

 private:
  UnderlineFieldWidget* owner_;
};

}  // namespace

UnderlineFieldWidget::UnderlineFieldWidget(const std::shared_ptr<ui::View>& view, MirrorContext& context,
                                           QWidget* parent)
    : ViewWidget(view, context, parent), edit_(new ModelLineEdit(this)) {
  connect(edit_, &QLineEdit::textEdited, this, &UnderlineFieldWidget::textEdited);
  connect(edit_, &QLineEdit::returnPressed, this, [this] {
    if (auto field = std::dynamic_pointer_cast<ui::TextField>(this->view())) field->pressReturn();
    this->context().modelChanged();
  });
}

void UnderlineFieldWidget::syncFromModel(ui::View& view) {
  ViewWidget::syncFromModel(view);
  auto& field = static_cast<ui::TextField&>(view);
  const ui::Rect bounds = field.bounds();
  edit_->setGeometry(toQRect(field.isEditing() ? field.editingRectForBounds(bounds) : field.textRectForBounds(bounds)));
  edit_->setFont(context().fonts().font(field.font()));
  QPalette palette = edit_->palette();
  palette.setColor(QPalette::Text, field.textColor() ? toQColor(*field.textColor()) : QColor(Qt::black));
  palette.setColor(QPalette::PlaceholderText, QColor(0xC4, 0xC4, 0xC7));
  edit_->setPalette(palette);
  edit_->setAlignment(horizontalAlignment(field.textAlignment()) | Qt::AlignVCenter);
  edit_->setEchoMode(field.isSecureTextEntry() ? QLineEdit::Password : QLineEdit::Normal);
  edit_->setReadOnly(!field.isEnabled());
  const QString text = toQString(field.text());
  if (edit_->text() != text) {
    const int cursor = edit_->cursorPosition();
    edit_->setText(text);
    edit_->setCursorPosition(std::min(cursor, static_cast<int>(text.size())));
  }
  // The toolkit's own placeholder shows only where the model draws it; the
  // underlined field draws its placeholder in its own label instead.
  edit_->setPlaceholderText(field.drawnPlaceholderRect() ? toQString(field.placeholder()) : QString());
  if (field.isFirstResponder()) {
    if (!edit_->hasFocus()) edit_->setFocus(Qt::OtherFocusReason);
  } else if (edit_->hasFocus()) {
    edit_->clearFocus();
  }
}

void UnderlineFieldWidget::childrenSynced() {
  edit_->lower();
  // A placeholder label shown again inside a spring animation (the field was
  // left empty) comes back along that spring instead of popping in.
  std::optional<ui::AnimationRequest> spring;
  for (const auto& request : context().animations().recentRequests()) {
    if (request.kind == ui::AnimationRequest::Kind::springAnimation) spring = request;
  }
  std::map<QObject*, bool> shown;
  for (QObject* object : children()) {
    auto* label = qobject_cast<LabelWidget*>(object);
    if (!label) continue;
    const bool visible = !label->isHidden();
    shown[label] = visible;
    const auto previous = childShown_.find(label);
    if (spring && visible && previous != childShown_.end() && !previous->second) {
      label->place(label->geometry(), label->opacity(), AnimationTracker::Motion{*spring, true});
    }
  }
  childShown_ = std::move(shown);
}

void UnderlineFieldWidget::requestEditing() {
  if (auto view = this->view()) context().tap(*view);
}

void UnderlineFieldWidget::textEdited(const QString& text) {
  auto field = std::dynamic_pointer_cast<ui::TextField>(view());
  if (!field) return;
  const std::string before = field->text();
  const std::string after = toStdString(text);
  const Edit edit = difference(before, after);
  const bool applied = field->replaceText(edit.range, edit.replacement);
  const QString now = toQString(field->text());
  if (edit_->text() != now) {
    // Refused (or changed by the delegate): the screen shows the model's text again.
    const std::size_t cursorBytes =
        std::min(field->text().size(), edit.range.location + (applied ? edit.replacement.size() : edit.range.length));
    edit_->setText(now);
    edit_->setCursorPosition(static_cast<int>(toQString(field->text().substr(0, cursorBytes)).size()));
  }
  context().modelChanged();
}

}  // namespace instala::desktop
