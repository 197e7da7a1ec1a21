// The in-application browser: HTML in the viewer, anything else to the
// desktop, and the model's browser dismissed when the viewer closes.

#include "LoopbackHttpServer.h"
#include "MirrorHarness.h"
#include "QtTests.h"
#include "qt/DocumentViewer.h"
#include "ui/SafariViewController.h"

#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>

namespace instala::testing {

class DocumentViewerTest : public QObject {
  Q_OBJECT

 private slots:
  void anHtmlDocumentIsShownInsideAndClosingDismissesTheBrowser() {
    LoopbackHttpServer server;
    server.route("/documents/docs/manual.html",
                 {200, "text/html; charset=utf-8", "<html><body><h1>Manual de instalación</h1></body></html>"});
    MirrorHarness harness;
    auto screen = std::make_shared<ui::ViewController>();
    harness.show(screen);
    auto browser = std::make_shared<ui::SafariViewController>(
        (server.baseURL() + QStringLiteral("/documents/docs/manual.html")).toStdString());
    screen->present(browser, true);
    QVERIFY(screen->presentedViewController());
    std::vector<QUrl> external;
    desktop::DocumentViewer viewer(browser, harness.window->context(), [&](const QUrl& url) {
      external.push_back(url);
      return true;
    });
    QSignalSpy loaded(&viewer, &desktop::DocumentViewer::finishedLoading);
    QTRY_COMPARE(loaded.count(), 1);
    QVERIFY(viewer.page()->toPlainText().contains(QStringLiteral("Manual de instalación")));
    QVERIFY(external.empty());
    viewer.reject();  // "Listo"
    QVERIFY(!screen->presentedViewController());
  }

  void aPdfGoesToTheDesktopAndTheBrowserIsDismissed() {
    LoopbackHttpServer server;
    server.route("/documents/docs/ficha.pdf", {200, "application/pdf", "%PDF-1.4\n%%EOF\n"});
    MirrorHarness harness;
    auto screen = std::make_shared<ui::ViewController>();
    harness.show(screen);
    const QString url = server.baseURL() + QStringLiteral("/documents/docs/ficha.pdf");
    auto browser = std::make_shared<ui::SafariViewController>(url.toStdString());
    screen->present(browser, true);
    std::vector<QUrl> external;
    desktop::DocumentViewer viewer(browser, harness.window->context(), [&](const QUrl& target) {
      external.push_back(target);
      return true;
    });
    QTRY_COMPARE(external.size(), 1u);
    QCOMPARE(external.front(), QUrl(url));
    QVERIFY(!screen->presentedViewController());
  }

  void aMissingDocumentSaysSoAndStaysUntilClosed() {
    LoopbackHttpServer server;
    MirrorHarness harness;
    auto screen = std::make_shared<ui::ViewController>();
    harness.show(screen);
    auto browser =
        std::make_shared<ui::SafariViewController>((server.baseURL() + QStringLiteral("/nada.html")).toStdString());
    screen->present(browser, true);
    desktop::DocumentViewer viewer(browser, harness.window->context(), [](const QUrl&) { return true; });
    QSignalSpy loaded(&viewer, &desktop::DocumentViewer::finishedLoading);
    QTRY_COMPARE(loaded.count(), 1);
    QVERIFY(viewer.statusText().contains(QStringLiteral("404")));
    QVERIFY(screen->presentedViewController());
  }
};

INSTALA_QT_TEST(DocumentViewerTest)

}  // namespace instala::testing

#include "DocumentViewerTest.moc"
