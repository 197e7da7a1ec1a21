#include "common/Styles.h"

namespace instala {
namespace {

void applyShadow(ui::Layer& layer) {
  layer.shadowColor = ui::Color::black();
  layer.shadowOffset = {0.2, 0.2};
  layer.shadowRadius = 2;
  layer.shadowOpacity = 0.2;
}

}  // namespace

void applyCardStyle(ui::View& view, double cornerRadius) {
  view.layer().cornerRadius = cornerRadius;
  applyShadow(view.layer());
}

void applyRoundedStyle(ui::View& view) {
  view.layer().cornerRadius = view.frame().width() / 2;
  view.setClipsToBounds(true);
}

void applyCircleStyle(ui::View& view, double borderWidth) {
  applyRoundedStyle(view);
  view.layer().borderWidth = borderWidth;
  view.layer().borderColor = ui::Color::named("CircleColor");
}

void applyButtonStyle(ui::Button& button) {
  button.layer().cornerRadius = 8;
  applyShadow(button.layer());
}

}  // namespace instala
