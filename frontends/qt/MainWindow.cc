#include "qt/MainWindow.h"

#include "common/LoadingActivity.h"
#include "qt/Conversions.h"
#include "qt/TextDrawing.h"
#include "ui/Application.h"
#include "ui/Screen.h"
#include "ui/TableView.h"

#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QPainter>
#include <QPropertyAnimation>
#include <QShortcut>
#include <QTimer>

#include <cmath>

namespace instala::desktop {
namespace {
// The model lays out in passes; containers and their screens settle in a few.
constexpr int layoutPasses = 4;

// What was laid out before the window measured text is laid out again, and
// self-sizing rows are measured anew.
void remeasure(ui::View& view) {
  view.setNeedsLayout();
  if (auto* table = dynamic_cast<ui::TableView*>(&view); table && table->hasLoadedData()) table->reloadData();
  const auto subviews = view.subviews();
  for (const auto& subview : subviews) remeasure(*subview);
}
}  // namespace

MainWindow::MainWindow(QtRunLoopDriver& driver, FontRegistry& fonts, const QString& tileTemplate, QWidget* parent)
    : QWidget(parent),
      driver_(driver),
      fonts_(fonts),
      tiles_(new TileCache(tileTemplate, webModules_, this)),
      context_(fonts_, animations_, *tiles_, webModules_),
      content_(new QWidget(this)),
      views_(context_, content_),
      controllers_(context_, this) {
  setWindowTitle(QStringLiteral("Instala"));
  const ui::Rect screen = ui::Screen::main().bounds();
  setFixedSize(static_cast<int>(screen.width()), static_cast<int>(screen.height()));
  content_->setGeometry(rect());
  auto* turn = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this);
  connect(turn, &QShortcut::activated, this, &MainWindow::rotate);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, Qt::white);
  setPalette(palette);
  setAutoFillBackground(true);
  setFont(fonts_.systemFont(17));

  context_.setRedrawRequest([this] { requestSync(); });
  animations_.onMotion = [this] { requestSync(); };
  animations_.onTransition = [this](const ui::AnimationRequest& request) {
    auto window = ui::Application::shared().keyWindow();
    if (!window || request.view.lock() != window) return;
    if (!ui::contains(request.options, ui::AnimationOptions::transitionCrossDissolve)) return;
    // The widgets still show the old screen: keep its picture to dissolve from.
    if (pendingDissolve_.isNull()) pendingDissolve_ = content_->grab().toImage();
    dissolveDuration_ = request.duration;
    requestSync();
  };
  animations_.attach();
  ui::Application::shared().setTextMeasurer(
      [this](const std::string& text, const ui::Font& font, double width, int lines) {
        return measureText(toQString(text), fonts_.font(font), font.pointSize(), lines, width);
      });
  if (auto window = ui::Application::shared().keyWindow()) remeasure(*window);
  connect(&driver_, &QtRunLoopDriver::ranWork, this, &MainWindow::requestSync);
  requestSync();
}

MainWindow::~MainWindow() {
  ui::Application::shared().setTextMeasurer(nullptr);
  animations_.detach();
}

void MainWindow::requestSync() {
  if (syncQueued_) return;
  syncQueued_ = true;
  QTimer::singleShot(0, this, [this] { syncNow(); });
}

void MainWindow::syncNow() {
  syncQueued_ = false;
  if (syncing_) return;
  syncing_ = true;
  // Work due now (timers, completions, the animation tracker's comparison) comes first.
  driver_.pump();
  auto window = ui::Application::shared().keyWindow();
  context_.setWindow(window);
  if (window) {
    const ui::Rect bounds{0, 0, static_cast<double>(width()), static_cast<double>(height())};
    if (window->frame() != bounds) window->setFrame(bounds);
    window->update();
    for (int pass = 0; pass < layoutPasses; ++pass) {
      if (!controllers_.layoutContent(*window)) break;
      window->layoutIfNeeded();
    }
    window->displayIfNeeded();
    views_.sync(*window, controllers_.hiddenViews(*window));
    controllers_.sync(*window, views_);
  }
  ++syncCount_;
  syncing_ = false;
  if (!pendingDissolve_.isNull()) {
    startCrossDissolve(dissolveDuration_);
    pendingDissolve_ = QImage();
  }
  emit synced();
  // The model may have queued work or changed itself while being laid out.
  if (driver_.loop().hasPendingTasks()) requestSync();
}

void MainWindow::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  // Not while the first screen still waits for its data: its next frame comes first.
  if (!systemFontsPending_ || LoadingActivity::isShown()) return;
  systemFontsPending_ = false;
  // Queued: the rest of this frame is drawn first.
  QTimer::singleShot(0, this, [this] { fonts_.useSystemConfiguration(this, nullptr); });
}

void MainWindow::startCrossDissolve(double duration) {
  delete dissolve_;
  auto* picture = new QLabel(this);
  picture->setPixmap(QPixmap::fromImage(pendingDissolve_));
  picture->setGeometry(content_->geometry());
  picture->setAttribute(Qt::WA_TransparentForMouseEvents);
  auto* effect = new QGraphicsOpacityEffect(picture);
  effect->setOpacity(1);
  picture->setGraphicsEffect(effect);
  picture->show();
  picture->raise();
  dissolve_ = picture;
  auto* fade = new QPropertyAnimation(effect, "opacity", picture);
  fade->setDuration(static_cast<int>(std::lround(duration * 1000)));
  fade->setStartValue(1.0);
  fade->setEndValue(0.0);
  connect(fade, &QPropertyAnimation::finished, picture, [this, picture] {
    if (dissolve_ == picture) dissolve_ = nullptr;
    picture->deleteLater();
  });
  fade->start();
}

void MainWindow::rotate() {
  auto& screen = ui::Screen::main();
  const auto turned =
      screen.orientation() == ui::Orientation::portrait ? ui::Orientation::landscape : ui::Orientation::portrait;
  const ui::Rect bounds = screen.bounds();
  // The window takes the turned shape first, so the model lays out into it.
  setFixedSize(static_cast<int>(bounds.height()), static_cast<int>(bounds.width()));
  content_->setGeometry(rect());
  screen.setOrientation(turned);
  requestSync();
}

bool MainWindow::isAnimating() const { return dissolve_ != nullptr; }

QImage MainWindow::screenshot() {
  QImage image = grab().toImage();
  const auto dialogs = controllers_.dialogs();
  if (dialogs.empty()) return image;
  QPainter painter(&image);
  // Dialogs sit over the window, which the phone dims behind an alert.
  painter.fillRect(QRect(QPoint(0, 0), image.deviceIndependentSize().toSize()), QColor(0, 0, 0, 102));
  for (QDialog* dialog : dialogs) {
    const QImage picture = dialog->grab().toImage();
    const QSize size = picture.deviceIndependentSize().toSize();
    painter.drawImage(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), picture);
  }
  return image;
}

}  // namespace instala::desktop
