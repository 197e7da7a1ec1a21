#pragma once
// Hiding the keyboard with a tap anywhere on a screen.

#include "ui/ViewController.h"

namespace instala {

// Attaches to the screen's root view a tap recogniser whose action is the
// screen's dismissKeyboardView:. The tap still reaches the view under it.
void hideKeyboardWhenTappedAround(ui::ViewController& screen);
// dismissKeyboardView: of every screen: ends editing in its root view, forcibly.
void dismissKeyboardView(ui::ViewController& screen, ui::Object* sender);

}  // namespace instala
