#include "common/UnderlineTextField.h"
#include "ui/NotificationCenter.h"

#include "support/UiTest.h"

#include <gtest/gtest.h>

namespace instala {
namespace {

class UnderlineTextFieldTest : public testing::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    show(std::make_shared<ui::ViewController>());
    root = window->rootViewController()->view();
    field->setFrame({0, 0, 200, 44});
    field->setPlaceholder("Correo");
    root->addSubview(field);
    settle();  // the first display draws the field's views
    ui::Application::shared().clearAnimationRequests();
  }
  const ui::Label& label() const { return *field->placeholderLabel(); }
  std::size_t displayAnimations() const {
    std::size_t count = 0;
    for (const auto& request : ui::Application::shared().animationRequests()) {
      count += request.kind == ui::AnimationRequest::Kind::springAnimation ? 1 : 0;
    }
    return count;
  }
  std::shared_ptr<ui::View> root;
  std::shared_ptr<UnderlineTextField> field = std::make_shared<UnderlineTextField>();
};

TEST_F(UnderlineTextFieldTest, AnEmptyRestingFieldShowsItsPlaceholderLabelAtHalfTheTextRectangle) {
  EXPECT_FALSE(label().isHidden());
  EXPECT_EQ(label().superview(), field.get());
  EXPECT_EQ(label().text(), "Correo");
  EXPECT_EQ(label().textColor(), ui::Color::black());
  // Six characters of the 17-point font: 51 x 21; x of the text rectangle, y half its height.
  EXPECT_EQ(label().frame(), (ui::Rect{0, 22, 51, 21}));
  EXPECT_EQ(field->drawnPlaceholderRect(), std::nullopt);
}

TEST_F(UnderlineTextFieldTest, TextAndEditingRectanglesAreTheBoundsTwelvePointsLower) {
  EXPECT_EQ(field->textRectForBounds(field->bounds()), (ui::Rect{0, 12, 200, 44}));
  EXPECT_EQ(field->editingRectForBounds(field->bounds()), (ui::Rect{0, 12, 200, 44}));
}

TEST_F(UnderlineTextFieldTest, RestingUnderlinesAreTheFullWidthInactiveOneUnderTheActiveOne) {
  ASSERT_EQ(field->layer().sublayers().size(), 2u);
  EXPECT_EQ(field->layer().sublayers()[0], field->inactiveBorderLayer());
  EXPECT_EQ(field->layer().sublayers()[1], field->activeBorderLayer());
  EXPECT_EQ(field->inactiveBorderLayer()->frame, (ui::Rect{0, 43.5, 200, 0.5}));
  EXPECT_EQ(field->activeBorderLayer()->frame, (ui::Rect{0, 42, 0, 2}));
  // Never given a colour: no visible underline.
  EXPECT_EQ(field->inactiveBorderLayer()->backgroundColor, std::nullopt);
  field->setBorderInactiveColor(ui::Color::named("LightBlue"));
  EXPECT_EQ(field->inactiveBorderLayer()->backgroundColor, ui::Color::fromHex("#5DA9E9"));
}

TEST_F(UnderlineTextFieldTest, BeginningToEditHidesTheLabelAtOnceAndTypingKeepsItHidden) {
  ASSERT_TRUE(window->sendTap(*field));
  EXPECT_TRUE(label().isHidden());
  field->typeText("tec");
  settle();
  EXPECT_TRUE(label().isHidden());
  root->endEditing(true);
  settle();
  EXPECT_TRUE(label().isHidden());
  EXPECT_EQ(displayAnimations(), 0u);
}

TEST_F(UnderlineTextFieldTest, LeavingAnEmptyFieldShowsTheLabelWithTheSpringAnimation) {
  std::vector<AnimatedTextField::AnimationType> completed;
  field->animationCompletionHandler = [&](AnimatedTextField::AnimationType type) { completed.push_back(type); };
  window->sendTap(*field);
  field->typeText("x");
  field->deleteBackward();
  root->endEditing(true);
  EXPECT_FALSE(label().isHidden());
  EXPECT_EQ(label().alpha(), 1.0);
  ASSERT_EQ(displayAnimations(), 1u);
  const auto& request = ui::Application::shared().animationRequests().back();
  EXPECT_EQ(request.duration, 0.35);
  EXPECT_EQ(request.delay, 0);
  EXPECT_EQ(request.dampingRatio, 0.8);
  EXPECT_EQ(request.initialVelocity, 2.0);
  EXPECT_TRUE(ui::contains(request.options, ui::AnimationOptions::beginFromCurrentState));
  EXPECT_EQ(field->activeBorderLayer()->frame, (ui::Rect{0, 42, 0, 2}));
  EXPECT_TRUE(completed.empty());
  settle();
  EXPECT_EQ(completed, std::vector<AnimatedTextField::AnimationType>{AnimatedTextField::AnimationType::textDisplay});
}

TEST_F(UnderlineTextFieldTest, TextSetFromCodeOnARestingFieldLeavesTheLabelAndEmptyTextAnimatesIt) {
  field->setText("tecnico@example.com");
  EXPECT_FALSE(label().isHidden());
  EXPECT_EQ(displayAnimations(), 0u);
  field->setText("");
  EXPECT_EQ(displayAnimations(), 1u);
}

TEST_F(UnderlineTextFieldTest, SettingThePlaceholderFromCodeUpdatesTheLabelAtOnce) {
  field->setPlaceholder("Contraseña larga");
  EXPECT_EQ(label().text(), "Contraseña larga");
  EXPECT_EQ(label().frame().size, (ui::Size{16 * 8.5, 21}));
}

TEST_F(UnderlineTextFieldTest, RightAlignmentLinesUpTheLabelWithTheTextRectanglesRightEdge) {
  field->setTextAlignment(ui::TextAlignment::right);
  field->setPlaceholder("Km");
  EXPECT_EQ(label().frame().maxX(), field->textRectForBounds(field->bounds()).maxX());
  field->setTextAlignment(ui::TextAlignment::center);
  field->setPlaceholder("Km");
  EXPECT_EQ(label().frame().x(), 100 - 17 / 2.0);
}

TEST_F(UnderlineTextFieldTest, PlaceholderColourAndScaleComeFromAttributes) {
  field->setPlaceholderColor(ui::Color::named("DarkPurple"));
  field->setPlaceholderFontScale(0.5);
  field->setNeedsDisplay();
  settle();
  EXPECT_EQ(label().textColor(), ui::Color::fromHex("#3D2C6B"));
  EXPECT_EQ(label().font().pointSize(), 8.5);
  field->setPlaceholderColor(ui::Color::named("NoSuchColour"));
  EXPECT_EQ(label().textColor(), ui::Color::fromHex("#3D2C6B"));
}

TEST_F(UnderlineTextFieldTest, ResizingRefreshesTheUnderlines) {
  field->setFrame({0, 0, 300, 50});
  EXPECT_EQ(field->inactiveBorderLayer()->frame, (ui::Rect{0, 49.5, 300, 0.5}));
  EXPECT_EQ(label().frame().y(), 25);
}

TEST_F(UnderlineTextFieldTest, TheFieldObservesItsNotificationsOnlyWhileInAViewHierarchy) {
  auto& center = ui::NotificationCenter::defaultCenter();
  EXPECT_EQ(center.registrationCount(field.get()), 2u);
  auto other = std::make_shared<ui::View>();
  root->addSubview(other);
  other->addSubview(field);  // moved straight to another superview: still observed once
  EXPECT_EQ(center.registrationCount(field.get()), 2u);
  field->removeFromSuperview();
  EXPECT_EQ(center.registrationCount(field.get()), 0u);
}

struct Hook {
  const char* name;
  std::function<void(AnimatedTextField&)> call;
  const char* message;
};
void PrintTo(const Hook& hook, std::ostream* out) { *out << hook.name; }

class AnimatedTextFieldDeathTest : public ::testing::TestWithParam<Hook> {};

TEST_P(AnimatedTextFieldDeathTest, TheBasesOwnHooksStopTheProgram) {
  AnimatedTextField field;
  EXPECT_DEATH(GetParam().call(field), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Hooks, AnimatedTextFieldDeathTest,
    ::testing::Values(Hook{"Entry", [](AnimatedTextField& f) { f.animateViewsForTextEntry(); },
                           "animateViewsForTextEntry\\(\\) must be overridden"},
                      Hook{"Display", [](AnimatedTextField& f) { f.animateViewsForTextDisplay(); },
                           "animateViewsForTextDisplay\\(\\) must be overridden"},
                      Hook{"Draw", [](AnimatedTextField& f) { f.drawViewsForRect({}); },
                           "drawViewsForRect\\(_:\\) must be overridden"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace instala
