#pragma once
// One ticket, read-only, in a one-row table. For an active ticket the
// navigation bar offers the check-in button, whose transition (wired in the
// storyboard) leads to the check-in screen with a copy of the ticket.

#include "models/Ticket.h"
#include "ui/BarButtonItem.h"
#include "ui/ClassRegistry.h"
#include "ui/TableViewController.h"

#include <memory>
#include <optional>

namespace instala {

class DetailsTableViewController : public ui::TableViewController {
 public:
  using Super = ui::TableViewController;

  std::weak_ptr<ui::BarButtonItem> checkInItemButton;
  // Set by the opening list before the transition; never changed here.
  std::optional<Ticket> ticket;
  std::optional<bool> isClosed;

  // Registers the row and decides once whether the check-in button shows:
  // only when isClosed holds false.
  void viewDidLoad() override;

  int numberOfRowsInSection(ui::TableView&, int) override { return 1; }
  std::shared_ptr<ui::TableViewCell> cellForRowAtIndexPath(ui::TableView& tableView, ui::IndexPath indexPath) override;
  double heightForRowAtIndexPath(ui::TableView&, ui::IndexPath) override { return ui::automaticDimension; }

  // The check-in button's transition is wired in the storyboard; this action does nothing.
  void goToProcess(ui::Object*) {}
  // Every transition leaving this screen hands a copy of the ticket to its
  // destination (the check-in screen), when that is a TicketReceiver.
  void prepareForSegue(ui::StoryboardSegue& segue, ui::Object* sender) override;

  static void describe(ui::ClassDescription<DetailsTableViewController>& d);
};

}  // namespace instala
