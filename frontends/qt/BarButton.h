#pragma once
// A text (or image) button of the navigation bar, in the bar's tint.

#include <QAbstractButton>
#include <QImage>

namespace instala::desktop {

class BarButton : public QAbstractButton {
  Q_OBJECT

 public:
  explicit BarButton(QWidget* parent = nullptr);

  // With a chevron in front (the back button).
  void setChevron(bool chevron);
  void setTint(const QColor& tint);
  void setIcon(const QImage& image);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool chevron_ = false;
  QColor tint_;
  QImage icon_;
};

}  // namespace instala::desktop
