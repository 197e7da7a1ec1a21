#pragma once
// The application's four visual styles.

#include "ui/Button.h"
#include "ui/View.h"

namespace instala {

// Corner radius as given, black shadow offset 0.2 by 0.2, radius 2, opacity 0.2.
void applyCardStyle(ui::View& view, double cornerRadius);
// Corners rounded to half the current width, contents clipped; no border.
void applyRoundedStyle(ui::View& view);
// The rounded style ringed in the named colour "CircleColor" (no ring colour when it is missing).
void applyCircleStyle(ui::View& view, double borderWidth);
// Corner radius 8 with the card's shadow.
void applyButtonStyle(ui::Button& button);

}  // namespace instala
