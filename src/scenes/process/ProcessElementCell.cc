#include "scenes/process/ProcessElementCell.h"

#include "common/Styles.h"

namespace instala {

void ProcessElementCell::awakeFromNib() {
  ui::TableViewCell::awakeFromNib();
  if (auto card = cardView.lock()) applyCardStyle(*card, 0);
}

void ProcessElementCell::elementSwitchHandler(ui::Object*) {
  if (switchAction) switchAction();
}

void ProcessElementCell::describe(ui::ClassDescription<ProcessElementCell>& d) {
  d.outlet("cardView", &ProcessElementCell::cardView)
      .outlet("titleLabel", &ProcessElementCell::titleLabel)
      .outlet("elementSwitch", &ProcessElementCell::elementSwitch)
      .action("elementSwitchHandler:", &ProcessElementCell::elementSwitchHandler);
}

}  // namespace instala
