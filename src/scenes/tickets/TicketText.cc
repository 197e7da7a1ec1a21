#include "scenes/tickets/TicketText.h"

namespace instala {

std::string ticketIdText(const Ticket* ticket) {
  const std::int64_t id = ticket && ticket->id() ? *ticket->id() : 0;
  return "ID: " + std::to_string(id);
}

std::string unitSummaryText(const Ticket* ticket) {
  const Unit* unit = ticket ? ticket->firstUnit() : nullptr;
  if (!unit) return "-";
  return unit->model().value_or("") + "-" + unit->economicNumber().value_or("");
}

ShortTicketDate::ShortTicketDate() : reader_("yyyy-MM-dd"), writer_("MMM dd") {}

ShortTicketDate::ShortTicketDate(const std::string& locale, const std::string& timeZone)
    : reader_("yyyy-MM-dd", locale, timeZone), writer_("MMM dd", locale, timeZone) {}

std::future<ShortTicketDate> ShortTicketDate::makeInBackground() {
  return std::async(std::launch::async, [] {
    ShortTicketDate shortDate;
    (void)shortDate("2000-01-01");
    return shortDate;
  });
}

std::string ShortTicketDate::operator()(const std::string& date) const {
  auto day = reader_.parse(date);
  return day ? writer_.format(*day) : date;
}

}  // namespace instala
