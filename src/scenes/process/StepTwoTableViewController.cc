#include "scenes/process/StepTwoTableViewController.h"

#include "common/CustomButtonCell.h"
#include "common/Identifier.h"
#include "common/KeyboardDismissal.h"
#include "common/ShowAlert.h"
#include "common/Utils.h"
#include "networking/Session.h"
#include "platform/Preferences.h"
#include "platform/RunLoop.h"
#include "scenes/process/EvidenceCell.h"
#include "scenes/process/EvidencePhotos.h"
#include "scenes/process/ProcessStepsCell.h"
#include "scenes/process/StepThreeTableViewController.h"
#include "ui/AlertController.h"
#include "ui/NavigationController.h"
#include "ui/Nib.h"

namespace instala {
namespace {

constexpr int kRows = 8;
constexpr int kFirstPhotoRow = 1;
constexpr int kVideoRow = 6;
constexpr int kButtonRow = 7;

}  // namespace

void StepTwoTableViewController::viewDidLoad() {
  Super::viewDidLoad();
  hideKeyboardWhenTappedAround(*this);
  auto table = tableView();
  for (const auto& name : {identifier<ProcessStepsCell>(), identifier<EvidenceCell>(), identifier<CustomButtonCell>()}) {
    table->registerNib(ui::Nib::named(name), name);
  }
}

int StepTwoTableViewController::numberOfRowsInSection(ui::TableView&, int) { return kRows; }

double StepTwoTableViewController::heightForRowAtIndexPath(ui::TableView&, ui::IndexPath indexPath) {
  if (indexPath.row == 0) return 100;
  if (indexPath.row == kButtonRow) return 90;
  return 220;
}

std::shared_ptr<ui::TableViewCell> StepTwoTableViewController::cellForRowAtIndexPath(ui::TableView& tableView,
                                                                                   ui::IndexPath indexPath) {
  const int row = indexPath.row;
  std::weak_ptr<StepTwoTableViewController> weakSelf = sharedAs<StepTwoTableViewController>();
  if (row == 0) {
    auto cell = std::dynamic_pointer_cast<ProcessStepsCell>(
        tableView.dequeueReusableCell(identifier<ProcessStepsCell>(), indexPath));
    if (!cell) return std::make_shared<ui::TableViewCell>();
    cell->showProgress(2);
    return cell;
  }
  if (row >= kFirstPhotoRow && row <= kVideoRow) {
    auto cell =
        std::dynamic_pointer_cast<EvidenceCell>(tableView.dequeueReusableCell(identifier<EvidenceCell>(), indexPath));
    if (!cell) return std::make_shared<ui::TableViewCell>();
    const bool isVideo = row == kVideoRow;
    const int slot = row - kFirstPhotoRow;
    const bool taken = isVideo ? videoURL.has_value() : imagesTaked[static_cast<std::size_t>(slot)].has_value();
    if (auto icon = cell->fileIcon.lock()) {
      icon->setImage(ui::Image::named(taken ? "check_icon" : isVideo ? "Video icon" : "icon camera"));
    }
    cell->buttonAction = [weakSelf, isVideo, slot] {
      auto self = weakSelf.lock();
      if (!self) return;
      if (isVideo) {
        self->recordVideo();
      } else {
        self->takePhoto(slot);
      }
    };
    return cell;
  }
  if (row == kButtonRow) {
    auto cell = std::dynamic_pointer_cast<CustomButtonCell>(
        tableView.dequeueReusableCell(identifier<CustomButtonCell>(), indexPath));
    if (!cell) return std::make_shared<ui::TableViewCell>();
    cell->buttonAction = [weakSelf] {
      if (auto self = weakSelf.lock()) self->next();
    };
    return cell;
  }
  return std::make_shared<ui::TableViewCell>();
}

void StepTwoTableViewController::prepareForSegue(ui::StoryboardSegue& segue, ui::Object*) {
  if (segue.identifier() != "toStep3") return;
  if (auto step = std::dynamic_pointer_cast<StepThreeTableViewController>(segue.destinationViewController())) {
    step->ticket = ticket;
  }
}

void StepTwoTableViewController::openCamera(std::shared_ptr<ui::ImagePickerController> picker) {
  imagePicker = std::move(picker);
  imagePicker->setDelegate(sharedAs<StepTwoTableViewController>());
  imagePicker->setSourceType(ui::ImagePickerController::SourceType::camera);
  present(imagePicker, true);
}

void StepTwoTableViewController::takePhoto(int slot) {
  if (slot < 0 || slot >= kEvidencePhotoSlots) return;
  imageIndex = slot;
  openCamera(std::make_shared<ui::ImagePickerController>());
}

void StepTwoTableViewController::recordVideo() {
  auto picker = std::make_shared<ui::ImagePickerController>();
  picker->setMediaTypes({ui::mediaTypeMovie});
  openCamera(std::move(picker));
}

void StepTwoTableViewController::imagePickerControllerDidFinishPickingMedia(ui::ImagePickerController& picker,
                                                                            const ui::ImagePickerMediaInfo& info) {
  if (imagePicker) {
    imagePicker->dismiss(true);
  } else {
    picker.dismiss(true);
  }
  if (info.mediaURL) {
    storeVideo(*info.mediaURL);
    reloadSoon();
  } else if (info.originalImage) {
    savePhoto(imageIndex, *info.originalImage);
  }
  showSaveFailureWhenPossible();
}

void StepTwoTableViewController::imagePickerControllerDidCancel(ui::ImagePickerController& picker) {
  ImagePickerControllerDelegate::imagePickerControllerDidCancel(picker);
  showSaveFailureWhenPossible();
}

void StepTwoTableViewController::storeVideo(const std::filesystem::path& video) {
  auto& preferences = platform::Preferences::standard();
  const auto previous = preferences.objectForKey(kVideoPreferenceKey);
  if (!preferences.setObject(video.string(), kVideoPreferenceKey)) {
    videoURL = video;
    return;
  }
  // Not on disk: step three must not find it in memory either.
  if (previous) {
    preferences.setObject(*previous, kVideoPreferenceKey);
  } else {
    preferences.removeObjectForKey(kVideoPreferenceKey);
  }
  saveFailureToShow_ = true;
}

void StepTwoTableViewController::savePhoto(int slot, ui::Image photo) {
  // The encoding queue keeps the JPEG encoding and the disk off the main
  // thread; counting the save as the session's work makes headless drivers
  // ("wait") wait for it like for an exchange.
  auto& session = Session::shared();
  session.beginWork();
  ++photoSavesUnderWay_;
  std::weak_ptr<StepTwoTableViewController> weakSelf = sharedAs<StepTwoTableViewController>();
  session.encodingQueue().async([weakSelf, slot, photo = std::move(photo), &session] {
    const bool stored = !Utils::saveImage(evidencePhotoName(slot), photo);
    platform::RunLoop::main().async([weakSelf, slot, photo, stored, &session] {
      session.endWork();
      if (auto self = weakSelf.lock()) self->photoSaveEnded(slot, photo, stored);
    });
  });
}

void StepTwoTableViewController::photoSaveEnded(int slot, ui::Image photo, bool stored) {
  --photoSavesUnderWay_;
  if (stored) {
    imagesTaked[static_cast<std::size_t>(slot)] = std::move(photo);
    reloadSoon();
  } else {
    saveFailureToShow_ = true;
    nextWhenSaved_ = false;
  }
  showSaveFailureWhenPossible();
  if (nextWhenSaved_ && photoSavesUnderWay_ == 0) {
    nextWhenSaved_ = false;
    if (isOnTop()) performSegue("toStep3", nullptr);
  }
}

void StepTwoTableViewController::reloadSoon() {
  std::weak_ptr<StepTwoTableViewController> weakSelf = sharedAs<StepTwoTableViewController>();
  platform::RunLoop::main().async([weakSelf] {
    auto self = weakSelf.lock();
    if (self && self->isViewLoaded()) self->tableView()->reloadData();
  });
}

bool StepTwoTableViewController::isOnTop() const {
  const auto* navigation = navigationController();
  return navigation && navigation->topViewController().get() == this;
}

void StepTwoTableViewController::showSaveFailureWhenPossible() {
  if (!saveFailureToShow_ || !isOnTop()) return;
  const auto presented = presentedViewController();
  // The camera is still open: the alert follows when it closes.
  if (presented && !std::dynamic_pointer_cast<ui::AlertController>(presented)) return;
  saveFailureToShow_ = false;
  // An alert already up says the same.
  if (!presented) showAlert(*this, kSaveFailedMessage, std::nullopt, std::nullopt, "Aceptar");
}

void StepTwoTableViewController::next() {
  // Step three reads the photos from disk: never before their saves have ended.
  if (photoSavesUnderWay_ > 0) {
    nextWhenSaved_ = true;
    return;
  }
  performSegue("toStep3", nullptr);
}

}  // namespace instala
