// The underlined floating-placeholder field: drawn from its model, edited
// through the model and its delegate.

#include "MirrorHarness.h"
#include "QtTests.h"
#include "common/UnderlineTextField.h"
#include "qt/Conversions.h"
#include "qt/LabelWidget.h"
#include "qt/UnderlineFieldWidget.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <string>
#include <utility>
#include <vector>

namespace instala::testing {

// Records every keystroke the field asks about and refuses digits.
class RecordingDelegate : public ui::TextFieldDelegate {
 public:
  bool shouldChangeCharactersInRange(ui::TextField&, ui::TextRange range, const std::string& replacement) override {
    asked.emplace_back(range, replacement);
    return replacement.find_first_of("0123456789") == std::string::npos;
  }
  std::vector<std::pair<ui::TextRange, std::string>> asked;
};

class UnderlineFieldWidgetTest : public QObject {
  Q_OBJECT

 private:
  struct Screen {
    std::shared_ptr<ui::ViewController> controller = std::make_shared<ui::ViewController>();
    std::shared_ptr<UnderlineTextField> field = std::make_shared<UnderlineTextField>();
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
  };

  static Screen makeScreen(bool secure = false) {
    Screen screen;
    screen.field->setFrame({20, 200, 350, 52});
    // Without the fetched fonts the field keeps the system font.
    screen.field->setFont(ui::Font::named("SourceSansPro-Regular", 17).value_or(ui::Font::systemFont(17)));
    screen.field->setPlaceholder(secure ? "Contraseña" : "Correo electrónico");
    screen.field->setBorderInactiveColor(ui::Color::named("LightBlue"));
    screen.field->setBorderActiveColor(ui::Color::named("DarkBlue"));
    screen.field->setSecureTextEntry(secure);
    screen.field->setDelegate(screen.delegate);
    screen.controller->view()->addSubview(screen.field);
    return screen;
  }

  static desktop::LabelWidget* placeholderOf(desktop::UnderlineFieldWidget* widget) {
    return widget->findChild<desktop::LabelWidget*>(QString(), Qt::FindDirectChildrenOnly);
  }

 private slots:
  void typingGoesThroughTheDelegateOneKeystrokeAtATime() {
    MirrorHarness harness;
    auto screen = makeScreen();
    harness.show(screen.controller);
    auto* widget = harness.widgetOf<desktop::UnderlineFieldWidget>(screen.field);
    QVERIFY(widget);
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(100, 30));
    QVERIFY(screen.field->isEditing());
    QTest::keyClicks(widget->lineEdit(), QStringLiteral("ab1c"));
    using Asked = std::vector<std::pair<ui::TextRange, std::string>>;
    QCOMPARE(screen.delegate->asked, (Asked{{{0, 0}, "a"}, {{1, 0}, "b"}, {{2, 0}, "1"}, {{2, 0}, "c"}}));
    QCOMPARE(screen.field->text(), std::string("abc"));
    QCOMPARE(widget->lineEdit()->text(), QStringLiteral("abc"));

    // Deleting and typing in the middle name their ranges in the model's text.
    QTest::keyClick(widget->lineEdit(), Qt::Key_Backspace);
    QTest::keyClick(widget->lineEdit(), Qt::Key_Home);
    QKeyEvent enye(QEvent::KeyPress, Qt::Key_Ntilde, Qt::NoModifier, QStringLiteral("ñ"));
    QApplication::sendEvent(widget->lineEdit(), &enye);
    QCOMPARE(screen.delegate->asked.at(4), (std::pair<ui::TextRange, std::string>{{2, 1}, ""}));
    QCOMPARE(screen.delegate->asked.at(5), (std::pair<ui::TextRange, std::string>{{0, 0}, "ñ"}));
    QCOMPARE(screen.field->text(), std::string("ñab"));
  }

  void aFieldTheDelegateDoesNotLetBeginStaysResting() {
    class Refusing : public ui::TextFieldDelegate {
     public:
      bool textFieldShouldBeginEditing(ui::TextField&) override { return false; }
    };
    MirrorHarness harness;
    auto screen = makeScreen();
    auto refusing = std::make_shared<Refusing>();
    screen.field->setDelegate(refusing);
    harness.show(screen.controller);
    auto* widget = harness.widgetOf<desktop::UnderlineFieldWidget>(screen.field);
    QTest::mouseClick(widget->lineEdit(), Qt::LeftButton);
    QVERIFY(!screen.field->isEditing());
    harness.window->syncNow();
    QVERIFY(!widget->lineEdit()->hasFocus());
  }

  void theUnderlinesAndThePlaceholderComeFromTheModel() {
    MirrorHarness harness;
    auto screen = makeScreen();
    harness.show(screen.controller);
    auto* widget = harness.widgetOf<desktop::UnderlineFieldWidget>(screen.field);
    auto* placeholder = placeholderOf(widget);
    QVERIFY(placeholder);
    QCOMPARE(placeholder->text(), QStringLiteral("Correo electrónico"));
    QVERIFY(!placeholder->isHidden());
    // The toolkit's own placeholder is not drawn for this field.
    QVERIFY(widget->lineEdit()->placeholderText().isEmpty());
    // The text sits 12 points lower than in a plain field.
    QCOMPARE(widget->lineEdit()->geometry().top(), 12);
    auto underlines = widget->layerStyle().sublayers;
    QCOMPARE(static_cast<int>(underlines.size()), 2);
    QCOMPARE(underlines[0].frame, QRectF(0, 51.5, 350, 0.5));
    QCOMPARE(underlines[0].background, QColor(0x5D, 0xA9, 0xE9));
    QCOMPARE(underlines[1].frame.width(), 0.0);

    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(100, 30));
    harness.window->syncNow();
    QVERIFY(placeholder->isHidden());
    // While editing the underlines keep the frames of their last refresh, as the model says.
    underlines = widget->layerStyle().sublayers;
    QCOMPARE(underlines[0].frame, desktop::toQRectF(screen.field->inactiveBorderLayer()->frame));
    QCOMPARE(underlines[1].frame, desktop::toQRectF(screen.field->activeBorderLayer()->frame));
    // A refresh while editing (a new underline colour) draws the thick active underline.
    harness.onMainQueue([&] { screen.field->setBorderActiveColor(ui::Color::named("DarkPurple")); });
    QTRY_COMPARE(widget->layerStyle().sublayers[1].frame, QRectF(0, 50, 350, 2));
    underlines = widget->layerStyle().sublayers;
    QCOMPARE(underlines[0].frame.width(), 0.0);
    QCOMPARE(underlines[1].background, QColor(0x3D, 0x2C, 0x6B));
  }

  void secureEntryShowsDots() {
    MirrorHarness harness;
    auto screen = makeScreen(true);
    harness.show(screen.controller);
    auto* widget = harness.widgetOf<desktop::UnderlineFieldWidget>(screen.field);
    QCOMPARE(widget->lineEdit()->echoMode(), QLineEdit::Password);
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(100, 30));
    QTest::keyClicks(widget->lineEdit(), QStringLiteral("clave"));
    QCOMPARE(screen.field->text(), std::string("clave"));
    QVERIFY(!widget->lineEdit()->displayText().contains(QStringLiteral("clave")));
  }

  // The line edit is see-through: beside the typed text the screen's colour shows, not a white box.
  void theScreenShowsThroughTheField() {
    MirrorHarness harness;
    auto screen = makeScreen();
    screen.controller->view()->setBackgroundColor(ui::Color::named("DarkPurple"));
    harness.show(screen.controller);
    auto* widget = harness.widgetOf<desktop::UnderlineFieldWidget>(screen.field);
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(100, 30));
    QTest::keyClicks(widget->lineEdit(), QStringLiteral("abc"));
    harness.window->syncNow();
    const QImage frame = harness.window->grab().toImage();
    const QRect edit(widget->lineEdit()->mapTo(harness.window.get(), QPoint()), widget->lineEdit()->size());
    QCOMPARE(frame.pixelColor(edit.right() - 4, edit.center().y()), QColor(0x3D, 0x2C, 0x6B));
  }

  void thePlaceholderReturnsAlongTheSpringWhenTheFieldIsLeftEmpty() {
    MirrorHarness harness;
    auto screen = makeScreen();
    harness.show(screen.controller);
    auto* widget = harness.widgetOf<desktop::UnderlineFieldWidget>(screen.field);
    auto* placeholder = placeholderOf(widget);
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(100, 30));
    harness.window->syncNow();
    QVERIFY(placeholder->isHidden());

    ui::Application::shared().clearAnimationRequests();
    harness.onMainQueue([&] { screen.field->resignFirstResponder(); });
    QTRY_VERIFY(!placeholder->isHidden());
    const auto& requested = ui::Application::shared().animationRequests();
    QVERIFY(!requested.empty());
    QCOMPARE(requested.back().duration, 0.35);
    QCOMPARE(requested.back().dampingRatio, 0.8);
    // It fades in over the spring rather than popping in.
    QVERIFY(placeholder->opacity() < 1.0);
    QTRY_COMPARE(placeholder->opacity(), 1.0);
    QVERIFY(!widget->lineEdit()->hasFocus());
  }
};

INSTALA_QT_TEST(UnderlineFieldWidgetTest)

}  // namespace instala::testing

#include "UnderlineFieldWidgetTest.moc"
