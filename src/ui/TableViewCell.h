#pragma once
// A table row view. Row views come from nibs, are handed out by the table under
// a reuse identifier, and are reused when they scroll out of sight.

#include "ui/View.h"

#include <string>

namespace instala::ui {

class TableView;

class TableViewCell : public View {
 public:
  using Super = View;

  TableViewCell();

  // Holds the row's content; a nib's view tree goes inside it.
  const std::shared_ptr<View>& contentView() const { return contentView_; }
  const std::string& reuseIdentifier() const { return reuseIdentifier_; }
  void setReuseIdentifier(std::string identifier) { reuseIdentifier_ = std::move(identifier); }

  bool isSelected() const { return selected_; }
  virtual void setSelected(bool selected, bool animated);
  // Called before the table hands the row view out again.
  virtual void prepareForReuse() {}

  // The table showing this row view, if any.
  TableView* tableView() const;

  // A tap on the row (outside its controls) selects it.
  void handleTap() override;
  Size sizeThatFits(Size space) const override;
  void layoutSubviews() override;

 private:
  std::shared_ptr<View> contentView_;
  std::string reuseIdentifier_;
  bool selected_ = false;
};

}  // namespace instala::ui
