#pragma once

#include "scenes/authentication/AuthenticationDataStore.h"

#include <memory>

namespace instala {

// A router that can reach the scene's data store.
class AuthenticationDataPassing {
 public:
  virtual ~AuthenticationDataPassing() = default;
  virtual std::shared_ptr<AuthenticationDataStore> dataStore() const = 0;
};

}  // namespace instala
