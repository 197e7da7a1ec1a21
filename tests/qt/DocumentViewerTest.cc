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

  // A server page's link of any other scheme stays inside: no file, mail client or program is started.
  void onlyWebLinksOfAPageAreFollowed_data() {
    QTest::addColumn<QString>("link");
    QTest::addColumn<bool>("followed");
    QTest::newRow("file") << QStringLiteral("file:///etc/passwd") << false;
    QTest::newRow("mail") << QStringLiteral("mailto:soporte@instala.mx") << false;
    QTest::newRow("script") << QStringLiteral("javascript:alert(1)") << false;
    QTest::newRow("share") << QStringLiteral("smb://servidor/compartido") << false;
    QTest::newRow("ftp") << QStringLiteral("ftp://127.0.0.1/manual.pdf") << false;
    QTest::newRow("data") << QStringLiteral("data:text/html,hola") << false;
    QTest::newRow("relative") << QStringLiteral("otra.html") << true;
  }
  void onlyWebLinksOfAPageAreFollowed() {
    QFETCH(QString, link);
    QFETCH(bool, followed);
    LoopbackHttpServer server;
    server.route("/documents/docs/manual.html", {200, "text/html", "<a href=\"x\">enlace</a>"});
    server.route("/documents/docs/otra.html", {200, "text/html", "<p>Otra</p>"});
    MirrorHarness harness;
    auto screen = std::make_shared<ui::ViewController>();
    harness.show(screen);
    auto browser = std::make_shared<ui::SafariViewController>(
        (server.baseURL() + QStringLiteral("/documents/docs/manual.html")).toStdString());
    screen->present(browser, true);
    std::vector<QUrl> external;
    desktop::DocumentViewer viewer(browser, harness.window->context(), [&](const QUrl& url) {
      external.push_back(url);
      return true;
    });
    QSignalSpy loaded(&viewer, &desktop::DocumentViewer::finishedLoading);
    QTRY_COMPARE(loaded.count(), 1);
    emit viewer.page()->anchorClicked(QUrl(link));
    if (followed) {
      QTRY_COMPARE(loaded.count(), 2);
      QVERIFY(viewer.page()->toPlainText().contains(QStringLiteral("Otra")));
    } else {
      QCOMPARE(viewer.statusText(), QStringLiteral("Este enlace no se puede abrir."));
    }
    QVERIFY(external.empty());
    QVERIFY(screen->presentedViewController());
  }
};

INSTALA_QT_TEST(DocumentViewerTest)

}  // namespace instala::testing

#include "DocumentViewerTest.moc"
