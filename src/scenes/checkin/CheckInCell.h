#pragma once
// The check-in screen's first row: a ringed circle holding the countdown, the
// service address and hour, and the map of the address.

#include "ui/ClassRegistry.h"
#include "ui/Label.h"
#include "ui/MapView.h"
#include "ui/TableViewCell.h"

#include <memory>

namespace instala {

class CheckInCell : public ui::TableViewCell {
 public:
  using Super = ui::TableViewCell;

  std::weak_ptr<ui::View> circleView;
  std::weak_ptr<ui::View> cardView;
  std::weak_ptr<ui::Label> locationLabel;
  std::weak_ptr<ui::Label> scheduleLabel;
  std::weak_ptr<ui::Label> timeLabel;
  std::weak_ptr<ui::MapView> mapView;

  // Card style on cardView (radius 0); circle style on circleView (ring 15).
  void awakeFromNib() override;

  static void describe(ui::ClassDescription<CheckInCell>& d);
};

}  // namespace instala
