#include "scenes/tickets/ActivesTableViewController.h"

#include "common/ShowAlert.h"
#include "networking/ServerAPI.h"
#include "platform/Preferences.h"

namespace instala {

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
