#include "ui/Application.h"
#include "ui/Button.h"
#include "ui/ClassRegistry.h"
#include "ui/GestureRecognizer.h"
#include "ui/Label.h"
#include "ui/TextField.h"
#include "ui/Window.h"

#include <gtest/gtest.h>

namespace instala::ui {
namespace {

TEST(ViewTest, AddSubviewMovesAViewBetweenSuperviewsAndKeepsOrder) {
  auto a = std::make_shared<View>();
  auto b = std::make_shared<View>();
  auto child = std::make_shared<View>();
  auto other = std::make_shared<View>();
  a->addSubview(child);
  a->addSubview(other);
  EXPECT_EQ(a->subviews().front(), child);
  a->addSubview(child);  // again: moves to the top
  EXPECT_EQ(a->subviews().back(), child);
  b->addSubview(child);
  EXPECT_EQ(child->superview(), b.get());
  EXPECT_EQ(a->subviews().size(), 1u);
  child->removeFromSuperview();
  EXPECT_EQ(child->superview(), nullptr);
  EXPECT_TRUE(b->subviews().empty());
}

TEST(ViewTest, AViewCannotBecomeItsOwnAncestor) {
  auto parent = std::make_shared<View>();
  auto child = std::make_shared<View>();
  parent->addSubview(child);
  child->addSubview(parent);
  EXPECT_EQ(parent->superview(), nullptr);
}

TEST(ViewTest, TintColorIsInheritedFromTheNearestSuperview) {
  auto parent = std::make_shared<View>();
  auto child = std::make_shared<View>();
  parent->addSubview(child);
  EXPECT_FALSE(child->tintColor());
  parent->setTintColor(Color::white());
  EXPECT_EQ(child->tintColor(), Color::white());
}

TEST(ViewTest, VerticalStackLayoutPlacesChildrenWithPaddingAndSpacing) {
  auto stack = std::make_shared<View>(Rect{0, 0, 200, 400});
  stack->setStackLayout(StackLayout{StackLayout::Axis::vertical, {10, 5, 10, 5}, 4});
  auto first = std::make_shared<View>();
  first->setFixedHeight(30);
  auto hidden = std::make_shared<View>();
  hidden->setFixedHeight(100);
  hidden->setHidden(true);
  auto label = std::make_shared<Label>();
  label->setFont(Font::systemFont(10));
  label->setText("hola");
  stack->addSubview(first);
  stack->addSubview(hidden);
  stack->addSubview(label);
  stack->layoutIfNeeded();
  EXPECT_EQ(first->frame(), (Rect{5, 10, 190, 30}));
  EXPECT_EQ(label->frame(), (Rect{5, 44, 190, 12}));
  EXPECT_EQ(stack->sizeThatFits({200, 1000}).height, 10 + 30 + 4 + 12 + 10);
}

// A caption of fixed width beside a text that wraps (10-point font: 5 points a
// character, 12 a line): the stack measures the text at the width it gets.
TEST(ViewTest, HorizontalStackMeasuresWrappedTextAtItsShareOfTheWidth) {
  struct {
    StackLayout::Alignment alignment;
    std::string text;
    double stackHeight;
    Rect caption;
    Rect value;
  } cases[] = {
      {StackLayout::Alignment::top, "a b c d e f", 4 + 12 + 4, {0, 4, 50, 12}, {60, 4, 140, 12}},
      {StackLayout::Alignment::top, std::string(60, 'x'), 4 + 36 + 4, {0, 4, 50, 12}, {60, 4, 140, 36}},
      {StackLayout::Alignment::fill, std::string(60, 'x'), 4 + 36 + 4, {0, 4, 50, 36}, {60, 4, 140, 36}},
  };
  for (const auto& c : cases) {
    auto stack = std::make_shared<View>();
    stack->setStackLayout(StackLayout{StackLayout::Axis::horizontal, {4, 0, 4, 0}, 10, c.alignment});
    auto caption = std::make_shared<Label>();
    caption->setFont(Font::systemFont(10));
    caption->setText("Ubicación");
    caption->setFixedWidth(50);
    auto value = std::make_shared<Label>();
    value->setFont(Font::systemFont(10));
    value->setNumberOfLines(0);
    value->setText(c.text);
    stack->addSubview(caption);
    stack->addSubview(value);
    const double height = stack->sizeThatFits({200, 1000}).height;
    EXPECT_EQ(height, c.stackHeight) << c.text;
    stack->setFrame({0, 0, 200, height});
    stack->layoutIfNeeded();
    EXPECT_EQ(caption->frame(), c.caption) << c.text;
    EXPECT_EQ(value->frame(), c.value) << c.text;
  }
}

// A target that counts its action method's calls.
class Counter : public Object {
 public:
  using Super = Object;
  int taps = 0;
  void tapped(Object*) { ++taps; }
  static void describe(ClassDescription<Counter>& d) { d.action("tapped:", &Counter::tapped); }
};

class TapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClassRegistry::shared().add<Counter>();
    window = std::make_shared<Window>(Rect{0, 0, 320, 480});
    window->setRootViewController(std::make_shared<ViewController>());
    window->makeKeyAndVisible();
    root = window->rootViewController()->view();
    button->addTarget(counter, "tapped:", ControlEvent::touchUpInside);
    root->addSubview(button);
    root->addSubview(field);
  }
  std::shared_ptr<Window> window;
  std::shared_ptr<View> root;
  std::shared_ptr<Counter> counter = std::make_shared<Counter>();
  std::shared_ptr<Button> button = std::make_shared<Button>(Rect{0, 0, 100, 44});
  std::shared_ptr<TextField> field = std::make_shared<TextField>(Rect{0, 50, 100, 44});
};

// A screen that notes whether a key window existed when its view loaded.
class KeyWindowProbe : public ViewController {
 public:
  bool keyWindowAtLoad = false;
  void viewDidLoad() override { keyWindowAtLoad = Application::shared().keyWindow() != nullptr; }
};

TEST(WindowTest, TheFirstScreenLoadsWhenTheWindowIsMadeKeyAndVisible) {
  Application::shared().reset();
  auto window = std::make_shared<Window>();
  EXPECT_TRUE(window->isHidden());
  auto probe = std::make_shared<KeyWindowProbe>();
  window->setRootViewController(probe);
  EXPECT_FALSE(probe->isViewLoaded());
  window->makeKeyAndVisible();
  EXPECT_TRUE(probe->keyWindowAtLoad);
  EXPECT_EQ(probe->view()->superview(), window.get());
  Application::shared().reset();
}

TEST_F(TapTest, ATapOnAButtonSendsItsActionToTheTarget) {
  EXPECT_TRUE(window->sendTap(*button));
  EXPECT_EQ(counter->taps, 1);
  button->setEnabled(false);
  window->sendTap(*button);
  EXPECT_EQ(counter->taps, 1);
}

TEST_F(TapTest, AHiddenWindowTakesNoTaps) {
  window->setHidden(true);
  EXPECT_FALSE(window->sendTap(*button));
  EXPECT_TRUE(window->visibleViewControllers().empty());
}

TEST_F(TapTest, HiddenViewsCannotBeTapped) {
  button->setHidden(true);
  EXPECT_FALSE(window->sendTap(*button));
  EXPECT_EQ(counter->taps, 0);
}

TEST_F(TapTest, ARecogniserThatDoesNotCancelTouchesLetsTheTapReachTheView) {
  auto keyboardCounter = std::make_shared<Counter>();
  auto recognizer = std::make_shared<TapGestureRecognizer>(keyboardCounter, "tapped:");
  recognizer->setCancelsTouchesInView(false);
  root->addGestureRecognizer(recognizer);
  window->sendTap(*button);
  EXPECT_EQ(keyboardCounter->taps, 1);
  EXPECT_EQ(counter->taps, 1);
  recognizer->setCancelsTouchesInView(true);
  window->sendTap(*button);
  EXPECT_EQ(keyboardCounter->taps, 2);
  EXPECT_EQ(counter->taps, 1);
}

TEST_F(TapTest, ATapOnATextFieldStartsEditingAndEndEditingStopsIt) {
  window->sendTap(*field);
  EXPECT_TRUE(field->isEditing());
  EXPECT_EQ(window->firstResponder(), field.get());
  EXPECT_TRUE(root->endEditing(true));
  EXPECT_FALSE(field->isEditing());
}

}  // namespace
}  // namespace instala::ui
