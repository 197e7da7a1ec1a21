#pragma once
// A model alert as a modal dialog drawn like the phone's: title, message, and
// the buttons in the model's order (side by side when there are two), the
// preferred one in bold and the dialog's default button. The buttons take the
// alert's tint ("DarkPurple"). A click answers the model (the alert dismisses
// itself, then runs the button's handler); Escape answers with the cancel
// button when the alert has one, and is ignored otherwise, since an alert
// must be answered.

#include <QDialog>
#include <QList>

#include <memory>

class QLabel;
class QPushButton;

namespace instala::ui {
class AlertController;
}

namespace instala::desktop {

class MirrorContext;

class AlertDialog : public QDialog {
  Q_OBJECT

 public:
  AlertDialog(const std::shared_ptr<ui::AlertController>& alert, MirrorContext& context, QWidget* parent = nullptr);

  std::shared_ptr<ui::AlertController> alert() const { return alert_.lock(); }
  const QList<QPushButton*>& buttons() const { return buttons_; }
  QString titleText() const;
  QString messageText() const;
  // Centres the dialog over the window it belongs to.
  void placeOver(QWidget* window);

 public slots:
  void reject() override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void answer(int index);

  std::weak_ptr<ui::AlertController> alert_;
  MirrorContext& context_;
  QLabel* title_ = nullptr;
  QLabel* message_ = nullptr;
  QList<QPushButton*> buttons_;
};

}  // namespace instala::desktop
