#include "scenes/process/EvidenceCell.h"

#include "common/Styles.h"

namespace instala {

void EvidenceCell::awakeFromNib() {
  ui::TableViewCell::awakeFromNib();
  if (auto card = cardView.lock()) applyCardStyle(*card, 0);
}

void EvidenceCell::fileButtonHandler(ui::Object*) {
  if (buttonAction) buttonAction();
}

void EvidenceCell::describe(ui::ClassDescription<EvidenceCell>& d) {
  d.outlet("cardView", &EvidenceCell::cardView)
      .outlet("fileView", &EvidenceCell::fileView)
      .outlet("fileIcon", &EvidenceCell::fileIcon)
      .outlet("fileButton", &EvidenceCell::fileButton)
      .action("fileButtonHandler:", &EvidenceCell::fileButtonHandler);
}

}  // namespace instala
