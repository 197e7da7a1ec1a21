#include "console/ScreenPrinter.h"

#include "common/HeaderView.h"
#include "common/LoadingActivity.h"
#include "common/ShowAlert.h"
#include "ui/Button.h"
#include "ui/ClassRegistry.h"
#include "ui/ImagePickerController.h"
#include "ui/ImageView.h"
#include "ui/Label.h"
#include "ui/MapView.h"
#include "ui/NavigationController.h"
#include "ui/Nib.h"
#include "ui/SafariViewController.h"
#include "ui/Switch.h"
#include "ui/TabBarController.h"
#include "ui/TableViewController.h"
#include "ui/TextField.h"

#include "support/UiTest.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace instala::console {
namespace {

class ItemCell : public ui::TableViewCell {
 public:
  using Super = ui::TableViewCell;
  std::weak_ptr<ui::Label> titleLabel;
  std::weak_ptr<ui::Switch> itemSwitch;
  std::weak_ptr<ui::ImageView> icon;
  static void describe(ui::ClassDescription<ItemCell>& d) {
    d.outlet("titleLabel", &ItemCell::titleLabel).outlet("itemSwitch", &ItemCell::itemSwitch).outlet("icon", &ItemCell::icon);
  }
};

class ItemsScreen : public ui::TableViewController {
 public:
  using Super = ui::TableViewController;
  int rows = 20;
  void viewDidLoad() override {
    auto nib = ui::Nib::fromJSON("ItemCell", nlohmann::json::parse(R"({ "class": "ItemCell", "height": 52,
      "view": { "layout": "hstack", "children": [
        { "type": "ImageView", "outlet": "icon", "width": 30 },
        { "type": "Label", "outlet": "titleLabel" },
        { "type": "Switch", "outlet": "itemSwitch" },
        { "type": "Button", "title": "Ver", "width": 40 } ] } })"));
    tableView()->registerNib(nib.value(), "ItemCell");
  }
  int numberOfRowsInSection(ui::TableView&, int) override { return rows; }
  double heightForHeaderInSection(ui::TableView&, int) override { return 40; }
  std::shared_ptr<ui::View> viewForHeaderInSection(ui::TableView&, int) override {
    return headerView("Resultados", "");
  }
  std::shared_ptr<ui::TableViewCell> cellForRowAtIndexPath(ui::TableView& table, ui::IndexPath path) override {
    auto cell = std::dynamic_pointer_cast<ItemCell>(table.dequeueReusableCell("ItemCell", path));
    cell->titleLabel.lock()->setText("Elemento " + std::to_string(path.row));
    cell->itemSwitch.lock()->setOn(path.row == 1);
    cell->icon.lock()->setImage(path.row == 0 ? ui::Image::named("check_icon") : std::nullopt);
    cell->itemSwitch.lock()->setHidden(path.row == 2);
    return cell;
  }
};

class FormScreen : public ui::ViewController {
 public:
  using Super = ui::ViewController;
  std::weak_ptr<ui::TextField> nameField;
  std::weak_ptr<ui::TextField> secretField;
  std::weak_ptr<ui::MapView> map;
  static void describe(ui::ClassDescription<FormScreen>& d) {
    d.outlet("nameField", &FormScreen::nameField).outlet("secretField", &FormScreen::secretField).outlet("map", &FormScreen::map);
  }
};

class ScreenPrinterTest : public testing::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ui::ClassRegistry::shared().add<ItemCell>();
    ui::ClassRegistry::shared().add<FormScreen>();
  }
};

TEST_F(ScreenPrinterTest, PrintsTabsNavigationHeadersAndTheVisibleRowsWithTheirOutlets) {
  // A short screen: the header and four rows fit.
  ui::Screen::main().setPortraitSize({375, 200});
  auto items = std::make_shared<ItemsScreen>();
  items->setTitle("Paso 1");
  auto previous = std::make_shared<ui::ViewController>();
  previous->setTitle("Check-in");
  auto navigation = std::make_shared<ui::NavigationController>(previous);
  navigation->tabBarItem().title = "Activos";
  auto other = std::make_shared<ui::ViewController>();
  other->tabBarItem().title = "Cerrados";
  // Badges in parentheses, on the selected tab and on another.
  navigation->tabBarItem().badgeValue = "1";
  other->tabBarItem().badgeValue = "12";
  auto tabs = std::make_shared<ui::TabBarController>();
  tabs->setViewControllers({navigation, other});
  show(tabs);
  items->navigationItem().rightBarButtonItem =
      std::make_shared<ui::BarButtonItem>("Salir", std::weak_ptr<ui::Object>(), "");
  navigation->pushViewController(items, true);
  settle();
  const std::string printed = ScreenPrinter::print(*window);
  ui::Screen::main().setPortraitSize({375, 667});
  std::string rows;
  for (int row = 0; row < 4; ++row) {
    rows += "    row 0." + std::to_string(row) + " ItemCell (52pt)\n";
    rows += std::string("      icon: image ") + (row == 0 ? "\"check_icon\"" : "none") + "\n";
    rows += "      titleLabel: \"Elemento " + std::to_string(row) + "\"\n";
    rows += std::string("      itemSwitch: switch ") + (row == 1 ? "on" : "off") + (row == 2 ? " hidden" : "") + "\n";
    rows += "      button \"Ver\"\n";
  }
  EXPECT_EQ(printed, "tabs: [Activos (1)] Cerrados (12)\n"
                     "navigation: \"Paso 1\" back \"Check-in\" right \"Salir\"\n"
                     "screen: ItemsScreen \"Paso 1\"\n"
                     "  section 0: 20 rows, showing 0-3\n"
                     "    header \"Resultados\" \"\"\n" +
                         rows + "loading: no\n");
}

TEST_F(ScreenPrinterTest, PrintsFieldsMapsAlertsAndTheOverlay) {
  auto form = std::make_shared<FormScreen>();
  show(form);
  auto name = std::make_shared<ui::TextField>();
  name->setPlaceholder("Nombre");
  auto secret = std::make_shared<ui::TextField>();
  secret->setSecureTextEntry(true);
  secret->setText("clave");
  auto map = std::make_shared<ui::MapView>();
  auto pin = std::make_shared<ui::PointAnnotation>();
  pin->setTitle("T800");
  pin->setCoordinate({19.4326, -99.1332});
  map->addAnnotation(pin);
  map->setRegion(ui::CoordinateRegion::withDistance({19.4326, -99.1332}, 300, 300), false);
  for (auto& [outlet, view] : std::vector<std::pair<std::string, std::shared_ptr<ui::View>>>{
           {"nameField", name}, {"secretField", secret}, {"map", map}}) {
    form->view()->addSubview(view);
    ui::ClassRegistry::shared().connectOutlet(*form, outlet, view);
  }
  showAlert(*form, "Cerrar sesión", "Esta seguro de querer cerrar sesión?", std::nullopt, "Aceptar", nullptr,
            "Cancelar");
  LoadingActivity::start(LoadingActivity::indicatorStyle, LoadingActivity::overlayColor, LoadingActivity::indicatorColor);
  EXPECT_EQ(ScreenPrinter::print(*window), R"(screen: FormScreen
  nameField: field "" placeholder "Nombre"
  secretField: field "*****"
  map: map pin "T800" 19.43260,-99.13320 region 19.43260,-99.13320 span 0.00269x0.00286
alert: "Cerrar sesión" message "Esta seguro de querer cerrar sesión?" buttons [Cancelar (cancel)] [*Aceptar]
loading: shown
)");
}

TEST_F(ScreenPrinterTest, PrintsAnOpenCameraOrBrowserInsteadOfTheScreenBelow) {
  auto root = std::make_shared<ui::ViewController>();
  show(root);
  auto camera = std::make_shared<ui::ImagePickerController>();
  camera->setMediaTypes({ui::mediaTypeMovie});
  root->present(camera, true);
  EXPECT_EQ(ScreenPrinter::print(*window), "camera: video\nloading: no\n");
  camera->dismiss(true);
  root->present(std::make_shared<ui::SafariViewController>("https://docs.example.com/docs/tickets/42/manual.pdf"), true);
  EXPECT_EQ(ScreenPrinter::print(*window), "browser: https://docs.example.com/docs/tickets/42/manual.pdf\nloading: no\n");
}

TEST(ScreenPrinterQuotingTest, EscapesQuotesBackslashesAndLineBreaks) {
  EXPECT_EQ(ScreenPrinter::quoted("a \"b\"\\\nc"), R"("a \"b\"\\\nc")");
}

}  // namespace
}  // namespace instala::console
