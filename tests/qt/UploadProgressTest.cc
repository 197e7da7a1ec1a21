// Step three's submission progress, drawn under "Finalizar" while it uploads.

#include "LoopbackHttpServer.h"
#include "MirrorHarness.h"
#include "QtTests.h"
#include "app/ClassRegistrations.h"
#include "common/CustomButtonCell.h"
#include "networking/Networking.h"
#include "networking/ServerAPI.h"
#include "networking/Session.h"
#include "outbox/Outbox.h"
#include "qt/AlertDialog.h"
#include "qt/UploadProgressWidget.h"
#include "scenes/process/StepThreeTableViewController.h"
#include "support/ServerBundle.h"
#include "support/TempDir.h"
#include "ui/NavigationController.h"
#include "ui/Storyboard.h"

#include <QTest>

namespace instala::testing {
namespace {

// Step three on screen, its button row in sight, submitting to `baseURL` through an outbox of its own.
struct StepThreeOnScreen {
  StepThreeOnScreen(MirrorHarness& harness, const QString& baseURL)
      : networking(platform::Bundle(bundlePointingAt(dir / "bundle", baseURL.toStdString()))),
        outbox(std::make_shared<outbox::Outbox>(dir / "Outbox", std::make_shared<ServerAPI>(networking, session))) {
    outbox->start();
    registerApplicationClasses();
    step = std::dynamic_pointer_cast<StepThreeTableViewController>(
        ui::Storyboard::named("Main")->instantiateViewController("StepThreeTableViewController"));
    step->outbox = outbox;
    harness.show(std::make_shared<ui::NavigationController>(step));
    step->tableView()->scrollToRow({0, 23});
    harness.window->syncNow();
    cell = std::dynamic_pointer_cast<CustomButtonCell>(step->tableView()->cellForRow({0, 23}));
    cancel = dynamic_cast<ui::Button*>(cell->viewWithTag(StepThreeTableViewController::kCancelButtonTag));
  }

  TempDir dir;
  Networking networking;
  Session session{SessionConfiguration{}};
  std::shared_ptr<outbox::Outbox> outbox;
  std::shared_ptr<StepThreeTableViewController> step;
  std::shared_ptr<CustomButtonCell> cell;
  ui::Button* cancel = nullptr;
};

}  // namespace

class UploadProgressTest : public QObject {
  Q_OBJECT

 private slots:
  void byteCountsReadLikeAPhones() {
    QCOMPARE(desktop::UploadProgressWidget::byteCount(512), QStringLiteral("512 B"));
    QCOMPARE(desktop::UploadProgressWidget::byteCount(12 * 1024 + 300), QStringLiteral("12.3 KB"));
    QCOMPARE(desktop::UploadProgressWidget::byteCount(4718592), QStringLiteral("4.5 MB"));
  }

  void theSubmissionsProgressShowsUnderFinalizarWhileItUploads() {
    LoopbackHttpServer server;
    server.hold();
    server.route("/api/v1/services", {500, "text/html", "<html>no</html>"});
    MirrorHarness harness;
    StepThreeOnScreen screen(harness, server.baseURL());
    auto& step = screen.step;
    QVERIFY(step && screen.cell && screen.cancel);
    auto button = screen.cell->customButton.lock();
    QCOMPARE(button->currentTitle(), std::optional<std::string>("Finalizar"));
    auto* buttonWidget = harness.widgetOf(button);
    QVERIFY(!harness.window->controllers().uploadProgress());
    auto* cancel = screen.cancel;
    QVERIFY(cancel->isHidden());

    QTest::mouseClick(buttonWidget, Qt::LeftButton);
    // The whole body is sent; the server has not answered yet.
    QTRY_VERIFY_WITH_TIMEOUT(step->uploadProgress() &&
                                 step->uploadProgress()->completedBytes == step->uploadProgress()->totalBytes,
                             20000);
    QTRY_VERIFY(harness.window->controllers().uploadProgress());
    auto* strip = harness.window->controllers().uploadProgress();
    const QString total = desktop::UploadProgressWidget::byteCount(step->uploadProgress()->totalBytes);
    QCOMPARE(strip->text(), QStringLiteral("Enviando %1 de %1").arg(total));
    QVERIFY(strip->isVisible());
    const QPoint under = strip->mapTo(harness.window.get(), QPoint(0, 0));
    const QPoint buttonBottom = buttonWidget->mapTo(harness.window.get(), QPoint(0, buttonWidget->height()));
    QVERIFY(under.y() >= buttonBottom.y());
    QCOMPARE(under.x(), buttonBottom.x());
    // "Cancelar" sits beside the strip, under the right end of "Finalizar".
    auto* cancelWidget = harness.widgetOf(cancel->sharedAs<ui::Button>());
    QVERIFY(cancelWidget && cancelWidget->isVisible());
    const QRect cancelBox(cancelWidget->mapTo(harness.window.get(), QPoint(0, 0)), cancelWidget->size());
    const QRect stripBox(under, strip->size());
    QVERIFY(!cancelBox.intersects(stripBox));
    QVERIFY(cancelBox.top() >= buttonBottom.y());
    QVERIFY(cancelBox.right() <= buttonBottom.x() + buttonWidget->width());

    // The refused submission ends the upload: the strip goes, the alert comes.
    server.release();
    QTRY_VERIFY_WITH_TIMEOUT(harness.window->controllers().alertDialog(), 20000);
    QVERIFY(!step->uploadProgress());
    QTRY_VERIFY(!harness.window->controllers().uploadProgress());
    QVERIFY(cancel->isHidden());
  }

  void clickingCancelarStopsTheUploadWithoutAnAlert() {
    LoopbackHttpServer server;
    server.hold();
    server.route("/api/v1/services", {200, "application/json", "{}"});
    MirrorHarness harness;
    StepThreeOnScreen screen(harness, server.baseURL());
    auto& step = screen.step;
    QVERIFY(step && screen.cell && screen.cancel);
    QTest::mouseClick(harness.widgetOf(screen.cell->customButton.lock()), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(step->uploadProgress() &&
                                 step->uploadProgress()->completedBytes == step->uploadProgress()->totalBytes,
                             20000);
    harness.window->syncNow();
    auto* cancelWidget = harness.widgetOf(screen.cancel->sharedAs<ui::Button>());
    QVERIFY(cancelWidget && cancelWidget->isVisible());
    QTest::mouseClick(cancelWidget, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(step->submissionState() == StepThreeTableViewController::SubmissionState::idle, 20000);
    harness.window->syncNow();
    QVERIFY(!harness.window->controllers().alertDialog());
    QTRY_VERIFY(!harness.window->controllers().uploadProgress());
    QCOMPARE(screen.outbox->pendingCount(), std::size_t{1});
    server.release();
  }
};

INSTALA_QT_TEST(UploadProgressTest)

}  // namespace instala::testing

#include "UploadProgressTest.moc"
