#pragma once
// What the active and the closed lists share: one list request when the view
// loads, the answer handling (200 replaces the list, 422 signs out locally,
// anything else raises the alert), the ticket rows, and the hand-over of the
// tapped ticket to the details screen. A list names its request, its
// transition and whether its tickets are closed.

#include "models/Tickets.h"
#include "networking/RequestLayer.h"
#include "scenes/tickets/TicketText.h"
#include "ui/TableViewController.h"

#include <future>
#include <optional>
#include <string>

namespace instala {

class TicketListTableViewController : public ui::TableViewController {
 public:
  static constexpr const char* kServerErrorTitle = "Error en servidor. Intentarlo nuevamente.";

  // The last list received; absent until a 200 answer that decodes arrives.
  std::optional<Tickets> tickets;
  // The ticket of the last tapped row.
  std::optional<Ticket> selectedTicket;

  // Registers the ticket row, then sends the list request (once per screen).
  void viewDidLoad() override;

  int numberOfRowsInSection(ui::TableView&, int) override;
  std::shared_ptr<ui::TableViewCell> cellForRowAtIndexPath(ui::TableView& tableView, ui::IndexPath indexPath) override;
  double heightForRowAtIndexPath(ui::TableView&, ui::IndexPath) override { return ui::automaticDimension; }
  void didSelectRowAtIndexPath(ui::TableView&, ui::IndexPath indexPath) override;
  void prepareForSegue(ui::StoryboardSegue& segue, ui::Object* sender) override;

  // The token emptied (the key stays) and the whole hierarchy replaced by the login screen.
  static void signOutLocally();

 protected:
  // Sends this list's request with the stored token.
  virtual void requestTickets(const std::string& token, RequestCompletion<Tickets> completion) = 0;
  // The transition to the details screen.
  virtual std::string detailsSegueIdentifier() const = 0;
  // What the details screen is told about the tickets of this list.
  virtual bool listsClosedTickets() const = 0;

  const Ticket* ticketAt(int row) const;

 private:
  void listDidArrive(std::optional<Tickets> list, std::optional<int> status);

  // One pair of date formatters for every row, made while the list is on its way.
  std::future<ShortTicketDate> shortDateMaking_;
  std::optional<ShortTicketDate> shortDate_;
};

}  // namespace instala
