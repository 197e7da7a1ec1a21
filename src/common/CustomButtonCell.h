#pragma once
// The shared button row: one styled button whose tap runs the row's buttonAction.

#include "ui/Button.h"
#include "ui/ClassRegistry.h"
#include "ui/TableViewCell.h"

#include <functional>
#include <memory>

namespace instala {

class CustomButtonCell : public ui::TableViewCell {
 public:
  using Super = ui::TableViewCell;

  std::function<void()> buttonAction;
  std::weak_ptr<ui::Button> customButton;

  void awakeFromNib() override;
  // The button's action: runs buttonAction when set.
  void customButtonHandler(ui::Object* sender);

  static void describe(ui::ClassDescription<CustomButtonCell>& d);
};

}  // namespace instala
