#include "app/ClassRegistrations.h"

#include "common/CustomButtonCell.h"
#include "common/UnderlineTextField.h"
#include "scenes/checkin/CheckInCell.h"
#include "scenes/checkin/CheckInTableViewController.h"
#include "scenes/process/EvidenceCell.h"
#include "scenes/process/ProcessElementCell.h"
#include "scenes/process/ProcessKilometersCell.h"
#include "scenes/process/ProcessStepsCell.h"
#include "scenes/process/StepOneTableViewController.h"
#include "scenes/process/StepThreeTableViewController.h"
#include "scenes/process/StepTwoTableViewController.h"
#include "ui/ClassRegistry.h"
#include "ui/TableViewCell.h"
#include "ui/TableViewController.h"

namespace instala {

void registerApplicationClasses() {
  auto& registry = ui::ClassRegistry::shared();
  // One line per class. A screen or row view that is not built yet stands in as
  // a placeholder of its toolkit base; replace its line by registry.add<Class>().
  registry.add<UnderlineTextField>();
  registry.add<CustomButtonCell>();

  registry.addPlaceholder<ui::ViewController>("LoginViewController");
  registry.addPlaceholder<ui::ViewController>("AuthenticationViewController");
  registry.addPlaceholder<ui::TableViewController>("ActivesTableViewController");
  registry.addPlaceholder<ui::TableViewController>("ClosedTableViewController");
  registry.addPlaceholder<ui::TableViewController>("SearchTableViewController");
  registry.addPlaceholder<ui::TableViewController>("DetailsTableViewController");
  registry.add<CheckInTableViewController>();
  registry.add<StepOneTableViewController>();
  registry.add<StepTwoTableViewController>();
  registry.add<StepThreeTableViewController>();

  registry.addPlaceholder<ui::TableViewCell>("TicketCell");
  registry.addPlaceholder<ui::TableViewCell>("TicketDetailCell");
  registry.addPlaceholder<ui::TableViewCell>("SearchTextFieldCell");
  registry.addPlaceholder<ui::TableViewCell>("DocumentCell");
  registry.add<EvidenceCell>();
  registry.add<CheckInCell>();
  registry.add<ProcessStepsCell>();
  registry.add<ProcessElementCell>();
  registry.add<ProcessKilometersCell>();
}

}  // namespace instala
