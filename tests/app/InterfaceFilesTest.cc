// The bundle's storyboard, nibs and assets hold every name the code relies on.

#include "app/ClassRegistrations.h"
#include "platform/Bundle.h"
#include "ui/Assets.h"
#include "ui/ClassRegistry.h"
#include "ui/Control.h"
#include "ui/Image.h"
#include "ui/Label.h"
#include "ui/NavigationController.h"
#include "ui/Nib.h"
#include "ui/Storyboard.h"
#include "ui/TabBarController.h"
#include "ui/TableViewCell.h"
#include "ui/TextField.h"

#include "support/UiTest.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <fstream>
#include <functional>
#include <map>

namespace instala {
namespace {

class InterfaceFilesTest : public testing::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    platform::Bundle::setMain(platform::Bundle::locate(std::nullopt));
    registerApplicationClasses();
    auto loaded = ui::Storyboard::load(platform::Bundle::main().root() / "Main.storyboard.json");
    ASSERT_TRUE(loaded) << loaded.error().message;
    storyboard = loaded.value();
  }
  std::shared_ptr<ui::Storyboard> storyboard;
};

TEST_F(InterfaceFilesTest, EveryScreenHasItsIdentifierAndClass) {
  const std::map<std::string, std::string> screens = {
      {"UITabBarController", "TabBarController"},
      {"LoginViewController", "LoginViewController"},
      {"AuthenticationViewController", "AuthenticationViewController"},
      {"ActivesTableViewController", "ActivesTableViewController"},
      {"ClosedTableViewController", "ClosedTableViewController"},
      {"SearchTableViewController", "SearchTableViewController"},
      {"DetailsTableViewController", "DetailsTableViewController"},
      {"CheckInTableViewController", "CheckInTableViewController"},
      {"StepOneTableViewController", "StepOneTableViewController"},
      {"StepTwoTableViewController", "StepTwoTableViewController"},
      {"StepThreeTableViewController", "StepThreeTableViewController"}};
  for (const auto& [id, className] : screens) {
    const auto* scene = storyboard->scene(id);
    ASSERT_NE(scene, nullptr) << id;
    EXPECT_EQ(scene->className, className) << id;
    auto screen = storyboard->instantiateViewController(id);
    ASSERT_NE(screen, nullptr) << id;
    EXPECT_EQ(screen->className(), className);
  }
}

TEST_F(InterfaceFilesTest, TheTabbedScreenHoldsTheThreeListsInNavigationControllers) {
  auto tabs = std::dynamic_pointer_cast<ui::TabBarController>(storyboard->instantiateViewController("UITabBarController"));
  ASSERT_NE(tabs, nullptr);
  std::vector<std::string> roots;
  for (const auto& tab : tabs->viewControllers()) {
    auto navigation = std::dynamic_pointer_cast<ui::NavigationController>(tab);
    ASSERT_NE(navigation, nullptr);
    EXPECT_FALSE(navigation->tabBarItem().title.empty());
    roots.push_back(navigation->topViewController()->className());
  }
  EXPECT_EQ(roots, (std::vector<std::string>{"ActivesTableViewController", "ClosedTableViewController",
                                             "SearchTableViewController"}));
}

TEST_F(InterfaceFilesTest, EverySegueLeadsWhereTheScreensExpect) {
  struct Expected {
    const char* source;
    const char* identifier;
    const char* destination;
    ui::SegueKind kind;
  };
  for (const auto& expected : std::vector<Expected>{
           {"LoginViewController", "toHome", "UITabBarController", ui::SegueKind::modal},
           {"ActivesTableViewController", "toDetails", "DetailsTableViewController", ui::SegueKind::push},
           {"ClosedTableViewController", "toDetails2", "DetailsTableViewController", ui::SegueKind::push},
           {"CheckInTableViewController", "toStep1", "StepOneTableViewController", ui::SegueKind::push},
           {"StepOneTableViewController", "toStep2", "StepTwoTableViewController", ui::SegueKind::push},
           {"StepTwoTableViewController", "toStep3", "StepThreeTableViewController", ui::SegueKind::push},
           {"StepThreeTableViewController", "toHomeFromFinish", "UITabBarController", ui::SegueKind::replaceRoot}}) {
    const auto* segue = storyboard->segue(expected.source, expected.identifier);
    ASSERT_NE(segue, nullptr) << expected.identifier;
    EXPECT_EQ(segue->destination, expected.destination) << expected.identifier;
    EXPECT_EQ(segue->kind, expected.kind) << expected.identifier;
  }
}

TEST_F(InterfaceFilesTest, TheBarButtonsCarryTheSignOutActionAndTheCheckInSegue) {
  auto actives = storyboard->instantiateViewController("ActivesTableViewController");
  auto signOut = actives->navigationItem().rightBarButtonItem;
  ASSERT_NE(signOut, nullptr);
  EXPECT_EQ(signOut->title(), "Cerrar sesión");
  EXPECT_EQ(signOut->action(), "singOutButtonHandler:");
  EXPECT_EQ(signOut->target(), actives);

  auto details = storyboard->instantiateViewController("DetailsTableViewController");
  auto checkIn = details->navigationItem().rightBarButtonItem;
  ASSERT_NE(checkIn, nullptr);
  EXPECT_EQ(details->outlet("checkInItemButton"), checkIn);
  ASSERT_TRUE(checkIn->triggeredSegue());
  EXPECT_EQ(checkIn->triggeredSegue()->identifier, "");
  EXPECT_EQ(checkIn->triggeredSegue()->destination, "CheckInTableViewController");
  EXPECT_EQ(checkIn->triggeredSegue()->kind, ui::SegueKind::push);
}

// outlet → class it must be (or derive from); control outlet → action selector
struct InterfaceCase {
  std::string name;
  std::vector<std::pair<std::string, std::string>> outlets;
  std::map<std::string, std::string> actions;
};
void PrintTo(const InterfaceCase& c, std::ostream* out) { *out << c.name; }

void expectOutletsAndActions(const ui::Object& owner, const InterfaceCase& expected) {
  auto& registry = ui::ClassRegistry::shared();
  for (const auto& [outlet, type] : expected.outlets) {
    auto object = owner.outlet(outlet);
    ASSERT_NE(object, nullptr) << expected.name << " lacks the outlet " << outlet;
    EXPECT_TRUE(registry.isKindOf(object->className(), type))
        << expected.name << "." << outlet << " is a " << object->className() << ", not a " << type;
  }
  for (const auto& [outlet, selector] : expected.actions) {
    auto control = owner.outlet<ui::Control>(outlet);
    ASSERT_NE(control, nullptr) << outlet;
    bool bound = false;
    for (const auto& binding : control->targetActions()) {
      bound = bound || (binding.action == selector && binding.target.lock().get() == &owner);
    }
    EXPECT_TRUE(bound) << expected.name << "." << outlet << " does not send " << selector;
  }
}

class NibContentsTest : public InterfaceFilesTest, public ::testing::WithParamInterface<InterfaceCase> {};

TEST_P(NibContentsTest, HasItsOutletsAndActions) {
  auto nib = ui::Nib::named(GetParam().name);
  ASSERT_NE(nib, nullptr);
  auto cell = nib->instantiate();
  ASSERT_NE(std::dynamic_pointer_cast<ui::TableViewCell>(cell), nullptr);
  EXPECT_EQ(cell->className(), GetParam().name);
  expectOutletsAndActions(*cell, GetParam());
}

const std::vector<std::pair<std::string, std::string>> labels(std::initializer_list<const char*> names) {
  std::vector<std::pair<std::string, std::string>> outlets;
  for (const char* name : names) outlets.emplace_back(name, "Label");
  return outlets;
}

INSTANTIATE_TEST_SUITE_P(
    Nibs, NibContentsTest,
    ::testing::Values(
        InterfaceCase{"TicketCell",
                      {{"viewCard", "View"},
                       {"idLabel", "Label"},
                       {"dateLabel", "Label"},
                       {"carLabel", "Label"},
                       {"locationLabel", "Label"},
                       {"timeLabel", "Label"}},
                      {}},
        InterfaceCase{"TicketDetailCell",
                      labels({"idLabel", "categoryLabel", "locationLabel", "dateLabel", "clientLabel", "unitLabel",
                              "economicNumberLabel", "brandLabel", "modelLabel", "unitTypeLabel", "plateLabel",
                              "colorLabel", "deviceLabel", "imeiLabel", "iccidLabel"}),
                      {}},
        InterfaceCase{"SearchTextFieldCell", {{"cardView", "View"}, {"searchTextField", "UnderlineTextField"}}, {}},
        InterfaceCase{"DocumentCell",
                      {{"cardView", "View"}, {"documentView", "View"}, {"documentNameLabel", "Label"},
                       {"downloadButton", "Button"}},
                      {{"downloadButton", "downloadButtonHandler:"}}},
        InterfaceCase{"EvidenceCell",
                      {{"cardView", "View"}, {"fileView", "View"}, {"fileIcon", "ImageView"}, {"fileButton", "Button"}},
                      {{"fileButton", "fileButtonHandler:"}}},
        InterfaceCase{"CustomButtonCell", {{"customButton", "Button"}}, {{"customButton", "customButtonHandler:"}}},
        InterfaceCase{"CheckInCell",
                      {{"circleView", "View"}, {"cardView", "View"}, {"locationLabel", "Label"},
                       {"scheduleLabel", "Label"}, {"timeLabel", "Label"}, {"mapView", "MapView"}},
                      {}},
        InterfaceCase{"ProcessStepsCell",
                      {{"stepOneView", "View"}, {"stepTwoView", "View"}, {"stepThreeView", "View"},
                       {"leftLineView", "View"}, {"rightLineView", "View"}},
                      {}},
        InterfaceCase{"ProcessElementCell", {{"cardView", "View"}, {"titleLabel", "Label"}, {"elementSwitch", "Switch"}},
                      {{"elementSwitch", "elementSwitchHandler:"}}},
        InterfaceCase{"ProcessKilometersCell",
                      {{"cardView", "View"}, {"titleLabel", "Label"}, {"customTF", "UnderlineTextField"}},
                      {}}),
    [](const auto& info) { return info.param.name; });

TEST_F(InterfaceFilesTest, TheLoginScreenHasItsFieldsButtonsAndActions) {
  auto login = storyboard->instantiateViewController("LoginViewController");
  login->view();
  expectOutletsAndActions(*login, {"LoginViewController",
                                   {{"emailTF", "UnderlineTextField"},
                                    {"passwordTF", "UnderlineTextField"},
                                    {"loginButton", "Button"},
                                    {"forgotPasswordButton", "Button"}},
                                   {{"loginButton", "loginButtonHandler:"},
                                    {"forgotPasswordButton", "forgotPasswordButtonHandler:"}}});
  EXPECT_TRUE(login->outlet<ui::TextField>("passwordTF")->isSecureTextEntry());
  EXPECT_FALSE(login->outlet<ui::TextField>("emailTF")->isSecureTextEntry());
}

TEST_F(InterfaceFilesTest, TheDetailsRowHasSpanishCaptionsBesideItsValues) {
  auto cell = ui::Nib::named("TicketDetailCell")->instantiate();
  std::vector<std::string> captions;
  std::function<void(const ui::View&)> collect = [&](const ui::View& view) {
    if (auto* label = dynamic_cast<const ui::Label*>(&view); label && !label->text().empty()) {
      captions.push_back(label->text());
    }
    for (const auto& subview : view.subviews()) collect(*subview);
  };
  collect(*cell);
  for (const char* caption : {"Categoría", "Ubicación", "Fecha", "Cliente", "Número económico", "Marca", "Modelo",
                              "Tipo de unidad", "Placas", "Color", "IMEI", "ICCID"}) {
    EXPECT_NE(std::find(captions.begin(), captions.end(), caption), captions.end()) << caption;
  }
}

TEST_F(InterfaceFilesTest, TheNamedColoursAndImagesExist) {
  const auto& assets = ui::Assets::main();
  EXPECT_TRUE(assets.problems().empty());
  for (const char* name : {"DarkPurple", "DarkBlue", "LightBlue", "CircleColor"}) {
    EXPECT_TRUE(ui::Color::named(name)) << name;
  }
  for (const char* name : {"check_icon", "icon camera", "Video icon"}) EXPECT_TRUE(ui::Image::named(name)) << name;
}

TEST_F(InterfaceFilesTest, EveryColourNameTheFilesUseIsInTheCatalogue) {
  std::vector<std::filesystem::path> files = {platform::Bundle::main().root() / "Main.storyboard.json"};
  for (const auto& entry : std::filesystem::directory_iterator(platform::Bundle::main().root() / "nibs")) {
    files.push_back(entry.path());
  }
  const std::set<std::string> colourKeys = {"backgroundColor", "tintColor",          "borderColor",
                                            "textColor",       "titleColor",         "onTintColor",
                                            "color",           "borderInactiveColor", "borderActiveColor",
                                            "placeholderColor"};
  std::function<void(const nlohmann::json&, const std::string&)> check = [&](const nlohmann::json& node,
                                                                            const std::string& file) {
    if (node.is_object()) {
      for (const auto& [key, value] : node.items()) {
        if (colourKeys.count(key) && value.is_string() && !value.get<std::string>().starts_with("#")) {
          EXPECT_TRUE(ui::Color::named(value.get<std::string>())) << file << ": " << value;
        }
        check(value, file);
      }
    } else if (node.is_array()) {
      for (const auto& element : node) check(element, file);
    }
  };
  EXPECT_EQ(files.size(), 11u);
  for (const auto& file : files) {
    std::ifstream in(file);
    check(nlohmann::json::parse(in), file.filename().string());
  }
}

}  // namespace
}  // namespace instala
