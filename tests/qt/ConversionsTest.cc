// Values between the model and Qt: colours, geometry, images, the spring's timing.

#include "QtTests.h"
#include "qt/Conversions.h"
#include "qt/SpringCurve.h"

#include <QTest>

namespace instala::testing {

class ConversionsTest : public QObject {
  Q_OBJECT

 private slots:
  void coloursAndRectangles() {
    QCOMPARE(desktop::toQColor(ui::Color(0, 0, 0, 0.2)), QColor(0, 0, 0, 51));
    QCOMPARE(desktop::toQColor(std::optional<ui::Color>()), QColor(Qt::transparent));
    // Edges are rounded, so neighbouring views keep touching.
    QCOMPARE(desktop::toQRect(ui::Rect(0.4, 10.6, 100.2, 20.5)), QRect(0, 11, 101, 20));
    QCOMPARE(desktop::toQString("Búsqueda"), QStringLiteral("Búsqueda"));
  }

  void anyQImageBecomesTheModelsRgbImage() {
    QImage transparent(4, 2, QImage::Format_ARGB32);
    transparent.fill(Qt::transparent);
    transparent.setPixelColor(1, 0, QColor(255, 0, 0));
    auto image = desktop::toPlatformImage(transparent);
    QVERIFY(image);
    QCOMPARE(image->width(), 4);
    QCOMPARE(image->height(), 2);
    // Transparent pixels are composed over white; opaque ones keep their colour.
    QCOMPARE(image->pixels().at(0), std::uint8_t{255});
    QCOMPARE(image->pixels().at(3), std::uint8_t{255});
    QCOMPARE(image->pixels().at(4), std::uint8_t{0});

    QImage indexed(3, 3, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(10, 20, 30)});
    indexed.fill(0);
    auto fromIndexed = desktop::toPlatformImage(indexed);
    QVERIFY(fromIndexed);
    QCOMPARE(desktop::toQImage(*fromIndexed).pixelColor(2, 2), QColor(10, 20, 30));
    QVERIFY(!desktop::toPlatformImage(QImage()));
  }

  void theSpringStartsAtZeroEndsAtOneAndOvershootsWhenUnderdamped() {
    const desktop::SpringCurve spring(0.35, 0.8, 2.0);
    QCOMPARE(spring.valueAt(0), 0.0);
    QCOMPARE(spring.valueAt(1), 1.0);
    double highest = 0;
    for (int i = 1; i < 100; ++i) highest = std::max(highest, spring.valueAt(i / 100.0));
    QVERIFY(highest > 1.0);
    QVERIFY(highest < 1.1);
    const desktop::SpringCurve critical(0.35, 1.0, 0);
    double previous = 0;
    for (int i = 1; i <= 100; ++i) {
      const double value = critical.valueAt(i / 100.0);
      QVERIFY(value >= previous - 1e-12);
      previous = value;
    }
  }
};

INSTALA_QT_TEST(ConversionsTest)

}  // namespace instala::testing

#include "ConversionsTest.moc"
