#include "scenes/process/ProcessStepsCell.h"

#include "common/Styles.h"
#include "ui/Color.h"

namespace instala {

void ProcessStepsCell::awakeFromNib() {
  ui::TableViewCell::awakeFromNib();
  const auto light = ui::Color::named("LightBlue");
  for (const auto* mark : {&stepOneView, &stepTwoView, &stepThreeView}) {
    auto view = mark->lock();
    if (!view) continue;
    applyRoundedStyle(*view);
    if (light) view->setBackgroundColor(light->withAlphaComponent(0.25));
  }
}

void ProcessStepsCell::showProgress(int step) {
  const auto dark = ui::Color::named("DarkBlue");
  if (!dark) return;
  auto paint = [&](const std::weak_ptr<ui::View>& part) {
    if (auto view = part.lock()) view->setBackgroundColor(dark);
  };
  if (step >= 2) {
    paint(stepOneView);
    paint(leftLineView);
  }
  if (step >= 3) {
    paint(stepTwoView);
    paint(rightLineView);
  }
}

void ProcessStepsCell::describe(ui::ClassDescription<ProcessStepsCell>& d) {
  d.outlet("stepOneView", &ProcessStepsCell::stepOneView)
      .outlet("stepTwoView", &ProcessStepsCell::stepTwoView)
      .outlet("stepThreeView", &ProcessStepsCell::stepThreeView)
      .outlet("leftLineView", &ProcessStepsCell::leftLineView)
      .outlet("rightLineView", &ProcessStepsCell::rightLineView);
}

}  // namespace instala
