#include "ui/TableViewCell.h"

#include "ui/TableView.h"

namespace instala::ui {

TableViewCell::TableViewCell() : View(Rect{0, 0, 320, 44}), contentView_(std::make_shared<View>(Rect{0, 0, 320, 44})) {
  addSubview(contentView_);
}

void TableViewCell::setSelected(bool selected, bool) { selected_ = selected; }

TableView* TableViewCell::tableView() const {
  for (View* view = superview(); view; view = view->superview()) {
    if (auto* table = dynamic_cast<TableView*>(view)) return table;
  }
  return nullptr;
}

void TableViewCell::handleTap() {
  if (TableView* table = tableView()) table->selectRowOfCell(*this);
}

Size TableViewCell::sizeThatFits(Size space) const {
  if (fixedHeight()) return View::sizeThatFits(space);
  return {space.width, contentView_->sizeThatFits(space).height};
}

void TableViewCell::layoutSubviews() {
  contentView_->setFrame(bounds());
  View::layoutSubviews();
}

}  // namespace instala::ui
