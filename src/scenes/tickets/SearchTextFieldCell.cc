#include "scenes/tickets/SearchTextFieldCell.h"

#include "common/Styles.h"

namespace instala {

void SearchTextFieldCell::awakeFromNib() {
  ui::TableViewCell::awakeFromNib();
  if (auto card = cardView.lock()) applyCardStyle(*card, 0);
}

void SearchTextFieldCell::describe(ui::ClassDescription<SearchTextFieldCell>& d) {
  d.outlet("cardView", &SearchTextFieldCell::cardView).outlet("searchTextField", &SearchTextFieldCell::searchTextField);
}

}  // namespace instala
