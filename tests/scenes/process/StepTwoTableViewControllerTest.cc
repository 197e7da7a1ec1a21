#include "scenes/process/StepTwoTableViewController.h"

#include "common/CustomButtonCell.h"
#include "common/Utils.h"
#include "scenes/ScreenFixture.h"
#include "scenes/process/EvidenceCell.h"
#include "scenes/process/ProcessStepsCell.h"
#include "scenes/process/StepThreeTableViewController.h"

#include <gtest/gtest.h>

namespace instala {
namespace {

ui::Image photo(int width, std::uint8_t shade = 100) {
  return ui::Image(*platform::Image::fromRGB(width, 4, platform::Bytes(static_cast<std::size_t>(width * 4 * 3), shade)));
}

Ticket sampleTicket() {
  Ticket::Fields fields;
  fields.id = 77;
  return Ticket(fields);
}

class StepTwoTest : public testing::ScreenFixture {
 protected:
  std::shared_ptr<StepTwoTableViewController> open() {
    return show<StepTwoTableViewController>("StepTwoTableViewController",
                                            [](StepTwoTableViewController& screen) { screen.ticket = sampleTicket(); });
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
    settle();
  }
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
  camera->finishPicking({std::nullopt, photo(12)});
  EXPECT_EQ(icon3->image()->name(), "icon camera");  // the reload waits on the main queue
  settle();
  EXPECT_EQ(window->topPresentedViewController(), navigation);  // the camera closed
  EXPECT_EQ(icon(*screen, 3), "check_icon");
  for (int index : {1, 2, 4, 5}) EXPECT_EQ(icon(*screen, index), "icon camera") << index;
  pressNext(*screen);
  EXPECT_EQ(documents(), std::vector<std::string>{"img-3"});
  EXPECT_EQ(Utils::loadImage("img-3")->size(), (ui::Size{12, 4}));
  auto step = std::dynamic_pointer_cast<StepThreeTableViewController>(topScreen());
  ASSERT_NE(step, nullptr);
  EXPECT_EQ(step->ticket, sampleTicket());
}

TEST_F(StepTwoTest, ASecondPhotoOfTheSameRowReplacesTheFirst) {
  auto screen = open();
  takePhoto(*screen, 1, photo(10));
  takePhoto(*screen, 1, photo(20));
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

TEST_F(StepTwoTest, TheConsoleShowsTheCameraAndTheIcons) {
  auto screen = open();
  openCamera(*screen, 6);
  EXPECT_NE(printed().find("camera: video\n"), std::string::npos) << printed();
}

}  // namespace
}  // namespace instala
