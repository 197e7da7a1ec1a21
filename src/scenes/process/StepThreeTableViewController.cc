#include "scenes/process/StepThreeTableViewController.h"

#include "common/CustomButtonCell.h"
#include "common/KeyboardDismissal.h"
#include "common/ShowAlert.h"
#include "common/Utils.h"
#include "networking/UploadRequest.h"
#include "platform/Preferences.h"
#include "scenes/process/ChecklistRows.h"
#include "scenes/process/EvidencePhotos.h"
#include "scenes/process/ProcessStepsCell.h"
#include "scenes/process/StepOneTableViewController.h"

#include <nlohmann/json.hpp>

#include <array>
#include <future>
#include <iostream>

namespace instala {
namespace {

// "image" for slot 0, then "image2" … "image5".
std::string photoPartName(int slot) { return slot == 0 ? "image" : "image" + std::to_string(slot + 1); }

// The stored photo of a slot as the upload sends it; nothing when the slot has
// no readable photo or it cannot be encoded again.
std::optional<platform::Bytes> uploadPhoto(int slot) {
  auto photo = Utils::loadImage(evidencePhotoName(slot));
  if (!photo) return std::nullopt;
  return photo->jpegRepresentation(StepThreeTableViewController::kUploadPhotoQuality);
}

}  // namespace

void StepThreeTableViewController::viewDidLoad() {
  Super::viewDidLoad();
  hideKeyboardWhenTappedAround(*this);
  registerChecklistNibs(*tableView());
}

int StepThreeTableViewController::numberOfRowsInSection(ui::TableView&, int) { return kChecklistScreenRows; }

double StepThreeTableViewController::heightForRowAtIndexPath(ui::TableView&, ui::IndexPath indexPath) {
  return checklistRowHeight(indexPath.row);
}

std::shared_ptr<ui::TableViewCell> StepThreeTableViewController::cellForRowAtIndexPath(ui::TableView& tableView,
                                                                                     ui::IndexPath indexPath) {
  const int row = indexPath.row;
  if (row == kStepsRow) {
    auto cell = std::dynamic_pointer_cast<ProcessStepsCell>(
        tableView.dequeueReusableCell(identifier<ProcessStepsCell>(), indexPath));
    if (!cell) return std::make_shared<ui::TableViewCell>();
    cell->showProgress(3);
    return cell;
  }
  if (row == kKilometersRow) return kilometersCell(*this, &StepThreeTableViewController::finalData, tableView, indexPath);
  if (row == kChecklistButtonRow) {
    auto cell = std::dynamic_pointer_cast<CustomButtonCell>(
        tableView.dequeueReusableCell(identifier<CustomButtonCell>(), indexPath));
    if (!cell) return std::make_shared<ui::TableViewCell>();
    if (auto button = cell->customButton.lock()) button->setTitle("Finalizar", ui::ControlState::normal);
    std::weak_ptr<StepThreeTableViewController> weakSelf = sharedAs<StepThreeTableViewController>();
    cell->buttonAction = [weakSelf] {
      if (auto self = weakSelf.lock()) self->submitProcess();
    };
    return cell;
  }
  if (row > kKilometersRow && row < kChecklistButtonRow) {
    return checklistItemCell(*this, &StepThreeTableViewController::finalData, tableView, indexPath);
  }
  return std::make_shared<ui::TableViewCell>();
}

std::optional<ProcessData> StepThreeTableViewController::loadInitialData() {
  auto bytes = platform::Preferences::standard().dataForKey(StepOneTableViewController::kDataElementsKey);
  if (!bytes) return std::nullopt;
  auto record = ProcessData::decodeBytes(*bytes);
  if (!record) return std::nullopt;
  return std::move(record).value();
}

SubmissionFields StepThreeTableViewController::submissionFields() const {
  return instala::submissionFields(ticket, loadInitialData(), finalData);
}

SubmissionSnapshot StepThreeTableViewController::snapshot() const {
  const auto& preferences = platform::Preferences::standard();
  SubmissionSnapshot snapshot;
  snapshot.ticket = ticket;
  snapshot.initialData = loadInitialData();
  snapshot.finalData = finalData;
  snapshot.token = preferences.stringForKey("token").value_or("");
  if (auto video = preferences.stringForKey(kVideoPreferenceKey)) snapshot.videoPath = std::filesystem::path(*video);
  return snapshot;
}

void StepThreeTableViewController::appendSubmissionParts(MultipartFormData& form, const SubmissionSnapshot& snapshot) {
  for (const auto& [name, value] : instala::submissionFields(snapshot.ticket, snapshot.initialData, snapshot.finalData)) {
    form.addDataPart(submissionText(value), name);
  }
  // The photos are decoded and encoded again side by side; the parts keep their order.
  std::array<std::future<std::optional<platform::Bytes>>, kEvidencePhotoSlots> photos;
  for (int slot = 0; slot < kEvidencePhotoSlots; ++slot) {
    photos[static_cast<std::size_t>(slot)] = std::async(std::launch::async, uploadPhoto, slot);
  }
  for (int slot = 0; slot < kEvidencePhotoSlots; ++slot) {
    const std::string name = photoPartName(slot);
    if (auto bytes = photos[static_cast<std::size_t>(slot)].get()) {
      form.addFilePart(*bytes, name, name, "image/png");
    } else {
      form.addDataPart(std::string(), name);
    }
  }
  if (snapshot.videoPath) form.addFileURLPart(*snapshot.videoPath, "video");
}

void StepThreeTableViewController::submitProcess() {
  if (state_ != SubmissionState::idle) return;
  state_ = SubmissionState::building;
  auto api = serverAPI ? serverAPI : std::make_shared<const ServerAPI>();
  auto taken = snapshot();
  const std::string token = taken.token;
  std::weak_ptr<StepThreeTableViewController> weakSelf = sharedAs<StepThreeTableViewController>();
  api->postData(
      token, [taken = std::move(taken)](MultipartFormData& form) { appendSubmissionParts(form, taken); },
      [weakSelf](const MultipartFormDataEncodingResult& result) {
        auto self = weakSelf.lock();
        if (!self) return;
        if (!result.isSuccess()) {
          self->submissionFailed();
          return;
        }
        self->state_ = SubmissionState::uploading;
        result.request
            ->uploadProgress([weakSelf](const UploadProgress& progress) {
              std::cout << "IN PROGRESS" << std::endl;
              if (auto self = weakSelf.lock()) self->uploadProgress_ = progress;
            })
            .responseJSON([weakSelf](std::optional<RequestError>, std::optional<Json> value, std::optional<int> status) {
              auto self = weakSelf.lock();
              if (!self) return;
              if (value && status && *status >= 200 && *status < 300) {
                self->submissionSucceeded();
              } else {
                self->submissionFailed();
              }
            });
      });
}

void StepThreeTableViewController::submissionFailed() {
  state_ = SubmissionState::idle;
  uploadProgress_.reset();
  showAlert(*this, std::string(kFailureMessage), std::nullopt, std::nullopt, "Aceptar");
}

void StepThreeTableViewController::submissionSucceeded() {
  state_ = SubmissionState::idle;
  uploadProgress_.reset();
  performSegue("toHomeFromFinish", nullptr);
}

}  // namespace instala
