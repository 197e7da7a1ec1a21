// The reference of the start-up benchmark: a bare Qt Widgets window of the
// phone's size (390 by 844) that quits once its first frame is drawn, with the
// same last line as `instala --exit-after-first-frame`.

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <iostream>

namespace {

class BareWindow : public QWidget {
 protected:
  void paintEvent(QPaintEvent* event) override {
    QWidget::paintEvent(event);
    if (drawn_) return;
    drawn_ = true;
    // Queued: the paint pass (and its flush) finishes first.
    QTimer::singleShot(0, [] {
      std::cout << "frame drawn: bare window" << std::endl;
      QCoreApplication::exit(0);
    });
  }

 private:
  bool drawn_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  BareWindow window;
  window.resize(390, 844);
  window.show();
  return QApplication::exec();
}
