#include "scenes/details/TicketDetailCell.h"

#include "scenes/tickets/TicketText.h"

namespace instala {
namespace {

void setText(const std::weak_ptr<ui::Label>& outlet, const std::optional<std::string>& text) {
  if (auto label = outlet.lock()) label->setText(text.value_or(""));
}

}  // namespace

void TicketDetailCell::fill(const Ticket* ticket) {
  static const std::optional<std::string> none;
  const Unit* unit = ticket ? ticket->firstUnit() : nullptr;
  setText(idLabel, ticketIdText(ticket));
  setText(categoryLabel, ticket ? ticket->category() : none);
  setText(locationLabel, ticket ? ticket->location() : none);
  setText(dateLabel, ticket ? ticket->date() : none);
  setText(clientLabel, ticket ? ticket->client() : none);
  setText(unitLabel, unitSummaryText(ticket));
  setText(economicNumberLabel, unit ? unit->economicNumber() : none);
  setText(brandLabel, unit ? unit->brand() : none);
  setText(modelLabel, unit ? unit->model() : none);
  setText(unitTypeLabel, unit ? unit->unitType() : none);
  setText(plateLabel, unit ? unit->licensePlate() : none);
  setText(colorLabel, unit ? unit->color() : none);
  setText(deviceLabel, unit ? unit->gpsModel() : none);
  setText(imeiLabel, unit ? unit->imei() : none);
  setText(iccidLabel, unit ? unit->iccid() : none);
}

void TicketDetailCell::describe(ui::ClassDescription<TicketDetailCell>& d) {
  d.outlet("idLabel", &TicketDetailCell::idLabel)
      .outlet("categoryLabel", &TicketDetailCell::categoryLabel)
      .outlet("locationLabel", &TicketDetailCell::locationLabel)
      .outlet("dateLabel", &TicketDetailCell::dateLabel)
      .outlet("clientLabel", &TicketDetailCell::clientLabel)
      .outlet("unitLabel", &TicketDetailCell::unitLabel)
      .outlet("economicNumberLabel", &TicketDetailCell::economicNumberLabel)
      .outlet("brandLabel", &TicketDetailCell::brandLabel)
      .outlet("modelLabel", &TicketDetailCell::modelLabel)
      .outlet("unitTypeLabel", &TicketDetailCell::unitTypeLabel)
      .outlet("plateLabel", &TicketDetailCell::plateLabel)
      .outlet("colorLabel", &TicketDetailCell::colorLabel)
      .outlet("deviceLabel", &TicketDetailCell::deviceLabel)
      .outlet("imeiLabel", &TicketDetailCell::imeiLabel)
      .outlet("iccidLabel", &TicketDetailCell::iccidLabel);
}

}  // namespace instala
