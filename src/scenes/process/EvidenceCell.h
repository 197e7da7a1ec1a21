#pragma once
// One evidence item of step two: the state icon and the button that takes the
// photo or records the video (through buttonAction, set by the screen).

#include "ui/Button.h"
#include "ui/ClassRegistry.h"
#include "ui/ImageView.h"
#include "ui/TableViewCell.h"

#include <functional>
#include <memory>

namespace instala {

class EvidenceCell : public ui::TableViewCell {
 public:
  using Super = ui::TableViewCell;

  std::weak_ptr<ui::View> cardView;
  std::weak_ptr<ui::View> fileView;
  std::weak_ptr<ui::ImageView> fileIcon;
  std::weak_ptr<ui::Button> fileButton;
  std::function<void()> buttonAction;

  // Card style on cardView, radius 0; fileView keeps its nib look.
  void awakeFromNib() override;
  // The button's action: runs buttonAction when set.
  void fileButtonHandler(ui::Object* sender);

  static void describe(ui::ClassDescription<EvidenceCell>& d);
};

}  // namespace instala
