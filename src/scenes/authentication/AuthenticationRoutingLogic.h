#pragma once
// The routes of the authentication scene. They are found at run time, by
// selector: the route for the transition "X" is the action method
// "routeToXWithSegue:" of the router's registered class, taking the segue.
// So the interface has no members; it is an Object, which answers selector
// queries.

#include "ui/Object.h"

namespace instala {

class AuthenticationRoutingLogic : public ui::Object {};

}  // namespace instala
