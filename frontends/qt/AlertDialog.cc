#include "qt/AlertDialog.h"

#include "qt/Conversions.h"
#include "qt/MirrorContext.h"
#include "ui/AlertController.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace instala::desktop {
namespace {

constexpr int dialogWidth = 270;
const QColor separatorColor(0, 0, 0, 50);

// The strip that holds the buttons: a hairline above, and between side-by-side buttons.
class ButtonStrip : public QWidget {
 public:
  ButtonStrip(bool horizontal, QWidget* parent) : QWidget(parent), horizontal_(horizontal) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(QRectF(0, 0, width(), 0.5), separatorColor);
    const auto children = findChildren<QPushButton*>(Qt::FindDirectChildrenOnly);
    for (int i = 1; i < children.size(); ++i) {
      const QRect previous = children[i]->geometry();
      if (horizontal_) {
        painter.fillRect(QRectF(previous.left() - 0.5, 0, 0.5, height()), separatorColor);
      } else {
        painter.fillRect(QRectF(0, previous.top() - 0.5, width(), 0.5), separatorColor);
      }
    }
  }

 private:
  bool horizontal_;
};

}  // namespace

AlertDialog::AlertDialog(const std::shared_ptr<ui::AlertController>& alert, MirrorContext& context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), alert_(alert), context_(context) {
  setAttribute(Qt::WA_TranslucentBackground);
  setWindowModality(Qt::WindowModal);
  setWindowTitle(toQString(alert->title().value_or("")));
  setFixedWidth(dialogWidth);

  QColor tint = MirrorContext::defaultTint();
  if (auto view = alert->viewIfLoaded(); view && view->tintColor()) tint = toQColor(*view->tintColor());

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* text = new QVBoxLayout();
  text->setContentsMargins(16, 20, 16, 20);
  text->setSpacing(4);
  if (alert->title()) {
    title_ = new QLabel(toQString(*alert->title()), this);
    title_->setFont(context.fonts().systemFont(17, true));
    title_->setAlignment(Qt::AlignCenter);
    title_->setWordWrap(true);
    text->addWidget(title_);
  }
  if (alert->message()) {
    message_ = new QLabel(toQString(*alert->message()), this);
    message_->setFont(context.fonts().systemFont(13));
    message_->setAlignment(Qt::AlignCenter);
    message_->setWordWrap(true);
    text->addWidget(message_);
  }
  layout->addLayout(text);

  const auto& actions = alert->actions();
  const bool sideBySide = actions.size() == 2;
  auto* strip = new ButtonStrip(sideBySide, this);
  QBoxLayout* row = sideBySide ? static_cast<QBoxLayout*>(new QHBoxLayout(strip)) : new QVBoxLayout(strip);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  for (std::size_t i = 0; i < actions.size(); ++i) {
    const auto& action = actions[i];
    auto* button = new QPushButton(toQString(action->title()), strip);
    const bool preferred = alert->preferredAction() == action;
    QColor color = action->style() == ui::AlertAction::Style::destructive ? QColor(0xFF, 0x3B, 0x30) : tint;
    if (!action->isEnabled()) color = QColor(0xA0, 0xA0, 0xA0);
    button->setFont(context.fonts().systemFont(17, preferred));
    button->setFixedHeight(44);
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setEnabled(action->isEnabled());
    button->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; color: %1; }"
                                         "QPushButton:pressed { background: rgba(0, 0, 0, 20); }")
                              .arg(color.name()));
    button->setAutoDefault(false);
    button->setDefault(preferred);
    const int index = static_cast<int>(i);
    connect(button, &QPushButton::clicked, this, [this, index] { answer(index); });
    row->addWidget(button);
    buttons_.append(button);
  }
  layout->addWidget(strip);
  // Wrapped labels in a dialog of fixed width: their height follows that width.
  const int textWidth = dialogWidth - text->contentsMargins().left() - text->contentsMargins().right();
  for (QLabel* label : {title_, message_}) {
    if (label) label->setFixedHeight(label->heightForWidth(textWidth));
  }
  adjustSize();
}

QString AlertDialog::titleText() const { return title_ ? title_->text() : QString(); }

QString AlertDialog::messageText() const { return message_ ? message_->text() : QString(); }

void AlertDialog::placeOver(QWidget* window) {
  if (!window) return;
  adjustSize();
  const QPoint center = window->mapToGlobal(window->rect().center());
  move(center - QPoint(width() / 2, height() / 2));
}

void AlertDialog::answer(int index) {
  if (auto alert = alert_.lock()) alert->tapAction(static_cast<std::size_t>(index));
  context_.modelChanged();
}

void AlertDialog::reject() {
  auto alert = alert_.lock();
  if (!alert) {
    QDialog::reject();
    return;
  }
  const auto& actions = alert->actions();
  for (std::size_t i = 0; i < actions.size(); ++i) {
    if (actions[i]->style() == ui::AlertAction::Style::cancel) {
      answer(static_cast<int>(i));
      return;
    }
  }
}

void AlertDialog::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xF2, 0xF2, 0xF2, 250));
  painter.drawRoundedRect(QRectF(rect()), 14, 14);
}

}  // namespace instala::desktop
