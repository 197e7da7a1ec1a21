#include "app/ClassRegistrations.h"

#include "common/CustomButtonCell.h"
#include "common/UnderlineTextField.h"
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
  registry.addPlaceholder<ui::TableViewController>("CheckInTableViewController");
  registry.addPlaceholder<ui::TableViewController>("StepOneTableViewController");
  registry.addPlaceholder<ui::TableViewController>("StepTwoTableViewController");
  registry.addPlaceholder<ui::TableViewController>("StepThreeTableViewController");

  registry.addPlaceholder<ui::TableViewCell>("TicketCell");
  registry.addPlaceholder<ui::TableViewCell>("TicketDetailCell");
  registry.addPlaceholder<ui::TableViewCell>("SearchTextFieldCell");
  registry.addPlaceholder<ui::TableViewCell>("DocumentCell");
  registry.addPlaceholder<ui::TableViewCell>("EvidenceCell");
  registry.addPlaceholder<ui::TableViewCell>("CheckInCell");
  registry.addPlaceholder<ui::TableViewCell>("ProcessStepsCell");
  registry.addPlaceholder<ui::TableViewCell>("ProcessElementCell");
  registry.addPlaceholder<ui::TableViewCell>("ProcessKilometersCell");
}

}  // namespace instala
