#pragma once
// The tab bar of a model tab bar controller: one item per tab (its tab bar
// item's title and image, else the title of the screen it holds), the
// selected one in the tint, and a tab's badge as a red pill at the top right of
// its title. A click selects that tab in the model; a click on
// the selected tab takes its navigation stack back to its first screen, as the
// phone does.

#include <QString>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

namespace instala::ui {
class TabBarController;
class Image;
}

class QPainter;

namespace instala::desktop {

class MirrorContext;

class TabBarWidget : public QWidget {
  Q_OBJECT

 public:
  static constexpr int barHeight = 56;

  TabBarWidget(MirrorContext& context, QWidget* parent = nullptr);

  void sync(const std::shared_ptr<ui::TabBarController>& tabs);
  QStringList titles() const;
  // Each tab's badge text; empty for a tab without one.
  QStringList badges() const;
  int selectedIndex() const { return selected_; }
  // Where item index is drawn (tests click there).
  QRect itemRect(int index) const;
  void select(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  struct Item {
    QString title;
    QString imageName;
    QString badge;
  };
  void paintBadge(QPainter& painter, const QRect& box, const Item& item, const QFont& titleFont) const;
  MirrorContext& context_;
  std::weak_ptr<ui::TabBarController> tabs_;
  std::vector<Item> items_;
  int selected_ = 0;
  QColor tint_;
};

}  // namespace instala::desktop
