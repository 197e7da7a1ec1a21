#include "ui/Button.h"
#include "ui/ClassRegistry.h"
#include "ui/Label.h"
#include "ui/Nib.h"
#include "ui/Switch.h"
#include "ui/TableViewCell.h"
#include "ui/TextField.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace instala::ui {
namespace {

class FormCell : public TableViewCell {
 public:
  using Super = TableViewCell;
  std::weak_ptr<Label> titleLabel;
  std::weak_ptr<Switch> toggle;
  std::weak_ptr<TextField> field;
  std::vector<std::string> events;
  void awakeFromNib() override { events.push_back(titleLabel.lock() ? "awake with outlets" : "awake without"); }
  void toggled(Object*) { events.push_back("toggled"); }
  static void describe(ClassDescription<FormCell>& d) {
    d.outlet("titleLabel", &FormCell::titleLabel)
        .outlet("toggle", &FormCell::toggle)
        .outlet("field", &FormCell::field)
        .action("toggled:", &FormCell::toggled);
  }
};

nlohmann::json parse(const char* text) { return nlohmann::json::parse(text); }

class InterfaceLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override { ClassRegistry::shared().add<FormCell>(); }
};

TEST_F(InterfaceLoaderTest, ANibBuildsItsTreeConnectsOutletsAndActionsThenWakesTheRowView) {
  auto nib = Nib::fromJSON("FormCell", parse(R"({ "class": "FormCell", "height": 80, "contentPadding": 4,
    "view": { "layout": "hstack", "spacing": 8, "align": "top", "backgroundColor": "#FF000080",
      "children": [
        { "type": "Label", "outlet": "titleLabel", "text": "Claxón", "lines": 0, "alignment": "center" },
        { "type": "Switch", "outlet": "toggle", "on": true, "action": "toggled:" },
        { "type": "TextField", "outlet": "field", "placeholder": "Km", "secure": true, "width": 60 } ] } })"));
  ASSERT_TRUE(nib) << nib.error().message;
  auto cell = std::dynamic_pointer_cast<FormCell>(nib.value()->instantiate());
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->events, std::vector<std::string>{"awake with outlets"});
  EXPECT_EQ(cell->frame().height(), 80);
  EXPECT_EQ(cell->titleLabel.lock()->text(), "Claxón");
  EXPECT_EQ(cell->titleLabel.lock()->numberOfLines(), 0);
  EXPECT_EQ(cell->titleLabel.lock()->textAlignment(), TextAlignment::center);
  EXPECT_TRUE(cell->toggle.lock()->isOn());
  EXPECT_TRUE(cell->field.lock()->isSecureTextEntry());
  EXPECT_EQ(cell->field.lock()->placeholder(), "Km");
  EXPECT_EQ(cell->contentView()->subviews().front()->backgroundColor(), Color(1, 0, 0, 128 / 255.0));
  EXPECT_EQ(cell->contentView()->subviews().front()->stackLayout()->alignment, StackLayout::Alignment::top);
  cell->toggle.lock()->handleTap();
  EXPECT_FALSE(cell->toggle.lock()->isOn());
  EXPECT_EQ(cell->events.back(), "toggled");
  // Each instantiation is a new row view.
  EXPECT_NE(nib.value()->instantiate(), nib.value()->instantiate());
}

struct BrokenNib {
  const char* name;
  const char* json;
  const char* message;
};
void PrintTo(const BrokenNib& nib, std::ostream* out) { *out << nib.name; }

class BrokenNibTest : public InterfaceLoaderTest, public ::testing::WithParamInterface<BrokenNib> {};

TEST_P(BrokenNibTest, ReportsWhereAndWhat) {
  auto nib = Nib::fromJSON("FormCell", parse(GetParam().json));
  ASSERT_FALSE(nib);
  EXPECT_NE(nib.error().message.find(GetParam().message), std::string::npos) << nib.error().message;
}

INSTANTIATE_TEST_SUITE_P(
    Nibs, BrokenNibTest,
    ::testing::Values(
        BrokenNib{"NoClass", R"({ "view": {} })", "\"class\" must name the row view's class"},
        BrokenNib{"UnknownClass", R"({ "class": "Nope" })", "\"Nope\" is not a registered view class"},
        BrokenNib{"UnknownKey", R"({ "class": "FormCell", "view": { "txt": "x" } })",
                  "nib FormCell: view: unknown key \"txt\" for View"},
        BrokenNib{"LabelKeyOnView", R"({ "class": "FormCell", "view": { "text": "x" } })", "unknown key \"text\""},
        BrokenNib{"UnknownOutlet", R"({ "class": "FormCell", "view": { "outlet": "nope" } })",
                  "FormCell has no outlet nope"},
        BrokenNib{"WrongOutletType", R"({ "class": "FormCell", "view": { "type": "Button", "outlet": "titleLabel" } })",
                  "outlet titleLabel of FormCell expects a Label, got a Button"},
        BrokenNib{"UnknownAction", R"({ "class": "FormCell", "view": { "type": "Button", "action": "gone:" } })",
                  "FormCell has no action method gone:"},
        BrokenNib{"WrongValueType", R"({ "class": "FormCell", "view": { "type": "Label", "lines": "two" } })",
                  "view: \"lines\" must be a number"},
        BrokenNib{"BadChild", R"({ "class": "FormCell", "view": { "children": [ { "type": "Nope" } ] } })",
                  "view.children[0]: \"Nope\" is not a registered view class"},
        BrokenNib{"BadColour", R"({ "class": "FormCell", "view": { "backgroundColor": "#12" } })",
                  "\"backgroundColor\" is not \"#RRGGBB\" or \"#RRGGBBAA\""},
        BrokenNib{"BadLayout", R"({ "class": "FormCell", "view": { "layout": "grid" } })",
                  "\"layout\" must be \"vstack\" or \"hstack\""},
        BrokenNib{"BadAlign", R"({ "class": "FormCell", "view": { "layout": "hstack", "align": "middle" } })",
                  "\"align\" must be \"fill\" or \"top\""},
        BrokenNib{"AlignWithoutLayout", R"({ "class": "FormCell", "view": { "align": "top" } })",
                  "need a \"layout\""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace instala::ui
