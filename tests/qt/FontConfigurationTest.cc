// fontconfig at start-up: a light configuration (font folders, no rules) for
// the first frame, which uses the bundle's fonts only, then the system's own.

#include "QtTests.h"
#include "qt/FontRegistry.h"
#include "support/ChildProcess.h"
#include "support/ScopedEnvironment.h"

#include <fontconfig/fontconfig.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QTest>

namespace instala::testing {
namespace {

// How many configuration files the current configuration was read from.
int configurationFiles() {
  FcStrList* files = FcConfigGetConfigFiles(nullptr);
  int count = 0;
  while (FcStrListNext(files)) ++count;
  FcStrListDone(files);
  return count;
}

QString familyOf(const QFont& font) { return QFontInfo(font).family(); }

}  // namespace

class FontConfigurationTest : public QObject {
  Q_OBJECT

 private:
  std::filesystem::path fonts = binaryDirectory() / "bundle" / "Assets" / "Fonts";

 private slots:
  void initTestCase() {
    if (!std::filesystem::exists(fonts / "SourceSansPro-Regular.ttf")) QSKIP("the bundle has no fonts");
  }

  void theUsersOwnSetupOrABundleWithoutFontsKeepsTheSystemConfiguration() {
    for (const char* variable : {"FONTCONFIG_FILE", "FONTCONFIG_PATH", "FONTCONFIG_SYSROOT"}) {
      ScopedEnvironment environment{{variable, "/etc/fonts"}};
      QVERIFY2(!desktop::FontRegistry::useLightConfiguration(fonts), variable);
    }
    QVERIFY(!desktop::FontRegistry::useLightConfiguration(binaryDirectory() / "no-such-folder"));
  }

  void theBundleFontsServeTheLightStartAndTheSystemRulesComeAfter() {
    QVERIFY(desktop::FontRegistry::useLightConfiguration(fonts));
    QCOMPARE(configurationFiles(), 0);
    QObject owner;
    auto registry = std::make_unique<desktop::FontRegistry>(fonts);
    const QFont semibold = registry->systemFont(16, true);
    QCOMPARE(familyOf(semibold), QStringLiteral("Source Sans Pro"));
    QCOMPARE(QFontInfo(semibold).styleName(), QStringLiteral("Semibold"));
    // The system's fonts are there from the start, only its rules are not.
    QVERIFY(QFontDatabase::families().contains(QStringLiteral("DejaVu Sans")));

    bool done = false;
    registry->useSystemConfiguration(&owner, [&] { done = true; });
    QTRY_VERIFY_WITH_TIMEOUT(done, 30000);
    QVERIFY(configurationFiles() > 0);
    // The generic names come from the system's rules; the bundle's fonts are still registered.
    QCOMPARE(familyOf(QFont(QStringLiteral("monospace"))), QStringLiteral("DejaVu Sans Mono"));
    QCOMPARE(familyOf(registry->systemFont(14)), QStringLiteral("Source Sans Pro"));
    QCOMPARE(familyOf(registry->systemFont(16, true)), QStringLiteral("Source Sans Pro"));
    QVERIFY(QFontDatabase::families().contains(QStringLiteral("DejaVu Sans")));
    QVERIFY(registry->isRegistered("SourceSansPro-Regular"));
  }
};

INSTALA_QT_TEST(FontConfigurationTest)

}  // namespace instala::testing

#include "FontConfigurationTest.moc"
