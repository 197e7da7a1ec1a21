#pragma once
// One checklist item of steps one and three: its title and its switch. A flip
// of the switch runs switchAction, which the screen replaces each time it
// hands the row out, so a reused row always writes the item it now shows.

#include "ui/ClassRegistry.h"
#include "ui/Label.h"
#include "ui/Switch.h"
#include "ui/TableViewCell.h"

#include <functional>
#include <memory>

namespace instala {

class ProcessElementCell : public ui::TableViewCell {
 public:
  using Super = ui::TableViewCell;

  std::weak_ptr<ui::View> cardView;
  std::weak_ptr<ui::Label> titleLabel;
  std::weak_ptr<ui::Switch> elementSwitch;
  std::function<void()> switchAction;

  // Card style on cardView, radius 0.
  void awakeFromNib() override;
  // The switch's action: runs switchAction when set.
  void elementSwitchHandler(ui::Object* sender);

  static void describe(ui::ClassDescription<ProcessElementCell>& d);
};

}  // namespace instala
