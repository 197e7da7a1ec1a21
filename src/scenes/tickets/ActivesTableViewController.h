#pragma once
// The active tickets tab: the shared ticket list fed by "activeTickets",
// opening details through "toDetails" with the check-in button, plus the
// sign-out behind a confirmation. The tab's badge counts the services still
// in the outbox (none when it is empty).

#include "models/User.h"
#include "outbox/Outbox.h"
#include "scenes/tickets/TicketListTableViewController.h"
#include "ui/ClassRegistry.h"

namespace instala {

class ActivesTableViewController : public TicketListTableViewController {
 public:
  // The registry sees the toolkit's table screen as the superclass: the shared list adds no outlets or actions.
  using Super = ui::TableViewController;

  // The outbox whose services the badge counts; null means the application's.
  std::shared_ptr<outbox::Outbox> outbox;

  void viewDidLoad() override;
  // Asks "Cerrar sesión"; on "Aceptar" sends the sign-out with the token read at the tap.
  void singOutButtonHandler(ui::Object* sender);

  static void describe(ui::ClassDescription<ActivesTableViewController>& d);

 protected:
  void requestTickets(const std::string& token, RequestCompletion<Tickets> completion) override;
  std::string detailsSegueIdentifier() const override { return "toDetails"; }
  bool listsClosedTickets() const override { return false; }

 private:
  void signOutDidComplete(std::optional<int> status);
  void updateBadge();

  outbox::Outbox::Subscription subscription_;
};

}  // namespace instala
