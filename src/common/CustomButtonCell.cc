#include "common/CustomButtonCell.h"

#include "common/Styles.h"

namespace instala {

void CustomButtonCell::awakeFromNib() {
  ui::TableViewCell::awakeFromNib();
  if (auto button = customButton.lock()) applyButtonStyle(*button);
}

void CustomButtonCell::customButtonHandler(ui::Object*) {
  if (buttonAction) buttonAction();
}

void CustomButtonCell::describe(ui::ClassDescription<CustomButtonCell>& d) {
  d.outlet("customButton", &CustomButtonCell::customButton)
      .action("customButtonHandler:", &CustomButtonCell::customButtonHandler);
}

}  // namespace instala
