#pragma once
// The search field's row on the search tab.

#include "common/UnderlineTextField.h"
#include "ui/ClassRegistry.h"
#include "ui/TableViewCell.h"

#include <memory>

namespace instala {

class SearchTextFieldCell : public ui::TableViewCell {
 public:
  using Super = ui::TableViewCell;

  std::weak_ptr<ui::View> cardView;
  std::weak_ptr<UnderlineTextField> searchTextField;

  void awakeFromNib() override;

  static void describe(ui::ClassDescription<SearchTextFieldCell>& d);
};

}  // namespace instala
