#include "scenes/tickets/ClosedTableViewController.h"

#include "networking/ServerAPI.h"

namespace instala {

void ClosedTableViewController::requestTickets(const std::string& token, RequestCompletion<Tickets> completion) {
  ServerAPI().closedTickets(token, std::move(completion));
}

}  // namespace instala
