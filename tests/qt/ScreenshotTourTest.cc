// `instala --screenshot-tour` against the demo server: every screen of the
// flow is written as a PNG of the window's size that is not blank.

#include "QtTests.h"
#include "support/ChildProcess.h"
#include "support/DemoEnvironment.h"

#include <QImage>
#include <QSet>
#include <QTest>

#include <filesystem>

namespace instala::testing {

class ScreenshotTourTest : public QObject {
  Q_OBJECT

 private slots:
  void everyScreenIsWrittenAndNotBlank() {
    // The first submission is refused, so the tour can show the failure alert.
    DemoEnvironment demo({"--fail-submissions", "1"});
    const std::filesystem::path shots = INSTALA_SCREENSHOT_DIR;
    std::error_code ec;
    std::filesystem::remove_all(shots, ec);
    ChildProcess tour(INSTALA_DESKTOP_EXE,
                      {"--bundle", demo.bundle().string(), "--data", demo.dataDirectory().string(),
                       "--screenshot-tour", shots.string()},
                      {"QT_QPA_PLATFORM=offscreen", "QT_MEDIA_BACKEND=ffmpeg", "LANG=es_MX.UTF-8", "LC_ALL=", "LANGUAGE="});
    const std::string output = tour.readAll(std::chrono::seconds(240));
    QVERIFY2(tour.wait() == 0, output.c_str());

    const char* screens[] = {"01-login",          "02-login-validation-alert", "03-active-tickets",
                             "04-closed-tickets", "05-search-results",         "06-ticket-details",
                             "07-check-in",       "08-step-one",               "09-step-two",
                             "10-step-three",     "11-submission-failed-alert"};
    for (const char* name : screens) {
      const auto file = shots / (std::string(name) + ".png");
      QVERIFY2(std::filesystem::is_regular_file(file), file.c_str());
      const QImage image(QString::fromStdString(file.string()));
      QVERIFY2(!image.isNull(), file.c_str());
      QCOMPARE(image.size(), QSize(390, 844));
      // Not blank: many colours, and a good share of pixels away from the most common one.
      QHash<QRgb, int> counts;
      for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) ++counts[image.pixel(x, y)];
      }
      int most = 0;
      for (int count : counts) most = std::max(most, count);
      const int total = (image.width() / 2) * (image.height() / 2);
      QVERIFY2(counts.size() >= 32, file.c_str());
      QVERIFY2(total - most >= total / 50, file.c_str());
    }
  }
};

INSTALA_QT_TEST(ScreenshotTourTest)

}  // namespace instala::testing

#include "ScreenshotTourTest.moc"
