#include "ui/NotificationCenter.h"
#include "ui/TextField.h"

#include "support/UiTest.h"

#include <gtest/gtest.h>

namespace instala::ui {
namespace {

// Records every delegate call; refuses edits that insert a digit.
class Recorder : public TextFieldDelegate {
 public:
  std::vector<std::string> calls;
  bool allowBegin = true;
  bool shouldChangeCharactersInRange(TextField& field, TextRange range, const std::string& replacement) override {
    calls.push_back("change " + std::to_string(range.location) + "," + std::to_string(range.length) + " \"" +
                    replacement + "\" over \"" + field.text() + "\"");
    return replacement.find_first_of("0123456789") == std::string::npos;
  }
  bool textFieldShouldBeginEditing(TextField&) override { return allowBegin; }
  void textFieldDidBeginEditing(TextField&) override { calls.push_back("begin"); }
  void textFieldDidEndEditing(TextField&) override { calls.push_back("end"); }
};

class TextFieldTest : public testing::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    show(std::make_shared<ViewController>());
    window->rootViewController()->view()->addSubview(field);
    field->setDelegate(recorder);
  }
  std::shared_ptr<TextField> field = std::make_shared<TextField>(Rect{0, 0, 200, 44});
  std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
};

TEST_F(TextFieldTest, TypingAsksTheDelegateKeyByKeyAndHonoursItsAnswer) {
  ASSERT_TRUE(window->sendTap(*field));
  field->typeText("a1ñ");
  EXPECT_EQ(field->text(), "añ");
  EXPECT_EQ(recorder->calls, (std::vector<std::string>{"begin", "change 0,0 \"a\" over \"\"",
                                                       "change 1,0 \"1\" over \"a\"", "change 1,0 \"ñ\" over \"a\""}));
}

TEST_F(TextFieldTest, DeleteBackwardRemovesAWholeCharacter) {
  window->sendTap(*field);
  field->typeText("añ");
  ASSERT_TRUE(field->deleteBackward());
  EXPECT_EQ(field->text(), "a");
  EXPECT_EQ(recorder->calls.back(), "change 1,2 \"\" over \"añ\"");
}

TEST_F(TextFieldTest, ReplacingASelectionGoesThroughTheDelegate) {
  window->sendTap(*field);
  field->typeText("abcd");
  EXPECT_TRUE(field->replaceText({1, 2}, "X"));
  EXPECT_EQ(field->text(), "aXd");
  EXPECT_FALSE(field->replaceText({3, 5}, "Y"));
}

TEST_F(TextFieldTest, TextSetFromCodeDoesNotAskTheDelegateAndTypingNeedsEditing) {
  field->setText("42");
  EXPECT_EQ(field->text(), "42");
  EXPECT_FALSE(field->insertText("x"));
  EXPECT_TRUE(recorder->calls.empty());
}

TEST_F(TextFieldTest, EditingNotificationsComeFromTheField) {
  std::vector<std::string> seen;
  auto& center = NotificationCenter::defaultCenter();
  center.addObserver(this, textFieldTextDidBeginEditingNotification, field.get(),
                     [&](const Notification& n) { seen.push_back(n.name); });
  center.addObserver(this, textFieldTextDidEndEditingNotification, field.get(),
                     [&](const Notification& n) { seen.push_back(n.name); });
  auto other = std::make_shared<TextField>();
  window->addSubview(other);
  window->sendTap(*other);
  window->sendTap(*field);  // the other field resigns first
  window->endEditing(true);
  center.removeObserver(this);
  EXPECT_EQ(seen, (std::vector<std::string>{textFieldTextDidBeginEditingNotification,
                                            textFieldTextDidEndEditingNotification}));
  EXPECT_FALSE(other->isEditing());
}

TEST_F(TextFieldTest, ADelegateCanRefuseEditing) {
  recorder->allowBegin = false;
  window->sendTap(*field);
  EXPECT_FALSE(field->isEditing());
}

TEST_F(TextFieldTest, TheToolkitDrawsThePlaceholderOnlyForAnEmptyField) {
  field->setPlaceholder("Correo");
  field->displayIfNeeded();
  EXPECT_EQ(field->drawnPlaceholderRect(), (Rect{0, 0, 200, 44}));
  field->setText("x");
  field->displayIfNeeded();
  EXPECT_EQ(field->drawnPlaceholderRect(), std::nullopt);
}

}  // namespace
}  // namespace instala::ui
