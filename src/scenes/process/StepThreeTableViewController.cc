#include "scenes/process/StepThreeTableViewController.h"

#include "common/CustomButtonCell.h"
#include "common/KeyboardDismissal.h"
#include "common/ShowAlert.h"
#include "outbox/OutboxProvider.h"
#include "platform/Paths.h"
#include "platform/Preferences.h"
#include "scenes/process/ChecklistRows.h"
#include "scenes/process/EvidencePhotos.h"
#include "scenes/process/ProcessStepsCell.h"
#include "scenes/process/ServiceKey.h"
#include "scenes/process/StepOneTableViewController.h"
#include "ui/LayoutConstraint.h"

#include <iostream>
#include <map>

namespace instala {
namespace {

// The "Cancelar" button sits in the button row's bottom margin, under the
// right end of "Finalizar", and shows only while the service is under way.
constexpr int kCancelButtonWidth = 96;
constexpr int kCancelButtonHeight = 20;

}  // namespace

void StepThreeTableViewController::viewDidLoad() {
  Super::viewDidLoad();
  hideKeyboardWhenTappedAround(*this);
  registerChecklistNibs(*tableView());
  if (auto box = currentOutbox()) {
    std::weak_ptr<StepThreeTableViewController> weakSelf = sharedAs<StepThreeTableViewController>();
    subscription_ = box->subscribe([weakSelf](const outbox::OutboxEvent& event) {
      if (auto self = weakSelf.lock()) self->outboxChanged(event);
    });
  }
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
    configureCancelButton(*cell);
    return cell;
  }
  if (row > kKilometersRow && row < kChecklistButtonRow) {
    return checklistItemCell(*this, &StepThreeTableViewController::finalData, tableView, indexPath);
  }
  return std::make_shared<ui::TableViewCell>();
}

void StepThreeTableViewController::configureCancelButton(CustomButtonCell& cell) {
  std::shared_ptr<ui::Button> cancel;
  if (auto* tagged = dynamic_cast<ui::Button*>(cell.viewWithTag(kCancelButtonTag))) {
    cancel = tagged->sharedAs<ui::Button>();
  } else {
    cancel = std::make_shared<ui::Button>(ui::Rect{0, 0, kCancelButtonWidth, kCancelButtonHeight});
    cancel->setTag(kCancelButtonTag);
    cancel->setTitle(kCancelTitle, ui::ControlState::normal);
    cancel->setTitleColor(ui::Color::named("DarkBlue"), ui::ControlState::normal);
    cancel->setFont(ui::Font::systemFont(13));
    // The row view belongs to this screen's table, so the target never changes.
    cancel->addTarget(sharedAs<StepThreeTableViewController>(), "cancelButtonHandler:",
                      ui::ControlEvent::touchUpInside);
    cell.addSubview(cancel);
    const std::map<std::string, std::shared_ptr<ui::View>> views{{"cancel", cancel}};
    for (const std::string& format : {"H:[cancel(" + std::to_string(kCancelButtonWidth) + ")]-20-|",
                                      "V:[cancel(" + std::to_string(kCancelButtonHeight) + ")]-0-|"}) {
      if (auto constraints = ui::LayoutConstraint::withVisualFormat(format, views)) cell.addConstraints(*constraints);
    }
  }
  cancel->setHidden(submissionState() == SubmissionState::idle);
}

void StepThreeTableViewController::refreshButtonRow() {
  if (!isViewLoaded()) return;
  auto cell = std::dynamic_pointer_cast<CustomButtonCell>(tableView()->cellForRow({0, kChecklistButtonRow}));
  if (cell) configureCancelButton(*cell);
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
  SubmissionSnapshot snapshot;
  snapshot.ticket = ticket;
  snapshot.initialData = loadInitialData();
  snapshot.finalData = finalData;
  if (auto video = platform::Preferences::standard().stringForKey(kVideoPreferenceKey)) {
    snapshot.videoPath = std::filesystem::path(*video);
  }
  return snapshot;
}

outbox::ServiceSubmission StepThreeTableViewController::serviceSubmission(const SubmissionSnapshot& snapshot,
                                                                          const std::string& key) {
  outbox::ServiceSubmission submission;
  submission.idempotencyKey = key;
  submission.ticketId = snapshot.ticket && snapshot.ticket->id() ? *snapshot.ticket->id() : 0;
  for (const auto& [name, value] :
       instala::submissionFields(snapshot.ticket, snapshot.initialData, snapshot.finalData)) {
    submission.fields.emplace_back(name, submissionText(value));
  }
  const auto documents = platform::Paths::documentsDirectory();
  for (int slot = 0; slot < kEvidencePhotoSlots; ++slot) {
    submission.photos[static_cast<std::size_t>(slot)] = documents / evidencePhotoName(slot);
  }
  submission.video = snapshot.videoPath;
  return submission;
}

std::shared_ptr<outbox::Outbox> StepThreeTableViewController::currentOutbox() const {
  return outbox ? outbox : outbox::applicationOutbox();
}

std::optional<outbox::EntryStatus> StepThreeTableViewController::serviceStatus() const {
  auto box = currentOutbox();
  auto key = storedServiceKey();
  if (!box || !key) return std::nullopt;
  return box->status(*key);
}

StepThreeTableViewController::SubmissionState StepThreeTableViewController::submissionState() const {
  auto status = serviceStatus();
  if (!status || status->phase == outbox::Phase::pending) return SubmissionState::idle;
  if (status->phase == outbox::Phase::sending && status->progress) return SubmissionState::uploading;
  return SubmissionState::building;
}

std::optional<UploadProgress> StepThreeTableViewController::uploadProgress() const {
  auto status = serviceStatus();
  if (!status || status->phase != outbox::Phase::sending) return std::nullopt;
  return status->progress;
}

void StepThreeTableViewController::submitProcess() {
  auto box = currentOutbox();
  if (!box) {
    std::cerr << "step three: the application has no outbox" << std::endl;
    showFailureAlert(false);
    return;
  }
  if (submissionState() != SubmissionState::idle) return;
  box->submit(serviceSubmission(snapshot(), serviceKey()));
}

void StepThreeTableViewController::cancelButtonHandler(ui::Object*) {
  auto box = currentOutbox();
  auto key = storedServiceKey();
  if (box && key) box->cancel(*key);
}

bool StepThreeTableViewController::isShown() const {
  const auto& view = viewIfLoaded();
  return view && view->window();
}

void StepThreeTableViewController::outboxChanged(const outbox::OutboxEvent& event) {
  if (!event.idempotencyKey.empty() && event.idempotencyKey != storedServiceKey()) return;
  refreshButtonRow();
  if (!event.outcome || !isShown()) return;
  if (*event.outcome == outbox::Outcome::sent) {
    performSegue("toHomeFromFinish", nullptr);
  } else if (*event.outcome == outbox::Outcome::failed && event.tapped && !presentedViewController()) {
    showFailureAlert(serviceStatus().has_value());
  }
}

// "Enviar más tarde" only when the outbox keeps the service: a snapshot that
// could not even be written leaves nothing to send later.
void StepThreeTableViewController::showFailureAlert(bool kept) {
  std::vector<std::pair<std::string, ui::AlertAction::Handler>> others;
  if (kept) {
    std::weak_ptr<StepThreeTableViewController> weakSelf = sharedAs<StepThreeTableViewController>();
    others.emplace_back(kSendLaterTitle, [weakSelf](ui::AlertAction&) {
      if (auto self = weakSelf.lock()) self->performSegue("toHomeFromFinish", nullptr);
    });
  }
  showAlert(*this, std::string(kFailureMessage), "Aceptar", nullptr, std::move(others));
}

void StepThreeTableViewController::describe(ui::ClassDescription<StepThreeTableViewController>& d) {
  d.action("cancelButtonHandler:", &StepThreeTableViewController::cancelButtonHandler);
}

}  // namespace instala
