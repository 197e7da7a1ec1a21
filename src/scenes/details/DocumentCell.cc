#include "scenes/details/DocumentCell.h"

#include "common/Styles.h"
#include "scenes/details/DocumentLinks.h"

namespace instala {

void DocumentCell::awakeFromNib() {
  ui::TableViewCell::awakeFromNib();
  if (auto card = cardView.lock()) applyCardStyle(*card, 0);
  if (auto view = documentView.lock()) view->layer().cornerRadius = 8;
}

void DocumentCell::fill(const std::string& document) {
  if (auto label = documentNameLabel.lock()) label->setText(documentName(document));
  // Opening needs only the text: the browser goes over the top-most screen.
  buttonAction = [document] { openDocument(document); };
}

void DocumentCell::downloadButtonHandler(ui::Object*) {
  if (buttonAction) buttonAction();
}

void DocumentCell::describe(ui::ClassDescription<DocumentCell>& d) {
  d.outlet("cardView", &DocumentCell::cardView)
      .outlet("documentView", &DocumentCell::documentView)
      .outlet("documentNameLabel", &DocumentCell::documentNameLabel)
      .outlet("downloadButton", &DocumentCell::downloadButton)
      .action("downloadButtonHandler:", &DocumentCell::downloadButtonHandler);
}

}  // namespace instala
