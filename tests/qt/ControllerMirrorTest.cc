// The controller mirror: bars on containers, the overlay, alerts, the root
// switch and the screens shown in dialogs of their own.

#include "MirrorHarness.h"
#include "QtTests.h"
#include "common/LoadingActivity.h"
#include "common/ShowAlert.h"
#include "qt/AlertDialog.h"
#include "qt/LabelWidget.h"
#include "qt/OverlayWidget.h"
#include "ui/ClassRegistry.h"
#include "ui/ImagePickerController.h"
#include "ui/Label.h"
#include "ui/NavigationController.h"
#include "ui/SafariViewController.h"
#include "ui/TabBarController.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QTest>

namespace instala::testing {
namespace {

std::shared_ptr<ui::ViewController> titled(const std::string& title) {
  auto screen = std::make_shared<ui::ViewController>();
  screen->setTitle(title);
  auto label = std::make_shared<ui::Label>(ui::Rect{16, 16, 300, 30});
  label->setText(title);
  screen->view()->addSubview(label);
  return screen;
}

std::shared_ptr<ui::NavigationController> navigation(const std::string& title, const std::string& tab) {
  auto controller = std::make_shared<ui::NavigationController>(titled(title));
  controller->tabBarItem().title = tab;
  return controller;
}

// The loading overlay as a request shows it, started from the main queue.
void showOverlay(MirrorHarness& harness) {
  harness.onMainQueue([] {
    LoadingActivity::start(LoadingActivity::indicatorStyle, LoadingActivity::overlayColor,
                           LoadingActivity::indicatorColor);
  });
}

class CountingTarget : public ui::Object {
 public:
  using Super = ui::Object;
  int taps = 0;
};

}  // namespace

class ControllerMirrorTest : public QObject {
  Q_OBJECT

 private slots:
  void theTabBarSwitchesControllers() {
    MirrorHarness harness;
    auto tabs = std::make_shared<ui::TabBarController>();
    tabs->setViewControllers({navigation("Tickets activos", "Activos"), navigation("Tickets cerrados", "Cerrados"),
                              navigation("Búsqueda", "Búsqueda")});
    harness.show(tabs);
    auto* bar = harness.window->controllers().tabBar();
    QVERIFY(bar);
    QCOMPARE(bar->titles(), (QStringList{"Activos", "Cerrados", "Búsqueda"}));
    QCOMPARE(bar->selectedIndex(), 0);
    QCOMPARE(bar->geometry().bottom(), harness.window->height() - 1);

    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->itemRect(1).center());
    QCOMPARE(tabs->selectedIndex(), 1u);
    harness.window->syncNow();
    QCOMPARE(bar->selectedIndex(), 1);
    const auto bars = harness.window->controllers().navigationBars();
    QCOMPARE(static_cast<int>(bars.size()), 1);
    QCOMPARE(bars.front()->title(), QStringLiteral("Tickets cerrados"));
    // The screen sits between the bars, in the model as on screen.
    auto top = static_cast<ui::NavigationController&>(*tabs->selectedViewController()).topViewController();
    QCOMPARE(top->view()->frame(), ui::Rect(0, 44, 390, 844 - 56 - 44));
    QVERIFY(harness.window->views().widgetFor(top->view().get())->isVisible());
  }

  void aTabsBadgeIsDrawnAsARedPillOverItsItem() {
    MirrorHarness harness;
    auto tabs = std::make_shared<ui::TabBarController>();
    tabs->setViewControllers({navigation("Tickets activos", "Activos"), navigation("Tickets cerrados", "Cerrados")});
    harness.show(tabs);
    auto* bar = harness.window->controllers().tabBar();
    QVERIFY(bar);
    QCOMPARE(bar->badges(), (QStringList{"", ""}));
    auto redIn = [&](const QRect& box) {
      const QImage image = bar->grab().toImage();
      int red = 0;
      for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
          const QColor color = image.pixelColor(QPoint(x, y) * image.devicePixelRatio());
          red += color.red() > 200 && color.green() < 110 && color.blue() < 110;
        }
      }
      return red;
    };
    QCOMPARE(redIn(bar->itemRect(0)), 0);
    harness.onMainQueue([&] { tabs->viewControllers()[0]->tabBarItem().badgeValue = "2"; });
    QTRY_COMPARE(bar->badges(), (QStringList{"2", ""}));
    QVERIFY(redIn(bar->itemRect(0)) > 50);
    QCOMPARE(redIn(bar->itemRect(1)), 0);
    harness.onMainQueue([&] { tabs->viewControllers()[0]->tabBarItem().badgeValue.reset(); });
    QTRY_COMPARE(bar->badges(), (QStringList{"", ""}));
    QCOMPARE(redIn(bar->itemRect(0)), 0);
  }

  void theNavigationBarShowsTitleBackAndRightButtons() {
    MirrorHarness harness;
    auto stack = navigation("Tickets activos", "Activos");
    auto target = std::make_shared<CountingTarget>();
    ui::ClassRegistry::shared().add<CountingTarget>();
    ui::ClassRegistry::shared().addAction<CountingTarget>("checkIn:",
                                                          [](CountingTarget& self, ui::Object*) { ++self.taps; });
    stack->viewControllers().front()->navigationItem().rightBarButtonItem =
        std::make_shared<ui::BarButtonItem>("Cerrar sesión", target, "checkIn:");
    harness.show(stack);
    auto bars = harness.window->controllers().navigationBars();
    QCOMPARE(static_cast<int>(bars.size()), 1);
    auto* bar = bars.front();
    QCOMPARE(bar->title(), QStringLiteral("Tickets activos"));
    QVERIFY(bar->backButton()->isHidden());
    QCOMPARE(bar->rightButton()->text(), QStringLiteral("Cerrar sesión"));
    QTest::mouseClick(bar->rightButton(), Qt::LeftButton);
    QCOMPARE(target->taps, 1);

    harness.onMainQueue([&] { stack->pushViewController(titled("Detalles"), true); });
    QTRY_COMPARE(bar->title(), QStringLiteral("Detalles"));
    QVERIFY(!bar->backButton()->isHidden());
    QCOMPARE(bar->backButton()->text(), QStringLiteral("Tickets activos"));
    QVERIFY(bar->rightButton()->isHidden());
    QTest::mouseClick(bar->backButton(), Qt::LeftButton);
    QCOMPARE(static_cast<int>(stack->viewControllers().size()), 1);
    QTRY_COMPARE(bar->title(), QStringLiteral("Tickets activos"));
  }

  void anAlertsButtonsAppearInOrderAndAnswerTheModel() {
    MirrorHarness harness;
    auto screen = titled("Tickets activos");
    harness.show(screen);
    std::string answered;
    harness.onMainQueue([&] {
      showAlert(*screen, "¿Quieres cerrar sesión?", "Tendrás que volver a ingresar.", std::nullopt, "Aceptar",
                [&](ui::AlertAction&) { answered = "Aceptar"; }, "Cancelar",
                [&](ui::AlertAction&) { answered = "Cancelar"; });
    });
    QTRY_VERIFY(harness.window->controllers().alertDialog());
    auto* dialog = harness.window->controllers().alertDialog();
    QCOMPARE(dialog->titleText(), QStringLiteral("¿Quieres cerrar sesión?"));
    QCOMPARE(dialog->messageText(), QStringLiteral("Tendrás que volver a ingresar."));
    QCOMPARE(dialog->buttons().size(), 2);
    QCOMPARE(dialog->buttons()[0]->text(), QStringLiteral("Cancelar"));
    QCOMPARE(dialog->buttons()[1]->text(), QStringLiteral("Aceptar"));
    QVERIFY(dialog->buttons()[1]->isDefault());
    QVERIFY(!dialog->buttons()[0]->isDefault());
    QVERIFY(dialog->isModal());
    // The screen under the alert is drawn dimmed with the alert over it.
    const QImage shot = harness.window->screenshot();
    QVERIFY(shot.pixelColor(5, 400).lightness() < 230);

    QTest::mouseClick(dialog->buttons()[1], Qt::LeftButton);
    QCOMPARE(answered, std::string("Aceptar"));
    QVERIFY(!screen->presentedViewController());
    QTRY_VERIFY(!harness.window->controllers().alertDialog());
  }

  void escapeAnswersWithTheCancelButtonOnly() {
    MirrorHarness harness;
    auto screen = titled("Login");
    harness.show(screen);
    int answers = 0;
    harness.onMainQueue([&] {
      showAlert(*screen, "Las credenciales son incorrectas. Ingrese datos válidos.", std::nullopt, std::nullopt,
                "Aceptar", [&](ui::AlertAction&) { ++answers; });
    });
    QTRY_VERIFY(harness.window->controllers().alertDialog());
    auto* dialog = harness.window->controllers().alertDialog();
    QCOMPARE(dialog->buttons().size(), 1);
    dialog->reject();  // Escape: no cancel button, so the alert stays
    QCOMPARE(answers, 0);
    QVERIFY(screen->presentedViewController());
    QTest::mouseClick(dialog->buttons()[0], Qt::LeftButton);
    QCOMPARE(answers, 1);
  }

  void theOverlayAppearsAndDisappearsWithTheModel() {
    MirrorHarness harness;
    auto screen = titled("Tickets activos");
    harness.show(screen);
    showOverlay(harness);
    QTRY_VERIFY(LoadingActivity::isShown() &&
                harness.window->views().widgetFor(LoadingActivity::activityIndicator().get()));
    auto* overlay =
        qobject_cast<desktop::OverlayWidget*>(harness.window->views().widgetFor(LoadingActivity::activityIndicator().get()));
    QVERIFY(overlay);
    QCOMPARE(overlay->geometry(), harness.window->rect());
    QVERIFY(overlay->isSpinning());
    QCOMPARE(overlay->spinnerColor(), QColor(Qt::white));
    QCOMPARE(overlay->layerStyle().background, QColor(0, 0, 0, 51));
    // It covers the screen: a click lands on the overlay, not on the label below.
    QCOMPARE(harness.window->childAt(QPoint(30, 30)), static_cast<QWidget*>(overlay));

    QPointer<desktop::OverlayWidget> watched(overlay);
    harness.onMainQueue([] { LoadingActivity::stop(); });
    QTRY_VERIFY(!watched || watched->isHidden());
    QTRY_VERIFY(!harness.window->views().widgetFor(LoadingActivity::activityIndicator().get()) ||
                !LoadingActivity::isShown());
    QVERIFY(harness.window->childAt(QPoint(30, 30)) != static_cast<QWidget*>(overlay));
  }

  void turningThePhoneReshapesTheWindowAndRebuildsTheOverlay() {
    MirrorHarness harness;
    auto screen = titled("Tickets activos");
    harness.show(screen);
    showOverlay(harness);
    QTRY_VERIFY(LoadingActivity::isShown());
    harness.window->rotate();
    QCOMPARE(harness.window->size(), QSize(844, 390));
    QTRY_VERIFY(harness.window->views().widgetFor(LoadingActivity::activityIndicator().get()));
    auto* overlay = harness.window->views().widgetFor(LoadingActivity::activityIndicator().get());
    QCOMPARE(overlay->geometry(), QRect(0, 0, 844, 390));
    QCOMPARE(harness.model->frame(), ui::Rect(0, 0, 844, 390));
    QCOMPARE(harness.window->views().widgetFor(screen->view().get())->size(), QSize(844, 390));
    harness.window->rotate();
    QCOMPARE(harness.window->size(), QSize(390, 844));
  }

  void aScreenCoveredByAFullScreenPresentationIsOutOfSight() {
    MirrorHarness harness;
    auto login = titled("Iniciar sesión");
    harness.show(login);
    QVERIFY(harness.window->views().widgetFor(login->view().get()));
    auto tabs = std::make_shared<ui::TabBarController>();
    tabs->setViewControllers({navigation("Tickets activos", "Activos")});
    harness.onMainQueue([&] { login->present(tabs, true); });
    QTRY_VERIFY(harness.window->controllers().tabBar());
    QVERIFY(!harness.window->views().widgetFor(login->view().get()));
    // An alert is drawn over its screen, which stays in sight.
    auto list = static_cast<ui::NavigationController&>(*tabs->viewControllers().front()).topViewController();
    harness.onMainQueue([&] { showAlert(*list, "Error en servidor. Intentarlo nuevamente.", std::nullopt, std::nullopt, "Aceptar"); });
    QTRY_VERIFY(harness.window->controllers().alertDialog());
    QVERIFY(harness.window->views().widgetFor(list->view().get())->isVisible());
    harness.onMainQueue([&] {
      list->dismiss(true);
      login->dismiss(true);
    });
    QTRY_VERIFY(harness.window->views().widgetFor(login->view().get()));
  }

  void theRootSwitchCrossDissolves() {
    MirrorHarness harness;
    auto tabs = titled("Tickets activos");
    harness.show(tabs);
    auto login = titled("Iniciar sesión");
    harness.onMainQueue([&] {
      harness.model->setRootViewController(login);
      ui::View::transition(harness.model, 0.3, ui::AnimationOptions::transitionCrossDissolve, nullptr, nullptr);
    });
    QTRY_VERIFY(harness.window->isAnimating());
    QVERIFY(harness.window->views().widgetFor(login->view().get()));
    QVERIFY(!harness.window->views().widgetFor(tabs->view().get()));
    QTRY_VERIFY(!harness.window->isAnimating());
  }

  void theCameraAndTheBrowserOpenInDialogsAndCloseWithTheirScreens() {
    MirrorHarness harness;
    auto screen = titled("Evidencias");
    harness.show(screen);
    std::vector<std::string> opened;
    QPointer<QDialog> cameraDialog;
    harness.window->controllers().setCameraPresenter(
        [&](const std::shared_ptr<ui::ImagePickerController>& picker, QWidget* parent) -> QDialog* {
          opened.push_back(picker->acceptsMediaType(ui::mediaTypeMovie) ? "video" : "photo");
          cameraDialog = new QDialog(parent);
          return cameraDialog;
        });
    auto picker = std::make_shared<ui::ImagePickerController>();
    picker->setMediaTypes({ui::mediaTypeMovie});
    harness.onMainQueue([&] { screen->present(picker, true); });
    QTRY_VERIFY(cameraDialog && cameraDialog->isVisible());
    QCOMPARE(opened, std::vector<std::string>{"video"});
    // The picker's own view is not drawn in the window.
    QVERIFY(!harness.window->views().widgetFor(picker->view().get()));
    harness.window->syncNow();
    QCOMPARE(opened.size(), 1u);
    harness.onMainQueue([&] { picker->dismiss(true); });
    QTRY_VERIFY(!cameraDialog);

    QPointer<QDialog> viewer;
    harness.window->controllers().setBrowserPresenter(
        [&](const std::shared_ptr<ui::SafariViewController>& browser, QWidget* parent) -> QDialog* {
          opened.push_back(browser->url());
          viewer = new QDialog(parent);
          return viewer;
        });
    auto browser = std::make_shared<ui::SafariViewController>("http://127.0.0.1:1/documents/docs/manual.html");
    harness.onMainQueue([&] { screen->present(browser, true); });
    QTRY_VERIFY(viewer && viewer->isVisible());
    QCOMPARE(opened.back(), std::string("http://127.0.0.1:1/documents/docs/manual.html"));
    harness.onMainQueue([&] { browser->done(); });
    QTRY_VERIFY(!viewer);
  }
};

INSTALA_QT_TEST(ControllerMirrorTest)

}  // namespace instala::testing

#include "ControllerMirrorTest.moc"
