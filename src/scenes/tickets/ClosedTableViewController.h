#pragma once
// The closed tickets tab: the shared ticket list fed by "closedTickets",
// opening details through "toDetails2" as closed (no check-in button).

#include "scenes/tickets/TicketListTableViewController.h"

namespace instala {

class ClosedTableViewController : public TicketListTableViewController {
 public:
  // The registry sees the toolkit's table screen as the superclass: the shared list adds no outlets or actions.
  using Super = ui::TableViewController;

 protected:
  void requestTickets(const std::string& token, RequestCompletion<Tickets> completion) override;
  std::string detailsSegueIdentifier() const override { return "toDetails2"; }
  bool listsClosedTickets() const override { return true; }
};

}  // namespace instala
