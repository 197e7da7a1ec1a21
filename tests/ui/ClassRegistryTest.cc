#include "ui/ClassRegistry.h"

#include "ui/Button.h"
#include "ui/Label.h"
#include "ui/TableViewCell.h"

#include <gtest/gtest.h>

namespace instala::ui {
namespace {

class SampleCell : public TableViewCell {
 public:
  using Super = TableViewCell;
  std::weak_ptr<Label> titleLabel;
  std::shared_ptr<Button> strongButton;
  std::vector<Object*> senders;
  double scale = 1;
  std::optional<Color> tint;
  void buttonHandler(Object* sender) { senders.push_back(sender); }
  void setScale(double value) { scale = value; }
  void setTint(std::optional<Color> color) { tint = color; }
  static void describe(ClassDescription<SampleCell>& d) {
    d.outlet("titleLabel", &SampleCell::titleLabel)
        .outlet("strongButton", &SampleCell::strongButton)
        .action("buttonHandler:", &SampleCell::buttonHandler)
        .numberAttribute("scale", &SampleCell::setScale)
        .colorAttribute("tint", &SampleCell::setTint);
  }
};

class DerivedCell : public SampleCell {
 public:
  using Super = SampleCell;
};

class ClassRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry.add<SampleCell>();
    registry.add<DerivedCell>();
    registry.addPlaceholder<TableViewCell>("FutureCell");
  }
  ClassRegistry& registry = ClassRegistry::shared();
};

TEST_F(ClassRegistryTest, IdentifiersAreClassNamesWithoutNamespaces) {
  EXPECT_EQ(typeName<SampleCell>(), "SampleCell");
  EXPECT_EQ(typeName<TableViewCell>(), "TableViewCell");
  EXPECT_EQ(std::make_shared<DerivedCell>()->className(), "DerivedCell");
}

TEST_F(ClassRegistryTest, TheToolkitClassesAreKnownWithTheirSuperclasses) {
  for (const char* name : {"View", "Label", "Button", "Switch", "ImageView", "TextField", "ActivityIndicatorView",
                           "MapView", "TableView", "TableViewCell", "ViewController", "TableViewController",
                           "NavigationController", "TabBarController"}) {
    EXPECT_TRUE(registry.contains(name)) << name;
  }
  EXPECT_TRUE(registry.isKindOf("Button", "View"));
  EXPECT_TRUE(registry.isKindOf("TableViewController", "ViewController"));
  EXPECT_FALSE(registry.isKindOf("View", "Button"));
}

TEST_F(ClassRegistryTest, InstantiateMakesTheClassAndNamesTheObject) {
  auto object = registry.instantiate("DerivedCell");
  ASSERT_NE(std::dynamic_pointer_cast<DerivedCell>(object), nullptr);
  EXPECT_EQ(object->className(), "DerivedCell");
  EXPECT_EQ(registry.instantiate("NoSuchClass"), nullptr);
}

TEST_F(ClassRegistryTest, OutletsSetWeakAndStrongMembersAndAreRecordedByName) {
  auto cell = std::make_shared<SampleCell>();
  auto label = std::make_shared<Label>();
  auto button = std::make_shared<Button>();
  EXPECT_FALSE(registry.connectOutlet(*cell, "titleLabel", label));
  EXPECT_FALSE(registry.connectOutlet(*cell, "strongButton", button));
  EXPECT_EQ(cell->titleLabel.lock(), label);
  EXPECT_EQ(cell->strongButton, button);
  EXPECT_EQ(cell->outlet<Label>("titleLabel"), label);
  ASSERT_EQ(cell->outlets().size(), 2u);
  EXPECT_EQ(cell->outlets()[0].name, "titleLabel");
}

TEST_F(ClassRegistryTest, OutletErrorsNameTheProblem) {
  auto cell = std::make_shared<SampleCell>();
  auto error = registry.connectOutlet(*cell, "titleLabel", std::make_shared<Button>());
  ASSERT_TRUE(error);
  EXPECT_EQ(*error, "outlet titleLabel of SampleCell expects a Label, got a Button");
  EXPECT_EQ(registry.connectOutlet(*cell, "missing", std::make_shared<Label>()),
            std::optional<std::string>("SampleCell has no outlet missing"));
}

TEST_F(ClassRegistryTest, SubclassesInheritOutletsActionsAndAttributes) {
  auto cell = std::make_shared<DerivedCell>();
  EXPECT_TRUE(registry.hasOutlet("DerivedCell", "titleLabel"));
  EXPECT_TRUE(cell->respondsToSelector("buttonHandler:"));
  Label sender;
  EXPECT_TRUE(cell->performSelector("buttonHandler:", &sender));
  EXPECT_EQ(cell->senders, std::vector<Object*>{&sender});
  EXPECT_FALSE(registry.setAttribute(*cell, "scale", 0.5));
  EXPECT_EQ(cell->scale, 0.5);
}

TEST_F(ClassRegistryTest, AttributesCheckTheirValueKind) {
  auto cell = std::make_shared<SampleCell>();
  EXPECT_TRUE(registry.setAttribute(*cell, "scale", std::string("big")));
  EXPECT_TRUE(registry.setAttribute(*cell, "tint", 3.0));
  EXPECT_FALSE(registry.setAttribute(*cell, "tint", std::string("#FF0000")));
  EXPECT_EQ(cell->tint, Color(1, 0, 0));
  EXPECT_EQ(registry.setAttribute(*cell, "nope", true), std::optional<std::string>("SampleCell has no attribute nope"));
}

TEST_F(ClassRegistryTest, PlaceholdersAcceptAnyOutletAndKnowNoActions) {
  auto placeholder = registry.instantiate("FutureCell");
  ASSERT_NE(std::dynamic_pointer_cast<TableViewCell>(placeholder), nullptr);
  EXPECT_TRUE(registry.isPlaceholder("FutureCell"));
  auto label = std::make_shared<Label>();
  EXPECT_FALSE(registry.connectOutlet(*placeholder, "anything", label));
  EXPECT_EQ(placeholder->outlet("anything"), label);
  EXPECT_FALSE(placeholder->performSelector("buttonHandler:", nullptr));
}

TEST_F(ClassRegistryTest, ActionsAddedToABaseClassReachEverySubclassAndSurviveReRegistration) {
  int calls = 0;
  registry.addAction<SampleCell>("extra:", [&calls](SampleCell&, Object*) { ++calls; });
  registry.add<SampleCell>();
  auto cell = std::make_shared<DerivedCell>();
  EXPECT_TRUE(cell->performSelector("extra:", nullptr));
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace instala::ui
