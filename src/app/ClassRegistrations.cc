#include "app/ClassRegistrations.h"

#include "common/CustomButtonCell.h"
#include "common/UnderlineTextField.h"
#include "scenes/authentication/AuthenticationRouter.h"
#include "scenes/authentication/AuthenticationViewController.h"
#include "scenes/authentication/LoginViewController.h"
#include "scenes/checkin/CheckInCell.h"
#include "scenes/checkin/CheckInTableViewController.h"
#include "scenes/details/DetailsTableViewController.h"
#include "scenes/details/DocumentCell.h"
#include "scenes/details/TicketDetailCell.h"
#include "scenes/process/EvidenceCell.h"
#include "scenes/process/ProcessElementCell.h"
#include "scenes/process/ProcessKilometersCell.h"
#include "scenes/process/ProcessStepsCell.h"
#include "scenes/process/StepOneTableViewController.h"
#include "scenes/process/StepThreeTableViewController.h"
#include "scenes/process/StepTwoTableViewController.h"
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
  registry.add<CheckInTableViewController>();
  registry.add<StepOneTableViewController>();
  registry.add<StepTwoTableViewController>();
  registry.add<StepThreeTableViewController>();

  registry.add<TicketCell>();
  registry.add<TicketDetailCell>();
  registry.add<SearchTextFieldCell>();
  registry.add<DocumentCell>();
  registry.add<EvidenceCell>();
  registry.add<CheckInCell>();
  registry.add<ProcessStepsCell>();
  registry.add<ProcessElementCell>();
  registry.add<ProcessKilometersCell>();
}

}  // namespace instala
