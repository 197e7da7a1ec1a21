#pragma once

#include "scenes/authentication/AuthenticationBusinessLogic.h"
#include "scenes/authentication/AuthenticationDataStore.h"
#include "scenes/authentication/AuthenticationPresentationLogic.h"
#include "scenes/authentication/AuthenticationWorker.h"

#include <memory>
#include <optional>

namespace instala {

class AuthenticationInteractor : public AuthenticationBusinessLogic, public AuthenticationDataStore {
 public:
  std::shared_ptr<AuthenticationPresentationLogic> presenter;
  std::optional<AuthenticationWorker> worker;

  // Takes a new worker (asking it nothing) and tells the presenter, when there is one.
  void loadScene() override;
};

}  // namespace instala
