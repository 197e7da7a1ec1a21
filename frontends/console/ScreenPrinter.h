#pragma once
// The console's picture of the screen: plain, stable text that scripts and
// screen tests compare. It shows the tab bar, the navigation bar, the visible
// screen with its outlets (or its table's headers and rows with each row
// view's outlets), presented alerts, camera and browser, and the loading overlay.
//
//   tabs: [Activos (2)] Cerrados Búsqueda       (a tab's badge in parentheses)
//   navigation: "Tickets activos" right "Cerrar sesión"
//   screen: ActivesTableViewController "Tickets activos"
//     section 0: 2 rows
//       row 0.0 TicketCell (118pt)
//         viewCard: view #FFFFFF
//         idLabel: "ID: 1234"
//   alert: "Cerrar sesión" message "¿…?" buttons [Cancelar] [*Aceptar]
//   loading: no

#include "ui/Window.h"

#include <string>

namespace instala::console {

class ScreenPrinter {
 public:
  static std::string print(const ui::Window& window);
  // One view as the printer describes it ("button \"Buscar\" hidden").
  static std::string describe(const ui::View& view);
  // A text in double quotes with quotes, backslashes and line breaks escaped.
  static std::string quoted(const std::string& text);
  // Navigation and tab bar controllers: they hold screens and are not printed as one.
  static bool isContainer(const ui::ViewController& controller);
};

}  // namespace instala::console
