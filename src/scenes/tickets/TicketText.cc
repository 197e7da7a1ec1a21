#include "scenes/tickets/TicketText.h"

#include "platform/DateFormatter.h"

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

namespace {

std::string reformatDay(const std::string& date, const platform::DateFormatter& reader,
                        const platform::DateFormatter& writer) {
  auto day = reader.parse(date);
  return day ? writer.format(*day) : date;
}

}  // namespace

std::string shortTicketDate(const std::string& date) {
  return reformatDay(date, platform::DateFormatter("yyyy-MM-dd"), platform::DateFormatter("MMM dd"));
}

std::string shortTicketDate(const std::string& date, const std::string& locale, const std::string& timeZone) {
  return reformatDay(date, platform::DateFormatter("yyyy-MM-dd", locale, timeZone),
                     platform::DateFormatter("MMM dd", locale, timeZone));
}

}  // namespace instala
