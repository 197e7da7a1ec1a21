#include "ui/Button.h"
#include "ui/ClassRegistry.h"
#include "ui/Label.h"
#include "ui/Nib.h"
#include "ui/Storyboard.h"
#include "ui/Switch.h"
#include "ui/TableViewCell.h"
#include "ui/TextField.h"

#include "support/Corpus.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
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
        // Numbers that do not fit the whole-number property are refused, never converted.
        BrokenNib{"TagTooLarge", R"({ "class": "FormCell", "view": { "tag": 1e20 } })",
                  "view: \"tag\" must be a whole number from -2147483648 to 2147483647"},
        BrokenNib{"TagJustTooLarge", R"({ "class": "FormCell", "view": { "tag": 2147483648 } })", "\"tag\" must be"},
        BrokenNib{"TagJustTooSmall", R"({ "class": "FormCell", "view": { "tag": -2147483649 } })", "\"tag\" must be"},
        BrokenNib{"TagFraction", R"({ "class": "FormCell", "view": { "tag": 1.5 } })", "\"tag\" must be"},
        BrokenNib{"LinesHugeNegative", R"({ "class": "FormCell", "view": { "type": "Label", "lines": -1e300 } })",
                  "view: \"lines\" must be a whole number from 0 to 2147483647"},
        BrokenNib{"LinesNegative", R"({ "class": "FormCell", "view": { "type": "Label", "lines": -1 } })",
                  "\"lines\" must be"},
        BrokenNib{"LinesTooLarge", R"({ "class": "FormCell", "view": { "type": "Label", "lines": 4294967296 } })",
                  "\"lines\" must be"},
        BrokenNib{"BadAlign", R"({ "class": "FormCell", "view": { "layout": "hstack", "align": "middle" } })",
                  "\"align\" must be \"fill\" or \"top\""},
        BrokenNib{"AlignWithoutLayout", R"({ "class": "FormCell", "view": { "align": "top" } })",
                  "need a \"layout\""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(InterfaceLoaderTest, WholeNumbersAtTheirLimitsAreTaken) {
  auto nib = Nib::fromJSON("FormCell", parse(R"({ "class": "FormCell", "view": { "tag": -2147483648, "children": [
    { "type": "Label", "outlet": "titleLabel", "tag": 2147483647, "lines": 2147483647 } ] } })"));
  ASSERT_TRUE(nib) << nib.error().message;
  auto cell = std::dynamic_pointer_cast<FormCell>(nib.value()->instantiate());
  EXPECT_EQ(cell->contentView()->subviews().front()->tag(), std::numeric_limits<int>::min());
  EXPECT_EQ(cell->titleLabel.lock()->tag(), std::numeric_limits<int>::max());
  EXPECT_EQ(cell->titleLabel.lock()->numberOfLines(), std::numeric_limits<int>::max());
}

// The files that once loaded with an undefined conversion: the first byte is the fuzz target's choice of kind.
TEST_F(InterfaceLoaderTest, TheOutOfRangeNumbersOfTheFaultsAreErrors) {
  for (const char* file : {"nib-tag-huge.json", "nib-lines-huge.json"}) {
    const std::string text = instala::testing::corpusText("interface-file", file);
    ASSERT_EQ(text.front(), '\x01') << file;
    auto nib = Nib::fromJSON("TableViewCell", nlohmann::json::parse(text.substr(1)));
    ASSERT_FALSE(nib) << file;
    EXPECT_NE(nib.error().message.find("must be a whole number"), std::string::npos) << nib.error().message;
  }
}

// `views` views each inside the one before, in a nib of a plain row view.
std::string nestedNib(std::size_t views) {
  std::string text = R"({"class":"TableViewCell","view":)";
  for (std::size_t i = 1; i < views; ++i) text += R"({"children":[)";
  text += "{}";
  for (std::size_t i = 1; i < views; ++i) text += "]}";
  return text + "}";
}

TEST_F(InterfaceLoaderTest, NestingIsLimitedAndADeeperFileIsAnError) {
  // The nib's object, then an object and an array per view: 256 views reach the limit of 512 levels.
  auto deepest = Nib::fromJSON("Deep", parse(nestedNib(256).c_str()));
  ASSERT_TRUE(deepest) << deepest.error().message;
  auto cell = std::dynamic_pointer_cast<TableViewCell>(deepest.value()->instantiate());
  ASSERT_NE(cell, nullptr);
  std::size_t depth = 0;
  for (std::shared_ptr<View> view = cell->contentView(); !view->subviews().empty(); view = view->subviews().front()) {
    ++depth;
  }
  EXPECT_EQ(depth, 256u);
  std::string tooDeep = nestedNib(256);
  tooDeep.replace(tooDeep.find("{}"), 2, R"({"children":[]})");
  auto refused = Nib::fromJSON("Deep", parse(tooDeep.c_str()));
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().message, "nib Deep: nested deeper than 512 levels");
}

// 50,000 views deep (deep-nib.json of the faults) and deeper: refused in a
// child process, so a stack overflow fails the case, not the test program.
TEST_F(InterfaceLoaderTest, AFileNestedFarTooDeepIsRefusedWithoutStoppingTheProgram) {
  for (const std::size_t views : {std::size_t{50'000}, std::size_t{500'000}}) {
    const std::string text = nestedNib(views);
    EXPECT_EXIT(
        {
          auto nib = Nib::fromJSON("Deep", nlohmann::json::parse(text));
          auto storyboard =
              Storyboard::fromJSON("Deep", nlohmann::json::parse(R"({"scenes":[{"id":"S","class":"ViewController","view":)" +
                                                                 text.substr(text.find(R"("view":)") + 7) + "]}"));
          std::exit(!nib && !storyboard ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "")
        << views;
  }
}

}  // namespace
}  // namespace instala::ui
