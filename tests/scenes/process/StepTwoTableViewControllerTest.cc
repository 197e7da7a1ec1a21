#include "scenes/process/StepTwoTableViewController.h"

#include "common/CustomButtonCell.h"
#include "common/Utils.h"
#include "networking/Session.h"
#include "scenes/ScreenFixture.h"
#include "scenes/process/EvidenceCell.h"
#include "scenes/process/ProcessStepsCell.h"
#include "scenes/process/StepThreeTableViewController.h"

#include "support/MainLoop.h"
#include "ui/AlertController.h"

#include <gtest/gtest.h>

#include <future>

namespace instala {
namespace {

ui::Image takenPhoto(int width, std::uint8_t shade = 100) {
  return ui::Image(*platform::Image::fromRGB(width, 4, platform::Bytes(static_cast<std::size_t>(width * 4 * 3), shade)));
}

Ticket evidenceTicket() {
  Ticket::Fields fields;
  fields.id = 77;
  return Ticket(fields);
}

class StepTwoTest : public testing::ScreenFixture {
 protected:
  std::shared_ptr<StepTwoTableViewController> open() {
    return show<StepTwoTableViewController>("StepTwoTableViewController",
                                            [](StepTwoTableViewController& screen) { screen.ticket = evidenceTicket(); });
  }
  std::shared_ptr<EvidenceCell> evidence(StepTwoTableViewController& screen, int index) {
    return row<EvidenceCell>(*screen.tableView(), index);
  }
  std::string icon(StepTwoTableViewController& screen, int index) {
    const auto& image = evidence(screen, index)->fileIcon.lock()->image();
    return image ? image->name() : "(none)";
  }
  // Taps the row's button; the camera that opens.
  std::shared_ptr<ui::ImagePickerController> openCamera(StepTwoTableViewController& screen, int index) {
    EXPECT_TRUE(tap(*evidence(screen, index)->fileButton.lock()));
    return std::dynamic_pointer_cast<ui::ImagePickerController>(window->topPresentedViewController());
  }
  void takePhoto(StepTwoTableViewController& screen, int index, const ui::Image& image) {
    auto camera = openCamera(screen, index);
    ASSERT_NE(camera, nullptr);
    camera->finishPicking({std::nullopt, image});
    settleSaves();
  }
  // Runs the main loop until the photo saves under way have ended.
  void settleSaves() {
    EXPECT_TRUE(testing::pumpMainLoopUntil([] { return !Session::shared().hasWorkInFlight(); }));
    settle();
  }
  // Keeps the queue that saves the photos busy until the result is released.
  std::promise<void> holdSaves() {
    std::promise<void> release;
    Session::shared().encodingQueue().async([held = release.get_future().share()] { held.wait(); });
    return release;
  }
  // The alert on screen, if any.
  std::shared_ptr<ui::AlertController> alert() const {
    return std::dynamic_pointer_cast<ui::AlertController>(window->topPresentedViewController());
  }
  // A file where the documents folder should be: no photo can be stored.
  void breakPhotoStore() { dir.write("Documents", "not a folder"); }
  void pressNext(StepTwoTableViewController& screen) {
    EXPECT_TRUE(tap(*row<CustomButtonCell>(*screen.tableView(), 7)->customButton.lock()));
  }
  std::vector<std::string> documents() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(platform::Paths::documentsDirectory(), ec)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(StepTwoTest, RowsHeightsIconsAndProgress) {
  auto screen = open();
  auto table = screen->tableView();
  ASSERT_EQ(table->numberOfRows(0), 8);
  const double heights[] = {100, 220, 220, 220, 220, 220, 220, 90};
  for (int index = 0; index < 8; ++index) EXPECT_EQ(screen->heightForRowAtIndexPath(*table, {0, index}), heights[index]);
  for (int index = 1; index <= 5; ++index) EXPECT_EQ(icon(*screen, index), "icon camera") << index;
  EXPECT_EQ(icon(*screen, 6), "Video icon");
  auto steps = row<ProcessStepsCell>(*table, 0);
  const auto dark = ui::Color::named("DarkBlue");
  const auto light = ui::Color::named("LightBlue")->withAlphaComponent(0.25);
  EXPECT_EQ(steps->stepOneView.lock()->backgroundColor(), dark);
  EXPECT_EQ(steps->leftLineView.lock()->backgroundColor(), dark);
  EXPECT_EQ(steps->stepTwoView.lock()->backgroundColor(), light);
  EXPECT_EQ(steps->stepThreeView.lock()->backgroundColor(), light);
  EXPECT_NE(steps->rightLineView.lock()->backgroundColor(), dark);
  EXPECT_EQ(evidence(*screen, 1)->cardView.lock()->layer().shadowRadius, 2);
}

TEST_F(StepTwoTest, APhotoFromRowThreeFillsSlotTwoAndIsSavedAsImg3) {
  auto screen = open();
  auto icon3 = evidence(*screen, 3)->fileIcon.lock();
  auto camera = openCamera(*screen, 3);
  ASSERT_NE(camera, nullptr);
  EXPECT_EQ(screen->imagePicker, camera);
  EXPECT_EQ(camera->sourceType(), ui::ImagePickerController::SourceType::camera);
  EXPECT_TRUE(camera->acceptsMediaType(ui::mediaTypeImage));
  EXPECT_EQ(screen->imageIndex, 2);
  camera->finishPicking({std::nullopt, takenPhoto(12)});
  EXPECT_EQ(icon3->image()->name(), "icon camera");  // the save and the reload come later
  settleSaves();
  EXPECT_EQ(window->topPresentedViewController(), navigation);  // the camera closed
  EXPECT_EQ(icon(*screen, 3), "check_icon");
  for (int index : {1, 2, 4, 5}) EXPECT_EQ(icon(*screen, index), "icon camera") << index;
  pressNext(*screen);
  EXPECT_EQ(documents(), std::vector<std::string>{"img-3"});
  EXPECT_EQ(Utils::loadImage("img-3")->size(), (ui::Size{12, 4}));
  auto step = std::dynamic_pointer_cast<StepThreeTableViewController>(topScreen());
  ASSERT_NE(step, nullptr);
  EXPECT_EQ(step->ticket, evidenceTicket());
}

TEST_F(StepTwoTest, ASecondPhotoOfTheSameRowReplacesTheFirst) {
  auto screen = open();
  takePhoto(*screen, 1, takenPhoto(10));
  takePhoto(*screen, 1, takenPhoto(20));
  pressNext(*screen);
  EXPECT_EQ(documents(), std::vector<std::string>{"img-1"});
  EXPECT_EQ(Utils::loadImage("img-1")->size(), (ui::Size{20, 4}));
}

TEST_F(StepTwoTest, AVideoTurnsItsIconAndTheLastOneIsStored) {
  auto screen = open();
  const auto slot = screen->imageIndex;
  auto camera = openCamera(*screen, 6);
  ASSERT_NE(camera, nullptr);
  EXPECT_TRUE(camera->acceptsMediaType(ui::mediaTypeMovie));
  EXPECT_FALSE(camera->acceptsMediaType(ui::mediaTypeImage));
  EXPECT_EQ(screen->imageIndex, slot);
  camera->finishPicking({dir / "first.mp4", std::nullopt});
  settle();
  EXPECT_EQ(icon(*screen, 6), "check_icon");
  openCamera(*screen, 6)->finishPicking({dir / "second.mov", std::nullopt});
  settle();
  EXPECT_EQ(screen->videoURL, dir / "second.mov");
  pressNext(*screen);
  EXPECT_EQ(platform::Preferences::standard().stringForKey("video"), (dir / "second.mov").string());
  EXPECT_TRUE(documents().empty());
}

TEST_F(StepTwoTest, AResultWithNeitherPhotoNorVideoChangesNothingAndDoesNotReload) {
  auto screen = open();
  auto cell = evidence(*screen, 2);
  cell->fileIcon.lock()->setImage(std::nullopt);  // a reload would set it again
  auto camera = openCamera(*screen, 2);
  ASSERT_NE(camera, nullptr);
  camera->finishPicking({std::nullopt, std::nullopt});
  settle();
  EXPECT_EQ(window->topPresentedViewController(), navigation);
  EXPECT_FALSE(cell->fileIcon.lock()->image());
  for (const auto& image : screen->imagesTaked) EXPECT_FALSE(image);
  EXPECT_FALSE(screen->videoURL);
}

TEST_F(StepTwoTest, CancellingTheCameraChangesNothing) {
  auto screen = open();
  openCamera(*screen, 4)->cancel();
  settle();
  EXPECT_EQ(window->topPresentedViewController(), navigation);
  EXPECT_FALSE(screen->imagesTaked[3]);
}

TEST_F(StepTwoTest, NextWithNothingTakenWritesNothingAndStillOpensStepThree) {
  auto screen = open();
  pressNext(*screen);
  EXPECT_TRUE(documents().empty());
  EXPECT_FALSE(platform::Preferences::standard().objectForKey("video"));
  EXPECT_NE(std::dynamic_pointer_cast<StepThreeTableViewController>(topScreen()), nullptr);
}

// The save runs off the main thread: while its queue is held, the camera has
// closed and the screen goes on; the check mark comes once the photo is on disk.
TEST_F(StepTwoTest, APhotoIsSavedWhenTakenAndCheckedOnlyOnceStored) {
  auto screen = open();
  auto release = holdSaves();
  openCamera(*screen, 2)->finishPicking({std::nullopt, takenPhoto(14)});
  settle();
  EXPECT_EQ(window->topPresentedViewController(), navigation);
  EXPECT_EQ(icon(*screen, 2), "icon camera");
  EXPECT_FALSE(screen->imagesTaked[1]);
  EXPECT_TRUE(documents().empty());
  EXPECT_TRUE(Session::shared().hasWorkInFlight());  // what the console's "wait" waits for
  release.set_value();
  settleSaves();
  EXPECT_EQ(icon(*screen, 2), "check_icon");
  EXPECT_EQ(documents(), std::vector<std::string>{"img-2"});
  EXPECT_EQ(Utils::loadImage("img-2")->size(), (ui::Size{14, 4}));
}

TEST_F(StepTwoTest, NextWaitsForTheSavesUnderWayBeforeStepThree) {
  auto screen = open();
  auto release = holdSaves();
  openCamera(*screen, 5)->finishPicking({std::nullopt, takenPhoto(16)});
  settle();
  pressNext(*screen);
  pressNext(*screen);  // a second tap while waiting changes nothing
  EXPECT_EQ(topScreen(), screen);
  release.set_value();
  settleSaves();
  auto step = std::dynamic_pointer_cast<StepThreeTableViewController>(topScreen());
  ASSERT_NE(step, nullptr);
  EXPECT_EQ(navigation->viewControllers().size(), 2u);
  EXPECT_EQ(Utils::loadImage("img-5")->size(), (ui::Size{16, 4}));
}

struct LostEvidence {
  const char* name;
  int row;
};

void PrintTo(const LostEvidence& lost, std::ostream* os) { *os << lost.name; }

class StepTwoLostEvidenceTest : public StepTwoTest, public ::testing::WithParamInterface<LostEvidence> {};

// A full disk or a broken folder: the alert, the slot unchanged, nothing else.
TEST_P(StepTwoLostEvidenceTest, RaisesTheAlertAndKeepsTheSlotEmpty) {
  auto screen = open();
  const int row = GetParam().row;
  const bool video = row == 6;
  if (video) {
    dir.write("blocker", "a file where the preferences folder should be");
    platform::Preferences::standard().open(dir / "blocker" / "Preferences.plist");
    openCamera(*screen, row)->finishPicking({dir / "clip.mp4", std::nullopt});
  } else {
    breakPhotoStore();
    openCamera(*screen, row)->finishPicking({std::nullopt, takenPhoto(10)});
  }
  settleSaves();
  auto shown = alert();
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->title(), StepTwoTableViewController::kSaveFailedMessage);
  EXPECT_EQ(*shown->title(), "No se pudo guardar la evidencia. Intenta de nuevo.");
  EXPECT_FALSE(shown->message());
  ASSERT_EQ(shown->actions().size(), 1u);
  EXPECT_EQ(shown->actions()[0]->title(), "Aceptar");
  EXPECT_TRUE(shown->tapAction(0));
  settle();
  EXPECT_EQ(icon(*screen, row), video ? "Video icon" : "icon camera");
  EXPECT_FALSE(screen->videoURL);
  for (const auto& image : screen->imagesTaked) EXPECT_FALSE(image);
  EXPECT_FALSE(platform::Preferences::standard().objectForKey("video"));
  // Nothing else changes: the button still goes on.
  pressNext(*screen);
  EXPECT_NE(std::dynamic_pointer_cast<StepThreeTableViewController>(topScreen()), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Slots, StepTwoLostEvidenceTest,
                         ::testing::Values(LostEvidence{"FirstPhoto", 1}, LostEvidence{"LastPhoto", 5},
                                           LostEvidence{"Video", 6}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StepTwoTest, ASaveThatFailsWhileNextWaitsKeepsTheScreenWithItsAlert) {
  auto screen = open();
  breakPhotoStore();
  auto release = holdSaves();
  openCamera(*screen, 3)->finishPicking({std::nullopt, takenPhoto(10)});
  settle();
  pressNext(*screen);
  release.set_value();
  settleSaves();
  EXPECT_EQ(topScreen(), screen);
  ASSERT_NE(alert(), nullptr);
  EXPECT_EQ(icon(*screen, 3), "icon camera");
}

// The alert cannot cover an open camera: it comes when the camera closes, once for all failures.
TEST_F(StepTwoTest, TheAlertWaitsForTheCameraToClose) {
  auto screen = open();
  breakPhotoStore();
  auto release = holdSaves();
  openCamera(*screen, 1)->finishPicking({std::nullopt, takenPhoto(10)});
  openCamera(*screen, 2)->finishPicking({std::nullopt, takenPhoto(11)});
  auto camera = openCamera(*screen, 4);
  release.set_value();
  settleSaves();
  EXPECT_EQ(window->topPresentedViewController(), camera);
  camera->cancel();
  settle();
  ASSERT_NE(alert(), nullptr);
  EXPECT_TRUE(alert()->tapAction(0));
  settle();
  EXPECT_EQ(window->topPresentedViewController(), navigation);
}

TEST_F(StepTwoTest, TheConsoleShowsTheCameraAndTheIcons) {
  auto screen = open();
  openCamera(*screen, 6);
  EXPECT_NE(printed().find("camera: video\n"), std::string::npos) << printed();
}

}  // namespace
}  // namespace instala
