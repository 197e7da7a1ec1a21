#include "common/KeyboardDismissal.h"

#include "ui/ClassRegistry.h"
#include "ui/GestureRecognizer.h"

namespace instala {

void dismissKeyboardView(ui::ViewController& screen, ui::Object*) { screen.view()->endEditing(true); }

void hideKeyboardWhenTappedAround(ui::ViewController& screen) {
  auto& registry = ui::ClassRegistry::shared();
  // Every screen answers dismissKeyboardView:, as an extension of the screen class.
  if (!registry.hasAction(ui::typeName<ui::ViewController>(), "dismissKeyboardView:")) {
    registry.addAction<ui::ViewController>("dismissKeyboardView:", &dismissKeyboardView);
  }
  auto tap = std::make_shared<ui::TapGestureRecognizer>(screen.weak_from_this(), "dismissKeyboardView:");
  tap->setCancelsTouchesInView(false);
  screen.view()->addGestureRecognizer(tap);
}

}  // namespace instala
