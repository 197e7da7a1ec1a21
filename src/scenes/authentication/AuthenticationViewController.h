#pragma once
// The authentication scene: a screen wired to an interactor, a presenter, a
// worker and a router, which carries no use case yet. Loading it sends and
// shows nothing; preparing a transition asks the router for a route by
// selector, and the router defines none.
//
// Ownership runs one way: the screen owns interactor and router, the
// interactor owns presenter and worker, the router owns the data store (the
// interactor); presenter and router point back to the screen weakly.

#include "scenes/authentication/AuthenticationBusinessLogic.h"
#include "scenes/authentication/AuthenticationDisplayLogic.h"
#include "scenes/authentication/AuthenticationRoutingLogic.h"
#include "ui/ViewController.h"

#include <memory>

namespace instala {

class AuthenticationViewController : public ui::ViewController, public AuthenticationDisplayLogic {
 public:
  using Super = ui::ViewController;

  // A wired screen; the class registry (storyboard) makes instances through it.
  static std::shared_ptr<AuthenticationViewController> create();

  std::shared_ptr<AuthenticationBusinessLogic> interactor;
  // Also an AuthenticationDataPassing.
  std::shared_ptr<AuthenticationRoutingLogic> router;

  void viewDidLoad() override;
  // Runs the router's "routeTo<identifier>WithSegue:" when it answers it.
  void prepareForSegue(ui::StoryboardSegue& segue, ui::Object* sender) override;
  void displayScene() override {}

 private:
  void setup();
};

}  // namespace instala
