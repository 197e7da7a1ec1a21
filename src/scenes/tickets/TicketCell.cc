#include "scenes/tickets/TicketCell.h"

#include "common/Styles.h"
#include "scenes/tickets/TicketText.h"

namespace instala {
namespace {

void setText(const std::weak_ptr<ui::Label>& outlet, std::string text) {
  if (auto label = outlet.lock()) label->setText(std::move(text));
}

}  // namespace

void TicketCell::awakeFromNib() {
  ui::TableViewCell::awakeFromNib();
  if (auto card = viewCard.lock()) applyCardStyle(*card, 0);
}

void TicketCell::fill(const Ticket& ticket, const ShortTicketDate& shortDate) {
  setText(idLabel, ticketIdText(&ticket));
  setText(dateLabel, ticket.date() ? shortDate(*ticket.date()) : "");
  setText(carLabel, unitSummaryText(&ticket));
  setText(locationLabel, ticket.location().value_or(""));
  setText(timeLabel, ticket.hour().value_or(""));
}

void TicketCell::describe(ui::ClassDescription<TicketCell>& d) {
  d.outlet("viewCard", &TicketCell::viewCard)
      .outlet("idLabel", &TicketCell::idLabel)
      .outlet("dateLabel", &TicketCell::dateLabel)
      .outlet("carLabel", &TicketCell::carLabel)
      .outlet("locationLabel", &TicketCell::locationLabel)
      .outlet("timeLabel", &TicketCell::timeLabel);
}

}  // namespace instala
