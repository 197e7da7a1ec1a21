#include "scenes/process/StepOneTableViewController.h"

#include "common/CustomButtonCell.h"
#include "common/KeyboardDismissal.h"
#include "common/Utils.h"
#include "platform/Preferences.h"
#include "scenes/process/ChecklistRows.h"
#include "scenes/process/EvidencePhotos.h"
#include "scenes/process/ProcessStepsCell.h"
#include "scenes/process/ServiceKey.h"
#include "scenes/process/StepTwoTableViewController.h"

namespace instala {

void StepOneTableViewController::viewDidLoad() {
  Super::viewDidLoad();
  hideKeyboardWhenTappedAround(*this);
  registerChecklistNibs(*tableView());
  Utils::clearPreferences();
  startServiceKey();
  // Photos of an earlier process would otherwise be sent as this vehicle's evidence. A service
  // already tapped keeps its own copies in the outbox.
  for (int slot = 0; slot < kEvidencePhotoSlots; ++slot) Utils::removeImage(evidencePhotoName(slot));
}

int StepOneTableViewController::numberOfRowsInSection(ui::TableView&, int) { return kChecklistScreenRows; }

double StepOneTableViewController::heightForRowAtIndexPath(ui::TableView&, ui::IndexPath indexPath) {
  return checklistRowHeight(indexPath.row);
}

std::shared_ptr<ui::TableViewCell> StepOneTableViewController::cellForRowAtIndexPath(ui::TableView& tableView,
                                                                                   ui::IndexPath indexPath) {
  const int row = indexPath.row;
  if (row == kStepsRow) {
    auto cell = tableView.dequeueReusableCell(identifier<ProcessStepsCell>(), indexPath);
    return cell ? cell : std::make_shared<ui::TableViewCell>();
  }
  if (row == kKilometersRow) return kilometersCell(*this, &StepOneTableViewController::data, tableView, indexPath);
  if (row == kChecklistButtonRow) {
    auto cell = std::dynamic_pointer_cast<CustomButtonCell>(
        tableView.dequeueReusableCell(identifier<CustomButtonCell>(), indexPath));
    if (!cell) return std::make_shared<ui::TableViewCell>();
    std::weak_ptr<StepOneTableViewController> weakSelf = sharedAs<StepOneTableViewController>();
    cell->buttonAction = [weakSelf] {
      if (auto self = weakSelf.lock()) self->next();
    };
    return cell;
  }
  if (row > kKilometersRow && row < kChecklistButtonRow) {
    return checklistItemCell(*this, &StepOneTableViewController::data, tableView, indexPath);
  }
  return std::make_shared<ui::TableViewCell>();
}

void StepOneTableViewController::prepareForSegue(ui::StoryboardSegue& segue, ui::Object*) {
  if (segue.identifier() != "toStep2") return;
  if (auto step = std::dynamic_pointer_cast<StepTwoTableViewController>(segue.destinationViewController())) {
    step->ticket = ticket;
  }
}

void StepOneTableViewController::saveInitialData() {
  auto& preferences = platform::Preferences::standard();
  auto bytes = data ? data->encodeBytes() : std::nullopt;
  if (bytes) {
    preferences.setObject(std::move(*bytes), kDataElementsKey);
  } else {
    preferences.removeObjectForKey(kDataElementsKey);
  }
}

void StepOneTableViewController::next() {
  saveInitialData();
  performSegue("toStep2", nullptr);
}

}  // namespace instala
