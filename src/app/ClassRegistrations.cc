#include "app/ClassRegistrations.h"

#include "common/CustomButtonCell.h"
#include "common/UnderlineTextField.h"
#include "scenes/authentication/AuthenticationRouter.h"
#include "scenes/authentication/AuthenticationViewController.h"
#include "scenes/authentication/LoginViewController.h"
#include "scenes/details/DetailsTableViewController.h"
#include "scenes/details/DocumentCell.h"
#include "scenes/details/TicketDetailCell.h"
#include "scenes/tickets/ActivesTableViewController.h"
#include "scenes/tickets/ClosedTableViewController.h"
#include "scenes/tickets/SearchTableViewController.h"
#include "scenes/tickets/SearchTextFieldCell.h"
#include "scenes/tickets/TicketCell.h"
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

  registry.add<LoginViewController>();
  registry.add<AuthenticationViewController>();
  registry.add<AuthenticationRouter>();
  registry.add<ActivesTableViewController>();
  registry.add<ClosedTableViewController>();
  registry.add<SearchTableViewController>();
  registry.add<DetailsTableViewController>();
  registry.addPlaceholder<ui::TableViewController>("CheckInTableViewController");
  registry.addPlaceholder<ui::TableViewController>("StepOneTableViewController");
  registry.addPlaceholder<ui::TableViewController>("StepTwoTableViewController");
  registry.addPlaceholder<ui::TableViewController>("StepThreeTableViewController");

  registry.add<TicketCell>();
  registry.add<TicketDetailCell>();
  registry.add<SearchTextFieldCell>();
  registry.add<DocumentCell>();
  registry.addPlaceholder<ui::TableViewCell>("EvidenceCell");
  registry.addPlaceholder<ui::TableViewCell>("CheckInCell");
  registry.addPlaceholder<ui::TableViewCell>("ProcessStepsCell");
  registry.addPlaceholder<ui::TableViewCell>("ProcessElementCell");
  registry.addPlaceholder<ui::TableViewCell>("ProcessKilometersCell");
}

}  // namespace instala
