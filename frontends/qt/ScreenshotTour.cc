#include "qt/ScreenshotTour.h"

#include "common/LoadingActivity.h"
#include "platform/RunLoop.h"
#include "qt/AlertDialog.h"
#include "qt/Conversions.h"
#include "qt/MainWindow.h"
#include "qt/MapWidget.h"
#include "qt/TableMirror.h"
#include "qt/TileCache.h"
#include "qt/UnderlineFieldWidget.h"
#include "ui/Application.h"
#include "ui/Button.h"
#include "ui/ImagePickerController.h"
#include "ui/ImageView.h"
#include "ui/Label.h"
#include "ui/MapView.h"
#include "ui/Switch.h"
#include "ui/TableView.h"
#include "ui/TextField.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include <iostream>

namespace instala::desktop {
namespace {

// Long enough for the springs (0.35 s) and the root dissolve (0.3 s) to end.
constexpr int motionPauseMs = 450;
constexpr const char* email = "tecnico@instala.mx";
constexpr const char* password = "Instala2026";

void collectVisible(const std::shared_ptr<ui::View>& view, std::vector<std::shared_ptr<ui::View>>& out) {
  if (view->isHidden()) return;
  out.push_back(view);
  for (const auto& subview : view->subviews()) collectVisible(subview, out);
}

}  // namespace

ScreenshotTour::ScreenshotTour(MainWindow& window, std::filesystem::path directory, std::size_t screenLimit)
    : window_(window), directory_(std::move(directory)), screenLimit_(screenLimit) {
  window_.controllers().setCameraPresenter(
      [this](const std::shared_ptr<ui::ImagePickerController>& picker, QWidget*) -> QDialog* {
        std::weak_ptr<ui::ImagePickerController> weak = picker;
        // The camera answers on the next turn, as a user taking the picture would.
        QTimer::singleShot(0, &window_, [this, weak] {
          auto camera = weak.lock();
          if (!camera) return;
          auto pixels = toPlatformImage(samplePhoto(++photos_));
          if (camera->acceptsMediaType(ui::mediaTypeImage) && pixels) {
            ui::ImagePickerMediaInfo info;
            info.originalImage = ui::Image(std::move(*pixels));
            camera->finishPicking(info);
          } else {
            camera->cancel();
          }
          window_.requestSync();
        });
        return nullptr;
      });
}

QImage ScreenshotTour::samplePhoto(int number) {
  QImage photo(1200, 900, QImage::Format_RGB32);
  QPainter painter(&photo);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, 600);
  sky.setColorAt(0, QColor(0x8C, 0xC4, 0xEE));
  sky.setColorAt(1, QColor(0xDD, 0xEE, 0xFA));
  painter.fillRect(0, 0, 1200, 600, sky);
  painter.fillRect(0, 600, 1200, 300, QColor(0x8A, 0x8A, 0x84));
  // A tractor unit: cab, box and wheels.
  painter.setBrush(QColor(0xF4, 0xF4, 0xF2));
  painter.setPen(QPen(QColor(0x33, 0x33, 0x33), 4));
  painter.drawRoundedRect(QRectF(180, 330, 560, 300), 12, 12);
  painter.setBrush(QColor(0x1B, 0x4F, 0x9C));
  painter.drawRoundedRect(QRectF(760, 400, 260, 230), 24, 24);
  painter.setBrush(QColor(0xC8, 0xE3, 0xF7));
  painter.drawRoundedRect(QRectF(850, 430, 140, 90), 10, 10);
  painter.setBrush(QColor(0x22, 0x22, 0x22));
  for (int x : {280, 420, 640, 900}) painter.drawEllipse(QPointF(x, 650), 52, 52);
  painter.setPen(QColor(0x3D, 0x2C, 0x6B));
  QFont font = painter.font();
  font.setPixelSize(64);
  font.setBold(true);
  painter.setFont(font);
  painter.drawText(QRectF(180, 360, 560, 120), Qt::AlignCenter, QStringLiteral("Evidencia %1").arg(number));
  return photo;
}

int ScreenshotTour::run() {
  std::error_code ec;
  std::filesystem::create_directories(directory_, ec);
  if (ec) {
    std::cerr << "screenshot tour: cannot create " << directory_ << ": " << ec.message() << "\n";
    return 1;
  }
  window_.show();
  const bool complete = walk() || limitReached_;
  for (const auto& name : written_) std::cout << (directory_ / name).string() << "\n";
  if (!complete) return 1;
  std::cout << "screenshot tour: " << written_.size() << " screens written to " << directory_.string() << "\n";
  return 0;
}

bool ScreenshotTour::fail(const std::string& what) {
  // Reaching the limit ends the walk the way a failure does, without being one.
  if (limitReached_) return false;
  std::cerr << "screenshot tour: " << what << "\n";
  const std::string name = "failed-" + std::to_string(written_.size() + 1) + ".png";
  window_.screenshot().save(QString::fromStdString((directory_ / name).string()));
  std::cerr << "screenshot tour: the window at that moment is in " << (directory_ / name).string() << "\n";
  return false;
}

bool ScreenshotTour::shoot(const std::string& name) {
  window_.syncNow();
  const std::string file = name + ".png";
  if (!window_.screenshot().save(QString::fromStdString((directory_ / file).string()))) {
    return fail("could not write " + (directory_ / file).string());
  }
  written_.push_back(file);
  limitReached_ = written_.size() == screenLimit_;
  return !limitReached_;
}

void ScreenshotTour::pause(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

bool ScreenshotTour::waitFor(const std::function<bool()>& condition, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  for (;;) {
    window_.syncNow();
    if (condition()) return true;
    if (clock.elapsed() > timeoutMs) return false;
    pause(20);
  }
}

bool ScreenshotTour::settle() {
  const bool quiet = waitFor([this] {
    return !LoadingActivity::isShown() && !platform::RunLoop::main().hasPendingTasks() && !window_.isAnimating();
  });
  pause(motionPauseMs);
  window_.syncNow();
  return quiet;
}

std::vector<std::shared_ptr<ui::View>> ScreenshotTour::visibleViews() const {
  std::vector<std::shared_ptr<ui::View>> views;
  auto window = ui::Application::shared().keyWindow();
  if (!window) return views;
  collectVisible(window, views);
  // Only what the window shows: a view without a visible widget is out of sight.
  std::erase_if(views, [this](const std::shared_ptr<ui::View>& view) {
    auto* widget = window_.views().widgetFor(view.get());
    return !widget || !widget->isVisible();
  });
  return views;
}

std::shared_ptr<ui::View> ScreenshotTour::find(const std::function<bool(ui::View&)>& matches) const {
  for (const auto& view : visibleViews()) {
    if (matches(*view)) return view;
  }
  return nullptr;
}

std::shared_ptr<ui::View> ScreenshotTour::findOfClass(const std::string& className, std::size_t index) const {
  std::size_t seen = 0;
  for (const auto& view : visibleViews()) {
    if (view->className() == className && seen++ == index) return view;
  }
  return nullptr;
}

std::shared_ptr<ui::View> ScreenshotTour::buttonTitled(const std::string& title) const {
  return find([&title](ui::View& view) {
    auto* button = dynamic_cast<ui::Button*>(&view);
    return button && button->currentTitle() == title;
  });
}

std::shared_ptr<ui::View> ScreenshotTour::outletIn(const std::shared_ptr<ui::View>& owner,
                                                   const std::string& outlet) const {
  return owner ? owner->outlet<ui::View>(outlet) : nullptr;
}

bool ScreenshotTour::click(const std::shared_ptr<ui::View>& view) {
  if (!view) return false;
  window_.syncNow();
  QWidget* widget = window_.views().widgetFor(view.get());
  if (!widget || !widget->isVisible()) return false;
  const QPoint point = widget->mapTo(&window_, widget->rect().center());
  if (!window_.rect().contains(point)) return false;
  // A real click lands on whatever is on top at that point.
  QWidget* target = window_.childAt(point);
  if (!target) return false;
  const QPointF local = target->mapFrom(&window_, point);
  const QPointF global = target->mapToGlobal(local);
  QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(target, &release);
  window_.syncNow();
  return true;
}

bool ScreenshotTour::type(const std::shared_ptr<ui::View>& field, const QString& text) {
  auto model = std::dynamic_pointer_cast<ui::TextField>(field);
  if (!model || !click(field) || !model->isEditing()) return false;
  auto* widget = qobject_cast<UnderlineFieldWidget*>(window_.views().widgetFor(field.get()));
  if (!widget) return false;
  for (const QChar character : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(character));
    QApplication::sendEvent(widget->lineEdit(), &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(character));
    QApplication::sendEvent(widget->lineEdit(), &release);
  }
  window_.syncNow();
  return model->text() == toStdString(text);
}

bool ScreenshotTour::scrollToEnd() {
  std::shared_ptr<ui::TableView> table;
  for (const auto& view : visibleViews()) {
    if (auto candidate = std::dynamic_pointer_cast<ui::TableView>(view)) table = candidate;
  }
  auto* widget = table ? qobject_cast<TableMirror*>(window_.views().widgetFor(table.get())) : nullptr;
  if (!widget) return false;
  // A long drag upwards, as far as the table goes.
  for (int i = 0; i < 40 && table->contentOffset() + table->frame().height() < table->contentHeight() - 0.5; ++i) {
    widget->scrollBy(table->frame().height() * 0.8);
    window_.syncNow();
  }
  return true;
}

bool ScreenshotTour::selectTab(int index) {
  auto* bar = window_.controllers().tabBar();
  if (!bar || !bar->isVisible()) return false;
  const QPointF local = bar->itemRect(index).center();
  if (local.isNull()) return false;
  QMouseEvent press(QEvent::MouseButtonPress, local, bar->mapToGlobal(local), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(bar, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, local, bar->mapToGlobal(local), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(bar, &release);
  window_.syncNow();
  return bar->selectedIndex() == index;
}

bool ScreenshotTour::tapBarButton(const QString& title) {
  for (auto* bar : window_.controllers().navigationBars()) {
    for (QAbstractButton* button : {bar->rightButton(), bar->leftButton(), bar->backButton()}) {
      if (button->isVisible() && button->isEnabled() && button->text() == title) {
        button->click();
        window_.syncNow();
        return true;
      }
    }
  }
  return false;
}

bool ScreenshotTour::alertShown() const { return window_.controllers().alertDialog() != nullptr; }

bool ScreenshotTour::answerAlert(const QString& title) {
  auto* dialog = window_.controllers().alertDialog();
  if (!dialog) return false;
  for (QPushButton* button : dialog->buttons()) {
    if (button->text() == title) {
      button->click();
      return waitFor([this] { return !alertShown(); });
    }
  }
  return false;
}

bool ScreenshotTour::fillChecklist(const QString& kilometers, std::initializer_list<std::size_t> rowsSwitchedOn) {
  if (!type(outletIn(findOfClass("ProcessKilometersCell"), "customTF"), kilometers)) {
    return fail("could not type the odometer reading");
  }
  for (std::size_t row : rowsSwitchedOn) {
    auto item = findOfClass("ProcessElementCell", row);
    if (!click(item ? outletIn(item, "elementSwitch") : nullptr)) return fail("could not switch a checklist item");
  }
  return true;
}

bool ScreenshotTour::walk() {
  auto cellShown = [this](const char* name) { return [this, name] { return findOfClass(name) != nullptr; }; };

  // Login, empty.
  if (!waitFor([this] { return buttonTitled("Iniciar sesión") != nullptr; })) {
    return fail("the login screen did not appear (is the data folder fresh?)");
  }
  if (!settle()) return fail("the login screen did not settle");
  if (!shoot("01-login")) return false;

  // Login with nothing typed: the validation alert.
  if (!click(buttonTitled("Iniciar sesión"))) return fail("could not click \"Iniciar sesión\"");
  if (!waitFor([this] { return alertShown(); })) return fail("no validation alert after an empty sign-in");
  if (!settle()) return fail("the validation alert did not settle");
  if (!shoot("02-login-validation-alert")) return false;
  if (!answerAlert("Aceptar")) return fail("could not answer the validation alert");

  // Signing in with the demo credentials: the active list.
  auto fields = [this](std::size_t index) { return findOfClass("UnderlineTextField", index); };
  if (!type(fields(0), email)) return fail("could not type the e-mail");
  if (!type(fields(1), password)) return fail("could not type the password");
  if (!click(buttonTitled("Iniciar sesión"))) return fail("could not click \"Iniciar sesión\" again");
  if (!waitFor(cellShown("TicketCell"))) {
    return fail(alertShown() ? "the sign-in failed (is the demo server running on the bundle's address?)"
                             : "the active list did not appear");
  }
  if (!settle()) return fail("the active list did not settle");
  if (!shoot("03-active-tickets")) return false;

  // The closed list.
  if (!selectTab(1)) return fail("could not select the closed tab");
  if (!waitFor(cellShown("TicketCell")) || !settle()) return fail("the closed list did not appear");
  if (!shoot("04-closed-tickets")) return false;

  // A search with results.
  if (!selectTab(2)) return fail("could not select the search tab");
  if (!waitFor(cellShown("SearchTextFieldCell"))) return fail("the search screen did not appear");
  if (!type(outletIn(findOfClass("SearchTextFieldCell"), "searchTextField"), QStringLiteral("manual"))) {
    return fail("could not type the search text");
  }
  if (!click(buttonTitled("Buscar"))) return fail("could not click \"Buscar\"");
  if (!waitFor(cellShown("DocumentCell")) || !settle()) return fail("the search found nothing");
  if (!shoot("05-search-results")) return false;

  // A ticket's details, from the active list: the first ticket whose appointment lies ahead.
  if (!selectTab(0)) return fail("could not select the active tab");
  bool checkInOffered = false;
  for (std::size_t row = 0; row < 6 && !checkInOffered; ++row) {
    if (!waitFor(cellShown("TicketCell")) || !settle()) return fail("the active list did not come back");
    if (!click(findOfClass("TicketCell", row))) return fail("could not open ticket " + std::to_string(row + 1));
    if (!waitFor(cellShown("TicketDetailCell")) || !settle()) return fail("the details did not appear");
    if (row == 0 && !shoot("06-ticket-details")) return false;
    if (!tapBarButton(QStringLiteral("Check-in"))) return fail("no check-in button on an active ticket");
    if (!waitFor(cellShown("CheckInCell")) || !settle()) return fail("the check-in screen did not appear");
    checkInOffered = findOfClass("CustomButtonCell") && outletIn(findOfClass("CustomButtonCell"), "customButton") &&
                     !outletIn(findOfClass("CustomButtonCell"), "customButton")->isHidden();
    if (!checkInOffered) {
      // This appointment has passed: back to the list for the next one.
      if (!tapBarButton(QStringLiteral("Detalles")) || !settle()) return fail("could not go back to the details");
      if (!tapBarButton(QStringLiteral("Tickets activos")) || !settle()) return fail("could not go back to the list");
    }
  }
  if (!checkInOffered) return fail("no active ticket offers the process");

  // The check-in: the map with its pin, and the clock after its first tick.
  auto checkIn = findOfClass("CheckInCell");
  auto timeLabel = std::dynamic_pointer_cast<ui::Label>(outletIn(checkIn, "timeLabel"));
  const std::string nibClock = timeLabel ? timeLabel->text() : std::string();
  auto map = std::dynamic_pointer_cast<ui::MapView>(outletIn(checkIn, "mapView"));
  if (!map || !waitFor([&map] { return !map->annotations().empty(); })) return fail("the map got no pin");
  if (!timeLabel || !waitFor([&] { return timeLabel->text() != nibClock; })) return fail("the clock did not tick");
  waitFor([this, &map] {
    auto* widget = qobject_cast<MapWidget*>(window_.views().widgetFor(map.get()));
    return widget && (widget->grab(), widget->hadAllTiles());
  }, 5000);
  if (!settle() || !shoot("07-check-in")) return fail("the check-in did not settle");

  // Step one: the odometer and two items checked.
  if (!click(outletIn(findOfClass("CustomButtonCell"), "customButton"))) return fail("could not start the process");
  if (!waitFor(cellShown("ProcessElementCell")) || !settle()) return fail("step one did not appear");
  if (!fillChecklist(QStringLiteral("120500"), {0u, 2u})) return false;
  if (!settle() || !shoot("08-step-one")) return fail("step one did not settle");
  if (!scrollToEnd() || !click(outletIn(findOfClass("CustomButtonCell"), "customButton"))) {
    return fail("could not leave step one");
  }

  // Step two: a photo in the first slot.
  if (!waitFor(cellShown("EvidenceCell")) || !settle()) return fail("step two did not appear");
  if (!click(outletIn(findOfClass("EvidenceCell"), "fileButton"))) return fail("could not open the camera");
  // The table reloads with the photo: the first slot's row is asked for anew.
  auto slotShowsPhoto = [this] {
    auto icon = std::dynamic_pointer_cast<ui::ImageView>(outletIn(findOfClass("EvidenceCell"), "fileIcon"));
    return icon && icon->image() && icon->image()->name() == "check_icon";
  };
  if (!waitFor(slotShowsPhoto)) return fail("the photo did not reach its slot");
  if (!settle() || !shoot("09-step-two")) return fail("step two did not settle");
  if (!scrollToEnd() || !click(outletIn(findOfClass("CustomButtonCell"), "customButton"))) {
    return fail("could not leave step two");
  }

  // Step three, then a submission that the server refuses.
  if (!waitFor(cellShown("ProcessElementCell")) || !settle()) return fail("step three did not appear");
  if (!fillChecklist(QStringLiteral("120512"), {0u, 1u, 7u})) return false;
  if (!settle() || !shoot("10-step-three")) return fail("step three did not settle");
  if (!scrollToEnd() || !click(buttonTitled("Finalizar"))) return fail("could not click \"Finalizar\"");
  if (!waitFor([this] { return alertShown(); }, 60000)) return fail("no alert after a refused submission");
  if (!settle() || !shoot("11-submission-failed-alert")) return fail("the submission alert did not settle");
  return true;
}

}  // namespace instala::desktop
