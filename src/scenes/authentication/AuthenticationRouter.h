#pragma once

#include "scenes/authentication/AuthenticationDataPassing.h"
#include "scenes/authentication/AuthenticationRoutingLogic.h"

#include <memory>

namespace instala {

class AuthenticationViewController;

// Registered with the class registry (which answers its selector queries); it
// defines no route yet, so no transition of the authentication screen is routed.
class AuthenticationRouter : public AuthenticationRoutingLogic, public AuthenticationDataPassing {
 public:
  // The registry's superclass: routing logic and data passing are interfaces.
  using Super = ui::Object;

  // Weak: the screen owns this router.
  std::weak_ptr<AuthenticationViewController> viewController;

  std::shared_ptr<AuthenticationDataStore> dataStore() const override { return dataStore_; }
  void setDataStore(std::shared_ptr<AuthenticationDataStore> dataStore) { dataStore_ = std::move(dataStore); }

 private:
  std::shared_ptr<AuthenticationDataStore> dataStore_;
};

}  // namespace instala
