#include "scenes/process/ProcessKilometersCell.h"

#include "common/Styles.h"

namespace instala {

void ProcessKilometersCell::awakeFromNib() {
  ui::TableViewCell::awakeFromNib();
  if (auto card = cardView.lock()) applyCardStyle(*card, 0);
}

void ProcessKilometersCell::customTFChangedHandler(ui::Object*) {
  auto field = customTF.lock();
  if (field && textAction) textAction(field->text());
}

void ProcessKilometersCell::describe(ui::ClassDescription<ProcessKilometersCell>& d) {
  d.outlet("cardView", &ProcessKilometersCell::cardView)
      .outlet("titleLabel", &ProcessKilometersCell::titleLabel)
      .outlet("customTF", &ProcessKilometersCell::customTF)
      .action("customTFChangedHandler:", &ProcessKilometersCell::customTFChangedHandler);
}

}  // namespace instala
