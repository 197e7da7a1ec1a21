#pragma once
// The row of one server document: its name and a button that opens it.

#include "ui/Button.h"
#include "ui/ClassRegistry.h"
#include "ui/Label.h"
#include "ui/TableViewCell.h"

#include <functional>
#include <memory>
#include <string>

namespace instala {

class DocumentCell : public ui::TableViewCell {
 public:
  using Super = ui::TableViewCell;

  std::weak_ptr<ui::View> cardView;
  std::weak_ptr<ui::View> documentView;
  std::weak_ptr<ui::Label> documentNameLabel;
  std::weak_ptr<ui::Button> downloadButton;
  // What a tap on downloadButton does.
  std::function<void()> buttonAction;

  void awakeFromNib() override;
  // The document's name, and a button that opens that document.
  void fill(const std::string& document);
  // The button's action: runs buttonAction when set.
  void downloadButtonHandler(ui::Object* sender);

  static void describe(ui::ClassDescription<DocumentCell>& d);
};

}  // namespace instala
