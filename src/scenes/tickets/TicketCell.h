#pragma once
// The row of one ticket on the active and closed lists: a card with the
// ticket number, the short date, the vehicle, the place and the hour.

#include "models/Ticket.h"
#include "scenes/tickets/TicketText.h"
#include "ui/ClassRegistry.h"
#include "ui/Label.h"
#include "ui/TableViewCell.h"

#include <memory>

namespace instala {

class TicketCell : public ui::TableViewCell {
 public:
  using Super = ui::TableViewCell;

  std::weak_ptr<ui::View> viewCard;
  std::weak_ptr<ui::Label> idLabel;
  std::weak_ptr<ui::Label> dateLabel;
  std::weak_ptr<ui::Label> carLabel;
  std::weak_ptr<ui::Label> locationLabel;
  std::weak_ptr<ui::Label> timeLabel;

  void awakeFromNib() override;
  // Every label gets a text (an absent value clears it), so a reused row keeps nothing of its last ticket.
  void fill(const Ticket& ticket, const ShortTicketDate& shortDate);

  static void describe(ui::ClassDescription<TicketCell>& d);
};

}  // namespace instala
