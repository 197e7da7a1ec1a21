#pragma once
// The one row of the details screen: fifteen labels, no behaviour of its own.

#include "models/Ticket.h"
#include "ui/ClassRegistry.h"
#include "ui/Label.h"
#include "ui/TableViewCell.h"

#include <memory>

namespace instala {

class TicketDetailCell : public ui::TableViewCell {
 public:
  using Super = ui::TableViewCell;

  std::weak_ptr<ui::Label> idLabel;
  std::weak_ptr<ui::Label> categoryLabel;
  std::weak_ptr<ui::Label> locationLabel;
  std::weak_ptr<ui::Label> dateLabel;
  std::weak_ptr<ui::Label> clientLabel;
  std::weak_ptr<ui::Label> unitLabel;
  std::weak_ptr<ui::Label> economicNumberLabel;
  std::weak_ptr<ui::Label> brandLabel;
  std::weak_ptr<ui::Label> modelLabel;
  std::weak_ptr<ui::Label> unitTypeLabel;
  std::weak_ptr<ui::Label> plateLabel;
  std::weak_ptr<ui::Label> colorLabel;
  std::weak_ptr<ui::Label> deviceLabel;
  std::weak_ptr<ui::Label> imeiLabel;
  std::weak_ptr<ui::Label> iccidLabel;

  // Each label gets exactly one text; an absent ticket, unit or field clears it.
  // Only the first unit is shown; the date stays as the server sent it.
  void fill(const Ticket* ticket);

  static void describe(ui::ClassDescription<TicketDetailCell>& d);
};

}  // namespace instala
