#include "ui/Storyboard.h"

#include "ui/ClassRegistry.h"
#include "ui/NavigationController.h"
#include "ui/TabBarController.h"
#include "ui/TextField.h"

#include "support/UiTest.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace instala::ui {
namespace {

class ListScreen : public ViewController {
 public:
  using Super = ViewController;
  int signOuts = 0;
  std::vector<std::string> prepared;
  void signOut(Object*) { ++signOuts; }
  void prepareForSegue(StoryboardSegue& segue, Object* sender) override {
    prepared.push_back(segue.identifier() + (sender == this ? " from self" : " from other") + " to " +
                       segue.destinationViewController()->className());
  }
  static void describe(ClassDescription<ListScreen>& d) { d.action("signOut:", &ListScreen::signOut); }
};

class FormScreen : public ViewController {
 public:
  using Super = ViewController;
  std::weak_ptr<TextField> nameField;
  std::weak_ptr<BarButtonItem> nextItem;
  std::vector<std::string> prepared;
  void prepareForSegue(StoryboardSegue& segue, Object* sender) override {
    prepared.push_back("'" + segue.identifier() + "' sender " + (sender ? sender->className() : "none"));
  }
  static void describe(ClassDescription<FormScreen>& d) {
    d.outlet("nameField", &FormScreen::nameField).outlet("nextItem", &FormScreen::nextItem);
  }
};

const char* storyboardJSON = R"({ "initialScene": "Tabs", "scenes": [
  { "id": "Tabs", "class": "TabBarController", "tabs": ["ListNav", "Other"] },
  { "id": "ListNav", "class": "NavigationController", "root": "List", "tabBarItem": { "title": "Lista" } },
  { "id": "Other", "class": "ViewController", "title": "Otra", "tabBarItem": { "title": "Otra" } },
  { "id": "List", "class": "ListScreen", "title": "Lista",
    "rightBarButton": { "title": "Salir", "action": "signOut:" },
    "segues": [ { "id": "toForm", "to": "Form", "kind": "push" },
                { "id": "toModal", "to": "Other", "kind": "modal" },
                { "id": "toFresh", "to": "Tabs", "kind": "replaceRoot" } ] },
  { "id": "Form", "class": "FormScreen", "title": "Formulario",
    "rightBarButton": { "outlet": "nextItem", "title": "Siguiente", "segue": { "to": "Other", "kind": "push" } },
    "view": { "layout": "vstack", "children": [ { "type": "TextField", "outlet": "nameField" } ] } } ] })";

class StoryboardTest : public testing::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ClassRegistry::shared().add<ListScreen>();
    ClassRegistry::shared().add<FormScreen>();
    auto loaded = Storyboard::fromJSON("Test", nlohmann::json::parse(storyboardJSON));
    ASSERT_TRUE(loaded) << loaded.error().message;
    storyboard = loaded.value();
    tabs = std::dynamic_pointer_cast<TabBarController>(storyboard->instantiateInitialViewController());
    ASSERT_NE(tabs, nullptr);
    show(tabs);
    navigation = std::dynamic_pointer_cast<NavigationController>(tabs->viewControllers()[0]);
    list = std::dynamic_pointer_cast<ListScreen>(navigation->topViewController());
    ASSERT_NE(list, nullptr);
  }
  std::shared_ptr<Storyboard> storyboard;
  std::shared_ptr<TabBarController> tabs;
  std::shared_ptr<NavigationController> navigation;
  std::shared_ptr<ListScreen> list;
};

TEST_F(StoryboardTest, ContainersAreBuiltWithTheirScenesTitlesAndTabItems) {
  ASSERT_EQ(tabs->viewControllers().size(), 2u);
  EXPECT_EQ(navigation->tabBarItem().title, "Lista");
  EXPECT_EQ(list->title(), "Lista");
  EXPECT_EQ(list->storyboardIdentifier(), "List");
  EXPECT_EQ(list->navigationItem().rightBarButtonItem->title(), "Salir");
  EXPECT_EQ(tabs->viewControllers()[1]->className(), "ViewController");
}

TEST_F(StoryboardTest, EachInstantiationMakesNewScreens) {
  auto again = storyboard->instantiateViewController("Tabs");
  EXPECT_NE(again, tabs);
  EXPECT_EQ(storyboard->instantiateViewController("Missing"), nullptr);
}

TEST_F(StoryboardTest, BarButtonActionsGoToTheScreen) {
  list->navigationItem().rightBarButtonItem->tap();
  EXPECT_EQ(list->signOuts, 1);
}

TEST_F(StoryboardTest, APushSeguePreparesThenPushesANewDestination) {
  list->performSegue("toForm", list.get());
  EXPECT_EQ(list->prepared, std::vector<std::string>{"toForm from self to FormScreen"});
  auto form = std::dynamic_pointer_cast<FormScreen>(navigation->topViewController());
  ASSERT_NE(form, nullptr);
  EXPECT_NE(form->nameField.lock(), nullptr);  // the scene's view loaded with its outlets
  EXPECT_EQ(form->nextItem.lock(), form->navigationItem().rightBarButtonItem);
}

TEST_F(StoryboardTest, ABarButtonTriggersItsUnnamedSegueWithTheItemAsSender) {
  list->performSegue("toForm", nullptr);
  auto form = std::dynamic_pointer_cast<FormScreen>(navigation->topViewController());
  form->navigationItem().rightBarButtonItem->tap();
  EXPECT_EQ(form->prepared, std::vector<std::string>{"'' sender BarButtonItem"});
  EXPECT_EQ(navigation->viewControllers().size(), 3u);
}

TEST_F(StoryboardTest, AModalSeguePresentsFullScreen) {
  list->performSegue("toModal", nullptr);
  auto presented = tabs->presentedViewController();
  ASSERT_NE(presented, nullptr);
  EXPECT_EQ(presented->storyboardIdentifier(), "Other");
  EXPECT_EQ(window->visibleViewControllers(), std::vector<std::shared_ptr<ViewController>>{presented});
}

TEST_F(StoryboardTest, AReplaceRootSegueMakesANewRootWithACrossDissolve) {
  list->performSegue("toFresh", nullptr);
  EXPECT_NE(window->rootViewController(), tabs);
  EXPECT_EQ(window->rootViewController()->storyboardIdentifier(), "Tabs");
  const auto& request = Application::shared().animationRequests().back();
  EXPECT_EQ(request.kind, AnimationRequest::Kind::transition);
  EXPECT_EQ(request.duration, 0.3);
  EXPECT_TRUE(contains(request.options, AnimationOptions::transitionCrossDissolve));
}

TEST(StoryboardDeathTest, AMissingSegueIdentifierStopsWithAMessage) {
  ClassRegistry::shared().add<ListScreen>();
  ClassRegistry::shared().add<FormScreen>();
  auto storyboard = Storyboard::fromJSON("Test", nlohmann::json::parse(storyboardJSON)).value();
  auto list = storyboard->instantiateViewController("List");
  EXPECT_DEATH(list->performSegue("toNowhere", nullptr),
               "Receiver \\(ListScreen\\) has no segue with identifier 'toNowhere'");
}

struct BrokenStoryboard {
  const char* name;
  const char* json;
  const char* message;
};
void PrintTo(const BrokenStoryboard& storyboard, std::ostream* out) { *out << storyboard.name; }

class BrokenStoryboardTest : public ::testing::TestWithParam<BrokenStoryboard> {};

TEST_P(BrokenStoryboardTest, ReportsTheProblem) {
  ClassRegistry::shared().add<ListScreen>();
  ClassRegistry::shared().add<FormScreen>();
  auto storyboard = Storyboard::fromJSON("Broken", nlohmann::json::parse(GetParam().json));
  ASSERT_FALSE(storyboard);
  EXPECT_NE(storyboard.error().message.find(GetParam().message), std::string::npos) << storyboard.error().message;
}

INSTANTIATE_TEST_SUITE_P(
    Storyboards, BrokenStoryboardTest,
    ::testing::Values(
        BrokenStoryboard{"NoScenes", R"({})", "\"scenes\" must be an array"},
        BrokenStoryboard{"UnknownClass", R"({ "scenes": [ { "id": "A", "class": "Nope" } ] })",
                         "scene A: \"Nope\" is not a registered screen class"},
        BrokenStoryboard{"NotAScreen", R"({ "scenes": [ { "id": "A", "class": "Label" } ] })",
                         "\"Label\" is not a registered screen class"},
        BrokenStoryboard{"DuplicateId",
                         R"({ "scenes": [ { "id": "A", "class": "ViewController" },
                                          { "id": "A", "class": "ViewController" } ] })",
                         "the identifier is used twice"},
        BrokenStoryboard{"MissingDestination",
                         R"({ "scenes": [ { "id": "A", "class": "ViewController",
                                            "segues": [ { "id": "go", "to": "B", "kind": "push" } ] } ] })",
                         "segue destination \"B\" is no scene"},
        BrokenStoryboard{"BadKind",
                         R"({ "scenes": [ { "id": "A", "class": "ViewController",
                                            "segues": [ { "id": "go", "to": "A", "kind": "fly" } ] } ] })",
                         "\"kind\" must be push, modal or replaceRoot"},
        BrokenStoryboard{"NavigationWithoutRoot", R"({ "scenes": [ { "id": "N", "class": "NavigationController" } ] })",
                         "a navigation controller needs a \"root\""},
        BrokenStoryboard{"NestingLoop",
                         R"({ "scenes": [ { "id": "N", "class": "NavigationController", "root": "N" } ] })",
                         "containers nest too deep"},
        BrokenStoryboard{"UnknownBarButtonAction",
                         R"({ "scenes": [ { "id": "L", "class": "ListScreen",
                                            "rightBarButton": { "title": "x", "action": "gone:" } } ] })",
                         "ListScreen has no action method gone:"},
        BrokenStoryboard{"UnknownSceneKey", R"({ "scenes": [ { "id": "A", "class": "ViewController", "titel": "x" } ] })",
                         "unknown key \"titel\""},
        BrokenStoryboard{"BadViewOutlet",
                         R"({ "scenes": [ { "id": "F", "class": "FormScreen",
                                            "view": { "type": "Label", "outlet": "nameField" } } ] })",
                         "outlet nameField of FormScreen expects a TextField, got a Label"},
        BrokenStoryboard{"MissingInitial", R"({ "initialScene": "Z", "scenes": [] })",
                         "the initial scene \"Z\" is no scene"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace instala::ui
