#include "scenes/tickets/TicketListTableViewController.h"

#include "common/Identifier.h"
#include "common/ShowAlert.h"
#include "common/Utils.h"
#include "platform/Preferences.h"
#include "scenes/details/DetailsTableViewController.h"
#include "scenes/tickets/TicketCell.h"
#include "ui/Nib.h"

namespace instala {

void TicketListTableViewController::viewDidLoad() {
  ui::TableViewController::viewDidLoad();
  tableView()->registerNib(ui::Nib::named(identifier<TicketCell>()), identifier<TicketCell>());
  shortDateMaking_ = ShortTicketDate::makeInBackground();
  const std::string token = platform::Preferences::standard().stringForKey("token").value_or("");
  std::weak_ptr<TicketListTableViewController> weakSelf = sharedAs<TicketListTableViewController>();
  requestTickets(token, [weakSelf](std::optional<RequestError>, std::optional<Tickets> list, std::optional<int> status) {
    if (auto self = weakSelf.lock()) self->listDidArrive(std::move(list), status);
  });
}

void TicketListTableViewController::listDidArrive(std::optional<Tickets> list, std::optional<int> status) {
  if (status == 422) {
    signOutLocally();
  } else if (status == 200) {
    tickets = std::move(list);
    tableView()->reloadData();
  } else {
    showAlert(*this, kServerErrorTitle, std::nullopt, std::nullopt, "Aceptar");
  }
}

void TicketListTableViewController::signOutLocally() {
  platform::Preferences::standard().setObject(std::string(), "token");
  Utils::changeRootViewController("LoginViewController");
}

const Ticket* TicketListTableViewController::ticketAt(int row) const {
  if (!tickets || !tickets->tickets() || row < 0) return nullptr;
  const auto& list = *tickets->tickets();
  return static_cast<std::size_t>(row) < list.size() ? &list[static_cast<std::size_t>(row)] : nullptr;
}

int TicketListTableViewController::numberOfRowsInSection(ui::TableView&, int) {
  if (!tickets || !tickets->tickets()) return 0;
  return static_cast<int>(tickets->tickets()->size());
}

std::shared_ptr<ui::TableViewCell> TicketListTableViewController::cellForRowAtIndexPath(ui::TableView& tableView,
                                                                                        ui::IndexPath indexPath) {
  auto cell = std::dynamic_pointer_cast<TicketCell>(tableView.dequeueReusableCell(identifier<TicketCell>(), indexPath));
  const Ticket* ticket = ticketAt(indexPath.row);
  if (!cell || !ticket) return std::make_shared<ui::TableViewCell>();
  if (!shortDate_) shortDate_.emplace(shortDateMaking_.valid() ? shortDateMaking_.get() : ShortTicketDate());
  cell->fill(*ticket, *shortDate_);
  return cell;
}

void TicketListTableViewController::didSelectRowAtIndexPath(ui::TableView&, ui::IndexPath indexPath) {
  const Ticket* ticket = ticketAt(indexPath.row);
  if (!ticket) return;
  selectedTicket = *ticket;
  performSegue(detailsSegueIdentifier(), this);
}

void TicketListTableViewController::prepareForSegue(ui::StoryboardSegue& segue, ui::Object*) {
  if (segue.identifier() != detailsSegueIdentifier()) return;
  if (auto details = std::dynamic_pointer_cast<DetailsTableViewController>(segue.destinationViewController())) {
    details->ticket = selectedTicket;
    details->isClosed = listsClosedTickets();
  }
}

}  // namespace instala
