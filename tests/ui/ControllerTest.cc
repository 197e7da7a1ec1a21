#include "ui/AlertController.h"
#include "ui/ImagePickerController.h"
#include "ui/NavigationController.h"
#include "ui/SafariViewController.h"
#include "ui/TabBarController.h"

#include "support/UiTest.h"

#include <gtest/gtest.h>

namespace instala::ui {
namespace {

// A screen that logs its lifecycle into a shared journal.
class Journaled : public ViewController {
 public:
  using Super = ViewController;
  Journaled(std::string name, std::vector<std::string>& journal) : name_(std::move(name)), journal_(journal) {}
  void viewDidLoad() override { journal_.push_back(name_ + " load"); }
  void viewWillAppear(bool) override { journal_.push_back(name_ + " appear"); }
  void viewDidDisappear(bool) override { journal_.push_back(name_ + " disappear"); }

 private:
  std::string name_;
  std::vector<std::string>& journal_;
};

class ControllerTest : public testing::UiTest {
 protected:
  std::shared_ptr<Journaled> screen(const std::string& name) { return std::make_shared<Journaled>(name, journal); }
  std::vector<std::string> journal;
};

TEST_F(ControllerTest, TheViewLoadsOnceWhenFirstNeeded) {
  auto a = screen("a");
  EXPECT_FALSE(a->isViewLoaded());
  auto view = a->view();
  EXPECT_EQ(a->view(), view);
  EXPECT_EQ(journal, std::vector<std::string>{"a load"});
  EXPECT_EQ(view->viewController(), a.get());
}

TEST_F(ControllerTest, OnlyTheSelectedTabLoadsAndAppears) {
  auto tabs = std::make_shared<TabBarController>();
  tabs->setViewControllers({screen("one"), screen("two")});
  show(tabs);
  EXPECT_EQ(journal, (std::vector<std::string>{"one load", "one appear"}));
  journal.clear();
  tabs->setSelectedIndex(1);
  EXPECT_EQ(journal, (std::vector<std::string>{"two load", "one disappear", "two appear"}));
  journal.clear();
  tabs->setSelectedIndex(0);
  EXPECT_EQ(journal, (std::vector<std::string>{"two disappear", "one appear"}));
  tabs->setSelectedIndex(7);
  EXPECT_EQ(tabs->selectedIndex(), 0u);
}

TEST_F(ControllerTest, PushAndPopChangeTheTopScreenAndTheBackButton) {
  auto root = screen("root");
  root->setTitle("Tickets activos");
  auto navigation = std::make_shared<NavigationController>(root);
  show(navigation);
  EXPECT_FALSE(navigation->backButtonTitle());
  auto details = screen("details");
  navigation->pushViewController(details, true);
  EXPECT_EQ(details->navigationController(), navigation.get());
  EXPECT_EQ(navigation->backButtonTitle(), "Tickets activos");
  EXPECT_EQ(details->view()->superview(), navigation->view().get());
  EXPECT_EQ(root->view()->superview(), nullptr);
  navigation->pushViewController(screen("check-in"), true);
  journal.clear();
  auto popped = navigation->popToRootViewController(true);
  EXPECT_EQ(popped.size(), 2u);
  EXPECT_EQ(journal, (std::vector<std::string>{"check-in disappear", "root appear"}));
  EXPECT_EQ(navigation->popViewController(true), nullptr);
}

TEST_F(ControllerTest, AnUntitledPreviousScreenGivesTheBackButtonAtras) {
  auto navigation = std::make_shared<NavigationController>(screen("root"));
  navigation->pushViewController(screen("next"), false);
  EXPECT_EQ(navigation->backButtonTitle(), "Atrás");
}

TEST_F(ControllerTest, AnAlertIsPresentedByTheOutermostContainerAndKeepsTheScreenVisible) {
  auto list = screen("list");
  auto navigation = std::make_shared<NavigationController>(list);
  show(navigation);
  journal.clear();
  auto alert = std::make_shared<AlertController>("Título", std::nullopt, AlertController::Style::alert);
  list->present(alert, true);
  EXPECT_EQ(navigation->presentedViewController(), alert);
  EXPECT_EQ(list->presentedViewController(), alert);
  EXPECT_EQ(alert->presentingViewController(), navigation.get());
  EXPECT_TRUE(journal.empty());
  EXPECT_EQ(window->visibleViewControllers().back(), alert);
  EXPECT_EQ(window->subviews().back(), alert->view());
}

TEST_F(ControllerTest, AFullScreenPresentationHidesWhatIsBelowUntilDismissed) {
  auto root = screen("root");
  show(root);
  journal.clear();
  auto browser = std::make_shared<SafariViewController>("https://docs.example.com/a.pdf");
  bool completed = false;
  root->present(browser, true, [&completed] { completed = true; });
  EXPECT_EQ(journal, std::vector<std::string>{"root disappear"});
  EXPECT_FALSE(completed);  // completions run from the main queue
  settle();
  EXPECT_TRUE(completed);
  journal.clear();
  browser->done();
  EXPECT_EQ(root->presentedViewController(), nullptr);
  EXPECT_EQ(journal, std::vector<std::string>{"root appear"});
}

TEST_F(ControllerTest, AScreenThatAlreadyPresentsDoesNotPresentASecondOne) {
  auto root = screen("root");
  show(root);
  auto first = std::make_shared<AlertController>("uno", std::nullopt, AlertController::Style::alert);
  auto second = std::make_shared<AlertController>("dos", std::nullopt, AlertController::Style::alert);
  root->present(first, true);
  root->present(second, true);
  EXPECT_EQ(root->presentedViewController(), first);
}

TEST_F(ControllerTest, PresentingFromAScreenOutsideTheWindowShowsNothing) {
  auto detached = screen("detached");
  detached->present(std::make_shared<ViewController>(), true);
  EXPECT_EQ(detached->presentedViewController(), nullptr);
}

TEST_F(ControllerTest, TappingAnAlertButtonDismissesTheAlertThenRunsTheHandler) {
  auto root = screen("root");
  show(root);
  auto alert = std::make_shared<AlertController>("Cerrar sesión", "¿Seguro?", AlertController::Style::alert);
  bool alertGoneWhenHandled = false;
  alert->addAction(std::make_shared<AlertAction>("Cancelar", AlertAction::Style::cancel, nullptr));
  alert->addAction(std::make_shared<AlertAction>("Aceptar", AlertAction::Style::defaultStyle, [&](AlertAction& a) {
    alertGoneWhenHandled = a.title() == "Aceptar" && !root->presentedViewController();
  }));
  root->present(alert, true);
  EXPECT_FALSE(alert->tapAction(5));
  EXPECT_TRUE(alert->tapAction(1));
  EXPECT_TRUE(alertGoneWhenHandled);
}

TEST_F(ControllerTest, ThePreferredActionMustBeOneOfTheAlertsActions) {
  AlertController alert("t", std::nullopt, AlertController::Style::alert);
  auto own = std::make_shared<AlertAction>("Aceptar", AlertAction::Style::defaultStyle, nullptr);
  alert.addAction(own);
  alert.setPreferredAction(std::make_shared<AlertAction>("Otra", AlertAction::Style::defaultStyle, nullptr));
  EXPECT_EQ(alert.preferredAction(), nullptr);
  alert.setPreferredAction(own);
  EXPECT_EQ(alert.preferredAction(), own);
}

TEST_F(ControllerTest, ACameraWithoutADelegateClosesOnCancelAndDeliversResultsToItsDelegate) {
  struct Receiver : ImagePickerControllerDelegate {
    std::optional<ImagePickerMediaInfo> received;
    void imagePickerControllerDidFinishPickingMedia(ImagePickerController& picker,
                                                    const ImagePickerMediaInfo& info) override {
      received = info;
      picker.dismiss(true);
    }
  };
  auto root = screen("root");
  show(root);
  auto receiver = std::make_shared<Receiver>();
  auto camera = std::make_shared<ImagePickerController>();
  camera->setDelegate(receiver);
  camera->setMediaTypes({mediaTypeMovie});
  EXPECT_TRUE(camera->acceptsMediaType(mediaTypeMovie));
  EXPECT_FALSE(camera->acceptsMediaType(mediaTypeImage));
  root->present(camera, true);
  camera->finishPicking({std::filesystem::path("/tmp/clip.mp4"), std::nullopt});
  ASSERT_TRUE(receiver->received);
  EXPECT_EQ(receiver->received->mediaURL, std::filesystem::path("/tmp/clip.mp4"));
  EXPECT_EQ(root->presentedViewController(), nullptr);
  root->present(camera, true);
  camera->cancel();
  EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(ControllerTest, ReplacingTheRootDropsTheOldHierarchyWithItsPresentations) {
  auto old = screen("old");
  show(old);
  old->present(std::make_shared<SafariViewController>("https://x"), false);
  journal.clear();
  window->setRootViewController(screen("new"));
  EXPECT_EQ(old->presentedViewController(), nullptr);
  EXPECT_EQ(window->subviews().size(), 1u);
  EXPECT_EQ(journal, (std::vector<std::string>{"new load", "new appear"}));
}

TEST_F(ControllerTest, AnimationsApplyAtOnceRecordTheirParametersAndCompleteOnTheMainQueue) {
  auto view = std::make_shared<View>();
  bool finished = false;
  View::animate(
      0.35, 0, 0.8, 2.0, AnimationOptions::beginFromCurrentState, [&] { view->setAlpha(0.5); },
      [&](bool done) { finished = done; });
  EXPECT_EQ(view->alpha(), 0.5);
  EXPECT_FALSE(finished);
  settle();
  EXPECT_TRUE(finished);
  const auto& request = Application::shared().animationRequests().back();
  EXPECT_EQ(request.kind, AnimationRequest::Kind::springAnimation);
  EXPECT_EQ(request.duration, 0.35);
  EXPECT_EQ(request.dampingRatio, 0.8);
  EXPECT_EQ(request.initialVelocity, 2.0);
  EXPECT_TRUE(contains(request.options, AnimationOptions::beginFromCurrentState));
}

}  // namespace
}  // namespace instala::ui
