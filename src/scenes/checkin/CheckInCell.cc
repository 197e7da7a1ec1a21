#include "scenes/checkin/CheckInCell.h"

#include "common/Styles.h"

namespace instala {

void CheckInCell::awakeFromNib() {
  ui::TableViewCell::awakeFromNib();
  if (auto card = cardView.lock()) applyCardStyle(*card, 0);
  if (auto circle = circleView.lock()) applyCircleStyle(*circle, 15);
}

void CheckInCell::describe(ui::ClassDescription<CheckInCell>& d) {
  d.outlet("circleView", &CheckInCell::circleView)
      .outlet("cardView", &CheckInCell::cardView)
      .outlet("locationLabel", &CheckInCell::locationLabel)
      .outlet("scheduleLabel", &CheckInCell::scheduleLabel)
      .outlet("timeLabel", &CheckInCell::timeLabel)
      .outlet("mapView", &CheckInCell::mapView);
}

}  // namespace instala
