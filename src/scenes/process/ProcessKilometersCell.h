#pragma once
// The odometer row of steps one and three: a title and the underlined field.
// Every edit of the field runs textAction with the field's whole text, so the
// screen's record always holds what the technician typed.

#include "common/UnderlineTextField.h"
#include "ui/ClassRegistry.h"
#include "ui/Label.h"
#include "ui/TableViewCell.h"

#include <functional>
#include <memory>
#include <string>

namespace instala {

class ProcessKilometersCell : public ui::TableViewCell {
 public:
  using Super = ui::TableViewCell;

  std::weak_ptr<ui::View> cardView;
  std::weak_ptr<ui::Label> titleLabel;
  std::weak_ptr<UnderlineTextField> customTF;
  std::function<void(const std::string& text)> textAction;

  // Card style on cardView, radius 0.
  void awakeFromNib() override;
  // The field's editingChanged action: runs textAction with the field's text.
  void customTFChangedHandler(ui::Object* sender);

  static void describe(ui::ClassDescription<ProcessKilometersCell>& d);
};

}  // namespace instala
