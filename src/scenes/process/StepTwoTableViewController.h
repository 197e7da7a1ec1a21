#pragma once
// Step two of the service process: the evidence. Five photo rows and one video
// row open the camera. A photo goes to the photo store ("img-1" … "img-5") as
// soon as it is taken, off the main thread; the video's path goes to the
// preference "video" when it is recorded. A slot shows its check mark only once
// its evidence is stored; evidence that cannot be stored raises the alert
// "No se pudo guardar la evidencia. Intenta de nuevo." and leaves the slot as
// it was. The button goes on to step three with the ticket, once every photo
// save under way has finished.

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
  // One stored photo per slot; the list never grows or shrinks.
  std::array<std::optional<ui::Image>, 5> imagesTaked;
  // The stored video's path.
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
  // The camera's result: closes the camera; a video's path is stored and
  // replaces videoURL, else a photo is saved for slot imageIndex, which it fills
  // when the save completes; the table reloads on the main queue either way. A
  // result with neither changes nothing and reloads nothing.
  void imagePickerControllerDidFinishPickingMedia(ui::ImagePickerController& picker,
                                                  const ui::ImagePickerMediaInfo& info) override;
  void imagePickerControllerDidCancel(ui::ImagePickerController& picker) override;

  // The button: "toStep3", at once or when the photo saves under way have all
  // succeeded; a failed one keeps the screen with its alert. Nothing is required.
  void next();

  // The message of evidence that could not be stored.
  static constexpr const char* kSaveFailedMessage = "No se pudo guardar la evidencia. Intenta de nuevo.";

 private:
  void openCamera(std::shared_ptr<ui::ImagePickerController> picker);
  void storeVideo(const std::filesystem::path& video);
  void savePhoto(int slot, ui::Image photo);
  void photoSaveEnded(int slot, ui::Image photo, bool stored);
  void reloadSoon();
  // Whether this is the screen the technician sees (not left by "back").
  bool isOnTop() const;
  // Shows the failure alert unless the camera is open (then it waits for it to close).
  void showSaveFailureWhenPossible();

  int photoSavesUnderWay_ = 0;
  bool nextWhenSaved_ = false;
  bool saveFailureToShow_ = false;
};

}  // namespace instala
