#include "common/CustomButtonCell.h"
#include "common/HeaderView.h"
#include "common/Identifier.h"
#include "common/KeyboardDismissal.h"
#include "common/ShowAlert.h"
#include "common/Styles.h"
#include "common/UnderlineTextField.h"
#include "platform/Bundle.h"
#include "ui/GestureRecognizer.h"
#include "ui/Label.h"
#include "ui/Nib.h"
#include "ui/TextField.h"

#include "support/TempDir.h"
#include "support/UiTest.h"

#include <gtest/gtest.h>

namespace instala {
namespace {

using Fixture = testing::UiTest;

TEST(IdentifierTest, IsTheClassNameUsedForNibsAndReuse) {
  EXPECT_EQ(identifier<CustomButtonCell>(), "CustomButtonCell");
  EXPECT_EQ(identifier<UnderlineTextField>(), "UnderlineTextField");
}

class ShowAlertTest : public Fixture {
 protected:
  void SetUp() override {
    Fixture::SetUp();
    screen = std::make_shared<ui::ViewController>();
    show(screen);
  }
  std::shared_ptr<ui::AlertController> alert() {
    return std::dynamic_pointer_cast<ui::AlertController>(screen->presentedViewController());
  }
  std::shared_ptr<ui::ViewController> screen;
};

TEST_F(ShowAlertTest, APlainMessageHasOnePreferredButtonAndTheDarkPurpleTint) {
  showAlert(*screen, "Error en servidor. Intentarlo nuevamente.", std::nullopt, std::nullopt, "Aceptar");
  auto shown = alert();
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->title(), "Error en servidor. Intentarlo nuevamente.");
  EXPECT_EQ(shown->message(), std::nullopt);
  EXPECT_EQ(shown->preferredStyle(), ui::AlertController::Style::alert);
  ASSERT_EQ(shown->actions().size(), 1u);
  EXPECT_EQ(shown->actions()[0]->title(), "Aceptar");
  EXPECT_EQ(shown->preferredAction(), shown->actions()[0]);
  EXPECT_EQ(shown->view()->tintColor(), ui::Color::named("DarkPurple"));
  EXPECT_TRUE(shown->view()->tintColor());
}

TEST_F(ShowAlertTest, WithACancelTitleTheCancelButtonComesFirstAndTheMainOneIsPreferred) {
  std::vector<std::string> tapped;
  showAlert(
      *screen, "Cerrar sesión", "Esta seguro de querer cerrar sesión?", std::nullopt, "Aceptar",
      [&](ui::AlertAction& a) { tapped.push_back(a.title()); }, "Cancelar",
      [&](ui::AlertAction& a) { tapped.push_back(a.title()); });
  auto shown = alert();
  ASSERT_EQ(shown->actions().size(), 2u);
  EXPECT_EQ(shown->actions()[0]->title(), "Cancelar");
  EXPECT_EQ(shown->actions()[0]->style(), ui::AlertAction::Style::cancel);
  EXPECT_EQ(shown->actions()[1]->style(), ui::AlertAction::Style::defaultStyle);
  EXPECT_EQ(shown->preferredAction(), shown->actions()[1]);
  shown->tapAction(0);
  EXPECT_EQ(tapped, std::vector<std::string>{"Cancelar"});
  EXPECT_EQ(screen->presentedViewController(), nullptr);
}

// A screen that counts the taps of its button.
class TapScreen : public ui::ViewController {
 public:
  using Super = ui::ViewController;
  int taps = 0;
  void buttonTapped(ui::Object*) { ++taps; }
  static void describe(ui::ClassDescription<TapScreen>& d) { d.action("buttonTapped:", &TapScreen::buttonTapped); }
};

TEST_F(Fixture, ATapOutsideTheFieldHidesTheKeyboardAndStillReachesTheTappedView) {
  ui::ClassRegistry::shared().add<TapScreen>();
  auto screen = std::make_shared<TapScreen>();
  show(screen);
  auto field = std::make_shared<ui::TextField>(ui::Rect{0, 0, 200, 44});
  auto button = std::make_shared<ui::Button>(ui::Rect{0, 60, 200, 44});
  button->addTarget(screen, "buttonTapped:", ui::ControlEvent::touchUpInside);
  screen->view()->addSubview(field);
  screen->view()->addSubview(button);
  hideKeyboardWhenTappedAround(*screen);
  ASSERT_EQ(screen->view()->gestureRecognizers().size(), 1u);
  EXPECT_FALSE(screen->view()->gestureRecognizers()[0]->cancelsTouchesInView());
  window->sendTap(*field);
  ASSERT_TRUE(field->isEditing());
  window->sendTap(*button);
  EXPECT_FALSE(field->isEditing());
  EXPECT_EQ(screen->taps, 1);
}

TEST(StylesTest, CardRoundedCircleAndButtonStyles) {
  ui::View card;
  applyCardStyle(card, 0);
  EXPECT_EQ(card.layer().cornerRadius, 0);
  EXPECT_EQ(card.layer().shadowColor, ui::Color::black());
  EXPECT_EQ(card.layer().shadowOffset, (ui::Size{0.2, 0.2}));
  EXPECT_EQ(card.layer().shadowRadius, 2);
  EXPECT_EQ(card.layer().shadowOpacity, 0.2);

  ui::View mark(ui::Rect{0, 0, 30, 30});
  applyRoundedStyle(mark);
  EXPECT_EQ(mark.layer().cornerRadius, 15);
  EXPECT_TRUE(mark.clipsToBounds());
  EXPECT_EQ(mark.layer().borderWidth, 0);

  ui::View circle(ui::Rect{0, 0, 100, 100});
  applyCircleStyle(circle, 15);
  EXPECT_EQ(circle.layer().cornerRadius, 50);
  EXPECT_EQ(circle.layer().borderWidth, 15);
  EXPECT_EQ(circle.layer().borderColor, ui::Color::named("CircleColor"));
  EXPECT_TRUE(circle.layer().borderColor);

  ui::Button button;
  applyButtonStyle(button);
  EXPECT_EQ(button.layer().cornerRadius, 8);
  EXPECT_EQ(button.layer().shadowOpacity, 0.2);
}

class HeaderViewTest : public ::testing::Test {
 protected:
  void TearDown() override { platform::Bundle::setMain(platform::Bundle::locate(std::nullopt)); }
  static std::vector<std::shared_ptr<ui::Label>> labels(const ui::View& header) {
    std::vector<std::shared_ptr<ui::Label>> found;
    for (const auto& view : header.subviews()) found.push_back(std::dynamic_pointer_cast<ui::Label>(view));
    return found;
  }
};

TEST_F(HeaderViewTest, TitleAndSubtitleInDarkPurpleWithTheirFontsAndConstraints) {
  testing::TempDir bundle;
  bundle.write("Assets/Colors.json", R"({ "DarkPurple": "#3D2C6B" })");
  bundle.write("Assets/Fonts/SourceSansPro-Semibold.ttf", "ttf");
  bundle.write("Assets/Fonts/SourceSansPro-Regular.ttf", "ttf");
  platform::Bundle::setMain(bundle.path());
  auto header = headerView("Resultados", "");
  EXPECT_EQ(header->backgroundColor(), ui::Color::clear());
  auto parts = labels(*header);
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts[0]->text(), "Resultados");
  EXPECT_EQ(parts[1]->text(), "");
  EXPECT_EQ(parts[0]->font(), *ui::Font::named("SourceSansPro-Semibold", 12));
  EXPECT_EQ(parts[1]->font(), *ui::Font::named("SourceSansPro-Regular", 10));
  EXPECT_EQ(parts[1]->numberOfLines(), 0);
  EXPECT_EQ(parts[0]->textColor(), ui::Color::fromHex("#3D2C6B"));
  EXPECT_FALSE(parts[0]->translatesAutoresizingMaskIntoConstraints());
  std::vector<std::string> formats;
  for (const auto& constraint : header->constraints()) formats.push_back(constraint.format);
  EXPECT_EQ(formats, (std::vector<std::string>{"H:|-20-[v0]-20-|", "V:|-0-[v0]-10-|", "H:|-20-[v0]-20-|",
                                               "V:|-60-[v0]-10-|"}));
  header->setFrame({0, 0, 375, 40});
  header->layoutIfNeeded();
  EXPECT_EQ(parts[0]->frame(), (ui::Rect{20, 0, 335, 30}));
}

TEST_F(HeaderViewTest, WithoutTheFontsAndColourTheLabelsKeepTheirOwn) {
  testing::TempDir bundle;
  platform::Bundle::setMain(bundle.path());
  auto parts = labels(*headerView("Detalles de la Documentación", ""));
  EXPECT_EQ(parts[0]->font(), ui::Label().font());
  EXPECT_EQ(parts[0]->textColor(), ui::Label().textColor());
}

TEST_F(Fixture, CustomButtonCellStylesItsButtonAndRunsItsActionOnTap) {
  ui::ClassRegistry::shared().add<CustomButtonCell>();
  auto nib = ui::Nib::named(identifier<CustomButtonCell>());
  ASSERT_NE(nib, nullptr);
  auto cell = std::dynamic_pointer_cast<CustomButtonCell>(nib->instantiate());
  ASSERT_NE(cell, nullptr);
  auto button = cell->customButton.lock();
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->layer().cornerRadius, 8);
  button->handleTap();  // no action set: nothing happens
  int runs = 0;
  cell->buttonAction = [&runs] { ++runs; };
  button->handleTap();
  EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace instala
