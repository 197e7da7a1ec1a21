// The view mirror: model views become widgets of their kind, model changes
// reach them on the next turn, clicks run the model's actions.

#include "MirrorHarness.h"
#include "QtTests.h"
#include "app/ClassRegistrations.h"
#include "qt/ButtonWidget.h"
#include "qt/ImageViewWidget.h"
#include "qt/LabelWidget.h"
#include "qt/RowViewWidget.h"
#include "qt/SwitchWidget.h"
#include "qt/TableMirror.h"
#include "scenes/details/DetailsTableViewController.h"
#include "scenes/details/TicketDetailCell.h"
#include "scenes/tickets/TicketCell.h"
#include "ui/Button.h"
#include "ui/ClassRegistry.h"
#include "ui/ImageView.h"
#include "ui/Label.h"
#include "ui/Nib.h"
#include "ui/Switch.h"
#include "ui/TableViewController.h"

#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

namespace instala::testing {

// A screen with an action method for its controls.
class ActionScreen : public ui::ViewController {
 public:
  using Super = ui::ViewController;
  void buttonTapped(ui::Object* sender) {
    ++taps;
    lastSender = sender;
  }
  static void describe(ui::ClassDescription<ActionScreen>& d) { d.action("buttonTapped:", &ActionScreen::buttonTapped); }
  int taps = 0;
  ui::Object* lastSender = nullptr;
};

// A table of rows with a label each, of one height, selection counted.
class RowsScreen : public ui::TableViewController {
 public:
  using Super = ui::TableViewController;
  int numberOfRowsInSection(ui::TableView&, int) override { return rows; }
  double heightForRowAtIndexPath(ui::TableView&, ui::IndexPath) override { return 100; }
  std::shared_ptr<ui::TableViewCell> cellForRowAtIndexPath(ui::TableView&, ui::IndexPath path) override {
    auto cell = std::make_shared<ui::TableViewCell>();
    auto label = std::make_shared<ui::Label>(ui::Rect{16, 10, 200, 30});
    label->setText("Fila " + std::to_string(path.row));
    cell->contentView()->addSubview(label);
    return cell;
  }
  void didSelectRowAtIndexPath(ui::TableView&, ui::IndexPath path) override { selected.push_back(path.row); }
  int rows = 30;
  std::vector<int> selected;
};

// Self-sizing ticket cards from the application's own nib.
class TicketCardsScreen : public ui::TableViewController {
 public:
  using Super = ui::TableViewController;
  void viewDidLoad() override {
    Super::viewDidLoad();
    tableView()->registerNib(ui::Nib::named("TicketCell"), "TicketCell");
  }
  int numberOfRowsInSection(ui::TableView&, int) override { return static_cast<int>(locations.size()); }
  double heightForRowAtIndexPath(ui::TableView&, ui::IndexPath) override { return ui::automaticDimension; }
  std::shared_ptr<ui::TableViewCell> cellForRowAtIndexPath(ui::TableView& table, ui::IndexPath path) override {
    auto cell = std::dynamic_pointer_cast<TicketCell>(table.dequeueReusableCell("TicketCell", path));
    Ticket::Fields fields;
    fields.id = 1000 + path.row;
    fields.location = locations.at(static_cast<std::size_t>(path.row));
    cell->fill(Ticket(fields), shortDate);
    return cell;
  }
  std::vector<std::string> locations;
  ShortTicketDate shortDate;
};

Ticket ticketAt(std::string location, std::string client) {
  Ticket::Fields fields;
  fields.id = 1044;
  fields.location = std::move(location);
  fields.client = std::move(client);
  return Ticket(fields);
}

class ViewMirrorTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    ui::ClassRegistry::shared().add<ActionScreen>();
    registerApplicationClasses();
  }

  // The window measures text with the fonts it draws, where the model's fixed
  // metric (7 points per character at 14 points) would count two lines for an
  // address that is drawn on one. A 14-point line is 17 points high.
  void ticketCardsAreAsTallAsTheAddressAsDrawn() {
    if (!ui::Font::named("SourceSansPro-Regular", 14)) QSKIP("Source Sans Pro is not in the bundle");
    MirrorHarness harness;
    auto screen = std::make_shared<TicketCardsScreen>();
    screen->locations = {"Puebla", "Av. Constitución 1500 Ote., Centro, 64000 Monterrey, N.L.",
                         "Av. Vallarta 3233, Vallarta Poniente, 44110 Guadalajara, Jal.",
                         "Av. 5 de Febrero 1351, Zona Industrial Benito Juárez, 76120 Santiago de Querétaro, Qro."};
    harness.show(screen);
    auto table = screen->tableView();
    const double oneLine = table->rectForRow({0, 0}).height();
    QCOMPARE(table->rectForRow({0, 1}).height(), oneLine);
    QCOMPARE(table->rectForRow({0, 2}).height(), oneLine);
    QCOMPARE(table->rectForRow({0, 3}).height(), oneLine + 17);
    for (int row = 0; row < 4; ++row) {
      auto cell = std::dynamic_pointer_cast<TicketCell>(table->cellForRow({0, row}));
      QVERIFY(cell);
      auto* label = harness.widgetOf<desktop::LabelWidget>(cell->locationLabel.lock());
      QVERIFY(label);
      QCOMPARE(label->height(), row == 3 ? 34 : 17);
    }

    // Without the window the model's own metric is back, and counts two lines.
    harness.window.reset();
    table->reloadData();
    QCOMPARE(table->rectForRow({0, 1}).height(), oneLine + 17);

    // A window opened on rows measured without it measures them again.
    harness.window = std::make_unique<desktop::MainWindow>(*harness.driver, *harness.fonts, QString());
    harness.window->syncNow();
    QCOMPARE(table->rectForRow({0, 1}).height(), oneLine);
  }

  void theDetailsWrapTheAddressAndTheClientAsDrawn() {
    if (!ui::Font::named("SourceSansPro-Regular", 14)) QSKIP("Source Sans Pro is not in the bundle");
    double oneLineRow = 0;
    const std::tuple<std::string, std::string, int> cases[] = {
        {"Puebla", "LRN", 0},
        {"Av. Juárez 2915, La Paz, 72160 Puebla, Pue.", "LRN", 1},
        {"Av. Juárez 2915, La Paz, 72160 Puebla, Pue.", "Transportes Castores del Bajío S.A. de C.V.", 2}};
    for (const auto& [location, client, extraLines] : cases) {
      MirrorHarness harness;
      auto screen = std::make_shared<DetailsTableViewController>();
      screen->ticket = ticketAt(location, client);
      harness.show(screen);
      const double height = screen->tableView()->rectForRow({0, 0}).height();
      if (oneLineRow == 0) oneLineRow = height;
      QCOMPARE(height, oneLineRow + 17 * extraLines);
      auto cell = std::dynamic_pointer_cast<TicketDetailCell>(screen->tableView()->cellForRow({0, 0}));
      QVERIFY(cell);
      auto* address = harness.widgetOf<desktop::LabelWidget>(cell->locationLabel.lock());
      QVERIFY(address);
      QCOMPARE(address->text(), QString::fromStdString(location));
      QCOMPARE(address->height(), location == "Puebla" ? 17 : 34);
    }
  }

  void aLabelsTextChangeReachesItsWidgetOnTheNextTurn() {
    MirrorHarness harness;
    auto screen = std::make_shared<ui::ViewController>();
    auto label = std::make_shared<ui::Label>(ui::Rect{20, 100, 300, 30});
    label->setText("Hola");
    label->setTextColor(ui::Color::named("DarkPurple"));
    auto font = ui::Font::named("SourceSansPro-Semibold", 16);
    // scripts/fetch-fonts puts the fonts into the bundle; without them the
    // widget's text style cannot be compared with the font's.
    if (!font) QSKIP("Source Sans Pro is not in the bundle");
    label->setFont(*font);
    screen->view()->addSubview(label);
    harness.show(screen);
    auto* widget = harness.widgetOf<desktop::LabelWidget>(label);
    QVERIFY(widget);
    QCOMPARE(widget->text(), QStringLiteral("Hola"));
    QCOMPARE(widget->geometry(), QRect(20, 100, 300, 30));
    QCOMPARE(widget->textStyle().color, QColor(0x3D, 0x2C, 0x6B));
    QCOMPARE(widget->textStyle().font.pixelSize(), 16);
    QCOMPARE(widget->textStyle().font.weight(), QFont::DemiBold);

    harness.onMainQueue([label] { label->setText("Adiós"); });
    QTRY_COMPARE(widget->text(), QStringLiteral("Adiós"));
  }

  void aButtonClickRunsTheModelsAction() {
    MirrorHarness harness;
    auto screen = std::make_shared<ActionScreen>();
    auto button = std::make_shared<ui::Button>(ui::Rect{40, 300, 200, 48});
    button->setTitle("Iniciar sesión", ui::ControlState::normal);
    button->addTarget(screen, "buttonTapped:", ui::ControlEvent::touchUpInside);
    screen->view()->addSubview(button);
    harness.show(screen);
    auto* widget = harness.widgetOf<desktop::ButtonWidget>(button);
    QVERIFY(widget);
    QCOMPARE(widget->title(), QStringLiteral("Iniciar sesión"));
    QTest::mouseClick(widget, Qt::LeftButton);
    QCOMPARE(screen->taps, 1);
    QCOMPARE(screen->lastSender, button.get());

    // A disabled button draws its title and sends nothing.
    button->setEnabled(false);
    harness.window->syncNow();
    QTest::mouseClick(widget, Qt::LeftButton);
    QCOMPARE(screen->taps, 1);
  }

  void aPressThatMovesAwayIsNoTap() {
    MirrorHarness harness;
    auto screen = std::make_shared<ActionScreen>();
    auto button = std::make_shared<ui::Button>(ui::Rect{40, 300, 200, 48});
    button->addTarget(screen, "buttonTapped:", ui::ControlEvent::touchUpInside);
    screen->view()->addSubview(button);
    harness.show(screen);
    auto* widget = harness.widgetOf<desktop::ButtonWidget>(button);
    QTest::mousePress(widget, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(widget, Qt::LeftButton, {}, QPoint(10, 120));
    QCOMPARE(screen->taps, 0);
  }

  void aSwitchClickFlipsTheModelSwitch() {
    MirrorHarness harness;
    auto screen = std::make_shared<ActionScreen>();
    auto control = std::make_shared<ui::Switch>();
    control->setFrame({300, 200, 51, 31});
    control->setOnTintColor(ui::Color::named("DarkBlue"));
    control->addTarget(screen, "buttonTapped:", ui::ControlEvent::valueChanged);
    screen->view()->addSubview(control);
    harness.show(screen);
    auto* widget = harness.widgetOf<desktop::SwitchWidget>(control);
    QVERIFY(widget);
    QVERIFY(!widget->isOn());
    QTest::mouseClick(widget, Qt::LeftButton);
    QVERIFY(control->isOn());
    QCOMPARE(screen->taps, 1);
    QTRY_VERIFY(widget->isOn());
  }

  void hiddenViewsHideAndTheStackingFollowsTheModel() {
    MirrorHarness harness;
    auto screen = std::make_shared<ui::ViewController>();
    auto below = std::make_shared<ui::View>(ui::Rect{0, 0, 100, 100});
    auto above = std::make_shared<ui::View>(ui::Rect{0, 0, 100, 100});
    screen->view()->addSubview(below);
    screen->view()->addSubview(above);
    harness.show(screen);
    auto* belowWidget = harness.widgetOf(below);
    auto* aboveWidget = harness.widgetOf(above);
    auto* parent = belowWidget->parentWidget();
    QVERIFY(parent->children().indexOf(aboveWidget) > parent->children().indexOf(belowWidget));

    harness.onMainQueue([&] {
      screen->view()->addSubview(below);  // to the top
      above->setHidden(true);
    });
    QTRY_VERIFY(parent->children().indexOf(belowWidget) > parent->children().indexOf(aboveWidget));
    QVERIFY(aboveWidget->isHidden());

    // A view that leaves the tree loses its widget.
    harness.onMainQueue([&] { above->removeFromSuperview(); });
    QTRY_VERIFY(!harness.window->views().widgetFor(above.get()));
  }

  void layerStylesAreCopiedForPainting() {
    MirrorHarness harness;
    auto screen = std::make_shared<ui::ViewController>();
    auto card = std::make_shared<ui::View>(ui::Rect{16, 100, 358, 120});
    card->setBackgroundColor(ui::Color::white());
    card->layer().cornerRadius = 8;
    card->layer().shadowOpacity = 0.2;
    card->layer().shadowRadius = 2;
    card->layer().shadowOffset = {0.2, 0.2};
    auto ring = std::make_shared<ui::View>(ui::Rect{20, 20, 80, 80});
    ring->layer().borderWidth = 15;
    ring->layer().borderColor = ui::Color::named("CircleColor");
    ring->layer().cornerRadius = 40;
    ring->setClipsToBounds(true);
    screen->view()->addSubview(card);
    card->addSubview(ring);
    harness.show(screen);
    auto* cardWidget = harness.widgetOf(card);
    QCOMPARE(cardWidget->layerStyle().background, QColor(Qt::white));
    QCOMPARE(cardWidget->layerStyle().cornerRadius, 8.0);
    QCOMPARE(cardWidget->layerStyle().shadowOpacity, 0.2);
    auto* ringWidget = harness.widgetOf(ring);
    QCOMPARE(ringWidget->layerStyle().borderWidth, 15.0);
    QCOMPARE(ringWidget->layerStyle().borderColor, QColor(0x5D, 0xA9, 0xE9));
    QVERIFY(ringWidget->layerStyle().clips);

    // The ring is drawn in its colour at its edge, and the card casts a shadow just outside it.
    const QImage shot = harness.window->screenshot();
    const QPoint ringEdge = ringWidget->mapTo(harness.window.get(), QPoint(40, 4));
    QCOMPARE(shot.pixelColor(ringEdge), QColor(0x5D, 0xA9, 0xE9));
    const QPoint belowCard = cardWidget->mapTo(harness.window.get(), QPoint(100, 121));
    QVERIFY(shot.pixelColor(belowCard).lightness() < 255);
  }

  void imageViewsDrawTheBundlesImages() {
    MirrorHarness harness;
    auto screen = std::make_shared<ui::ViewController>();
    auto image = std::make_shared<ui::ImageView>(ui::Rect{100, 100, 64, 64});
    image->setImage(ui::Image::named("check_icon"));
    screen->view()->addSubview(image);
    harness.show(screen);
    auto* widget = harness.widgetOf<desktop::ImageViewWidget>(image);
    QVERIFY(widget);
    QCOMPARE(widget->imageName(), QStringLiteral("check_icon"));
    const QImage drawn = widget->grab().toImage();
    bool painted = false;
    for (int y = 0; y < drawn.height() && !painted; ++y) {
      for (int x = 0; x < drawn.width() && !painted; ++x) painted = drawn.pixelColor(x, y) != QColor(Qt::white);
    }
    QVERIFY(painted);
  }

  void aTableScrollsByTheWheelAndSelectsTheClickedRow() {
    MirrorHarness harness;
    auto screen = std::make_shared<RowsScreen>();
    harness.show(screen);
    auto table = screen->tableView();
    auto* tableWidget = harness.widgetOf<desktop::TableMirror>(table);
    QVERIFY(tableWidget);
    QCOMPARE(tableWidget->contentHeight(), 3000.0);
    auto first = table->cellForRow({0, 0});
    QVERIFY(first);
    auto* row = harness.widgetOf<desktop::RowViewWidget>(first);
    QVERIFY(row);

    QWheelEvent wheel(QPointF(100, 100), tableWidget->mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, -120 * 5),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(tableWidget, &wheel);
    QVERIFY(table->contentOffset() > 0);
    QTRY_COMPARE(tableWidget->contentOffset(), table->contentOffset());
    const auto visible = table->indexPathsForVisibleRows();
    QVERIFY(!visible.empty());
    QVERIFY(visible.front().row > 0);

    const auto target = visible.at(1);
    auto shown = table->cellForRow(target);
    auto* shownWidget = harness.widgetOf<desktop::RowViewWidget>(shown);
    QVERIFY(shownWidget);
    auto* label = harness.widgetOf<desktop::LabelWidget>(shown->contentView()->subviews().front());
    QCOMPARE(label->text(), QStringLiteral("Fila %1").arg(target.row));
    QTest::mouseClick(label, Qt::LeftButton);
    QCOMPARE(screen->selected, std::vector<int>{target.row});
  }
};

INSTALA_QT_TEST(ViewMirrorTest)

}  // namespace instala::testing

#include "ViewMirrorTest.moc"
