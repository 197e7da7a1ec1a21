#pragma once
// Step two of the service process: the evidence. Five photo rows and one video
// row open the camera; the button writes the photos to the photo store
// ("img-1" … "img-5") and the video's path to the preference "video", then
// goes on to step three with the ticket.

#include "models/Ticket.h"
#include "ui/ClassRegistry.h"
#include "ui/Image.h"
#include "ui/ImagePickerController.h"
#include "ui/TableViewController.h"

#include <array>
#include <filesystem>
#include <memory>
#include <optional>

namespace instala {

class StepTwoTableViewController : public ui::TableViewController, public ui::ImagePickerControllerDelegate {
 public:
  using Super = ui::TableViewController;

  std::optional<Ticket> ticket;
  // The camera opened last.
  std::shared_ptr<ui::ImagePickerController> imagePicker;
  // One photo per slot; the list never grows or shrinks.
  std::array<std::optional<ui::Image>, 5> imagesTaked;
  std::optional<std::filesystem::path> videoURL;
  // The slot the next photo fills.
  int imageIndex = 0;

  void viewDidLoad() override;
  int numberOfRowsInSection(ui::TableView& tableView, int section) override;
  double heightForRowAtIndexPath(ui::TableView& tableView, ui::IndexPath indexPath) override;
  std::shared_ptr<ui::TableViewCell> cellForRowAtIndexPath(ui::TableView& tableView, ui::IndexPath indexPath) override;
  // "toStep3" hands the ticket to step three.
  void prepareForSegue(ui::StoryboardSegue& segue, ui::Object* sender) override;

  // Opens the camera for a photo of that slot (0 to 4).
  void takePhoto(int slot);
  // Opens the camera for a video.
  void recordVideo();
  // The camera's result: closes the camera; a video replaces videoURL, else a
  // photo fills slot imageIndex; then the table reloads on the main queue. A
  // result with neither changes nothing and reloads nothing.
  void imagePickerControllerDidFinishPickingMedia(ui::ImagePickerController& picker,
                                                  const ui::ImagePickerMediaInfo& info) override;

  // Filled slots through the photo store, the video's path under "video".
  void saveEvidence();
  // The button: saveEvidence, then "toStep3". Nothing is required.
  void next();

 private:
  void openCamera(std::shared_ptr<ui::ImagePickerController> picker);
};

}  // namespace instala
