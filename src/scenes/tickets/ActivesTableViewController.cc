#include "scenes/tickets/ActivesTableViewController.h"

#include "common/ShowAlert.h"
#include "networking/ServerAPI.h"
#include "outbox/OutboxProvider.h"
#include "platform/Preferences.h"
#include "ui/NavigationController.h"

namespace instala {

void ActivesTableViewController::viewDidLoad() {
  TicketListTableViewController::viewDidLoad();
  if (!outbox) outbox = outbox::applicationOutbox();
  if (!outbox) return;
  std::weak_ptr<ActivesTableViewController> weakSelf = sharedAs<ActivesTableViewController>();
  subscription_ = outbox->subscribe([weakSelf](const outbox::OutboxEvent&) {
    if (auto self = weakSelf.lock()) self->updateBadge();
  });
  updateBadge();
}

// The badge belongs to the tab's item, which is the navigation controller's when there is one.
void ActivesTableViewController::updateBadge() {
  ui::ViewController* tab = navigationController();
  if (!tab) tab = this;
  const std::size_t pending = outbox ? outbox->pendingCount() : 0;
  tab->tabBarItem().badgeValue = pending ? std::optional<std::string>(std::to_string(pending)) : std::nullopt;
}

void ActivesTableViewController::requestTickets(const std::string& token, RequestCompletion<Tickets> completion) {
  ServerAPI().activeTickets(token, std::move(completion));
}

void ActivesTableViewController::singOutButtonHandler(ui::Object*) {
  const std::string token = platform::Preferences::standard().stringForKey("token").value_or("");
  std::weak_ptr<ActivesTableViewController> weakSelf = sharedAs<ActivesTableViewController>();
  auto confirmed = [weakSelf, token](ui::AlertAction&) {
    ServerAPI().signOut(token, [weakSelf](std::optional<RequestError>, std::optional<User>, std::optional<int> status) {
      if (auto self = weakSelf.lock()) self->signOutDidComplete(status);
    });
  };
  showAlert(*this, "Cerrar sesión", "Esta seguro de querer cerrar sesión?", std::nullopt, "Aceptar", confirmed,
            "Cancelar");
}

void ActivesTableViewController::signOutDidComplete(std::optional<int> status) {
  if (status == 200 || status == 422) {
    signOutLocally();
  } else {
    showAlert(*this, kServerErrorTitle, std::nullopt, std::nullopt, "Aceptar");
  }
}

void ActivesTableViewController::describe(ui::ClassDescription<ActivesTableViewController>& d) {
  d.action("singOutButtonHandler:", &ActivesTableViewController::singOutButtonHandler);
}

}  // namespace instala
