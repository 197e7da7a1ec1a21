// The map: tiles of the OpenStreetMap scheme around the model's region, pins
// and titles, and a neutral background with the coordinates without tiles.

#include "LoopbackHttpServer.h"
#include "MirrorHarness.h"
#include "QtTests.h"
#include "qt/MapWidget.h"
#include "qt/TileCache.h"
#include "support/TempDir.h"
#include "ui/MapView.h"

#include <QBuffer>
#include <QTest>

#include <cmath>

namespace instala::testing {

class MapWidgetTest : public QObject {
  Q_OBJECT

 private:
  struct Screen {
    std::shared_ptr<ui::ViewController> controller = std::make_shared<ui::ViewController>();
    std::shared_ptr<ui::MapView> map = std::make_shared<ui::MapView>(ui::Rect{0, 100, 390, 300});
  };
  static Screen placedScreen() {
    Screen screen;
    screen.controller->view()->addSubview(screen.map);
    return screen;
  }
  static void place(ui::MapView& map) {
    auto pin = std::make_shared<ui::PointAnnotation>();
    pin->setTitle("Cascadia");
    pin->setCoordinate({20.6193, -100.4102});
    map.addAnnotation(pin);
    map.setRegion(ui::CoordinateRegion::withDistance(pin->coordinate(), 300, 300), false);
  }

 private slots:
  void aRegionOf300MetresFitsTheWidget() {
    const auto region = ui::CoordinateRegion::withDistance({20.6193, -100.4102}, 300, 300);
    const auto fit = desktop::MapWidget::fit(region, 390, 300);
    // 300 m over 300 pixels is 1 m per pixel: zoom 17 at this latitude, scaled up a little.
    QCOMPARE(fit.zoom, 17);
    QVERIFY(fit.scale >= 1.0 && fit.scale < 2.0);
    const double metersPerPixel = 156543.03392804097 * std::cos(20.6193 * M_PI / 180) / std::pow(2, fit.zoom) / fit.scale;
    QVERIFY(std::abs(metersPerPixel - 1.0) < 1e-6);
    // Tile numbers of the scheme: zoom 1 splits the world in four.
    QCOMPARE(desktop::MapWidget::worldPixel({0, 0}, 1), QPointF(256, 256));
    QCOMPARE(desktop::MapWidget::worldPixel({85.05112878, -180}, 0).toPoint(), QPoint(0, 0));
  }

  void withoutTilesThePinStandsOnANeutralBackgroundWithItsCoordinates() {
    MirrorHarness harness;
    auto screen = placedScreen();
    harness.show(screen.controller);  // no tile server
    harness.onMainQueue([&] { place(*screen.map); });
    QTRY_VERIFY(harness.widgetOf<desktop::MapWidget>(screen.map) &&
                !harness.widgetOf<desktop::MapWidget>(screen.map)->pins().empty());
    auto* widget = harness.widgetOf<desktop::MapWidget>(screen.map);
    QCOMPARE(widget->pins().front().title, QStringLiteral("Cascadia"));
    const QImage drawn = widget->grab().toImage();
    QVERIFY(!widget->hadAllTiles());
    // The pin's red head sits above the middle of the map.
    const QPoint head(drawn.width() / 2, drawn.height() / 2 - 28 - 8);
    QCOMPARE(drawn.pixelColor(head).red(), 0xE5);
    QCOMPARE(drawn.pixelColor(5, 5), QColor(0xE8, 0xE6, 0xE1));
  }

  void tilesComeFromTheTemplatesServer() {
    LoopbackHttpServer server;
    QImage tile(256, 256, QImage::Format_RGB32);
    tile.fill(QColor(0x33, 0x99, 0x33));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    tile.save(&buffer, "PNG");
    const auto fit = desktop::MapWidget::fit(ui::CoordinateRegion::withDistance({20.6193, -100.4102}, 300, 300), 390, 300);
    const QPointF center = desktop::MapWidget::worldPixel({20.6193, -100.4102}, fit.zoom);
    const int x0 = static_cast<int>(center.x() / 256);
    const int y0 = static_cast<int>(center.y() / 256);
    for (int dx = -2; dx <= 2; ++dx) {
      for (int dy = -2; dy <= 2; ++dy) {
        server.route(QStringLiteral("/tiles/%1/%2/%3.png").arg(fit.zoom).arg(x0 + dx).arg(y0 + dy), {200, "image/png", png});
      }
    }
    MirrorHarness harness;
    auto screen = placedScreen();
    harness.show(screen.controller, server.baseURL() + QStringLiteral("/tiles/{z}/{x}/{y}.png"));
    harness.onMainQueue([&] { place(*screen.map); });
    QTRY_VERIFY(harness.widgetOf<desktop::MapWidget>(screen.map) &&
                !harness.widgetOf<desktop::MapWidget>(screen.map)->pins().empty());
    auto* widget = harness.widgetOf<desktop::MapWidget>(screen.map);
    widget->grab();
    QTRY_VERIFY(server.requested().size() >= 2);
    QTRY_VERIFY((widget->grab(), widget->hadAllTiles()));
    QVERIFY(server.requested().contains(QStringLiteral("/tiles/%1/%2/%3.png").arg(fit.zoom).arg(x0).arg(y0)));
    const QImage drawn = widget->grab().toImage();
    QCOMPARE(drawn.pixelColor(5, 5), QColor(0x33, 0x99, 0x33));
  }

  void aFailedTileIsNotAskedForAgain() {
    LoopbackHttpServer server;
    desktop::WebModuleLoader web;
    desktop::TileCache cache(server.baseURL() + QStringLiteral("/{z}/{x}/{y}.png"), web);
    QVERIFY(cache.tile(3, 1, 2).isNull());
    QCOMPARE(cache.state(3, 1, 2), desktop::TileCache::State::loading);
    QTRY_COMPARE(cache.state(3, 1, 2), desktop::TileCache::State::failed);
    QVERIFY(cache.tile(3, 1, 2).isNull());
    QTest::qWait(50);
    QCOMPARE(server.requested(), QStringList{QStringLiteral("/3/1/2.png")});
    desktop::TileCache none{QString(), web};
    QCOMPARE(none.state(0, 0, 0), desktop::TileCache::State::failed);
  }

  // Without the web module a tile fails at once, and nothing is asked of the server.
  void withoutTheWebModuleTilesFail() {
    LoopbackHttpServer server;
    TempDir empty;
    desktop::WebModuleLoader missing(QStringList{QString::fromStdString(empty.path().string())});
    desktop::TileCache cache(server.baseURL() + QStringLiteral("/{z}/{x}/{y}.png"), missing);
    QVERIFY(cache.tile(3, 1, 2).isNull());
    QCOMPARE(cache.state(3, 1, 2), desktop::TileCache::State::failed);
    QVERIFY(missing.errorString().startsWith(QStringLiteral("no instala-web.so in ")));
    QTest::qWait(50);
    QVERIFY(server.requested().isEmpty());
  }
};

INSTALA_QT_TEST(MapWidgetTest)

}  // namespace instala::testing

#include "MapWidgetTest.moc"
