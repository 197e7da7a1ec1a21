#pragma once
// The navigation bar of a model navigation controller: the top screen's
// title, the back button (the previous screen's title, or "Atrás") or the
// left bar button, and the right bar button ("Cerrar sesión" on the active
// list, the check-in button on an active ticket's details). Buttons act on
// the model: back pops the stack, bar buttons run their item's tap.

#include <QString>
#include <QWidget>

#include <memory>

class QAbstractButton;

namespace instala::ui {
class NavigationController;
}

namespace instala::desktop {

class MirrorContext;

class NavigationBarWidget : public QWidget {
  Q_OBJECT

 public:
  static constexpr int barHeight = 44;

  NavigationBarWidget(MirrorContext& context, QWidget* parent = nullptr);

  void sync(const std::shared_ptr<ui::NavigationController>& navigation);
  const QString& title() const { return title_; }
  QAbstractButton* backButton() const { return back_; }
  QAbstractButton* leftButton() const { return left_; }
  QAbstractButton* rightButton() const { return right_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void arrange();

  MirrorContext& context_;
  std::weak_ptr<ui::NavigationController> navigation_;
  QString title_;
  QAbstractButton* back_;
  QAbstractButton* left_;
  QAbstractButton* right_;
};

}  // namespace instala::desktop
