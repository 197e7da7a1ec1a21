#include "scenes/details/DetailsTableViewController.h"

#include "common/Identifier.h"
#include "scenes/details/TicketDetailCell.h"
#include "scenes/details/TicketReceiver.h"
#include "ui/Nib.h"

namespace instala {

void DetailsTableViewController::viewDidLoad() {
  ui::TableViewController::viewDidLoad();
  tableView()->registerNib(ui::Nib::named(identifier<TicketDetailCell>()), identifier<TicketDetailCell>());
  navigationItem().rightBarButtonItem = isClosed == false ? checkInItemButton.lock() : nullptr;
}

std::shared_ptr<ui::TableViewCell> DetailsTableViewController::cellForRowAtIndexPath(ui::TableView& tableView,
                                                                                     ui::IndexPath indexPath) {
  auto cell = std::dynamic_pointer_cast<TicketDetailCell>(
      tableView.dequeueReusableCell(identifier<TicketDetailCell>(), indexPath));
  if (!cell) return std::make_shared<ui::TableViewCell>();
  cell->fill(ticket ? &*ticket : nullptr);
  return cell;
}

void DetailsTableViewController::prepareForSegue(ui::StoryboardSegue& segue, ui::Object*) {
  // No identifier is tested: every transition from here leads to the check-in screen.
  if (auto* receiver = dynamic_cast<TicketReceiver*>(segue.destinationViewController().get())) {
    receiver->receiveTicket(ticket);
  }
}

void DetailsTableViewController::describe(ui::ClassDescription<DetailsTableViewController>& d) {
  d.outlet("checkInItemButton", &DetailsTableViewController::checkInItemButton)
      .action("goToProcess:", &DetailsTableViewController::goToProcess);
}

}  // namespace instala
