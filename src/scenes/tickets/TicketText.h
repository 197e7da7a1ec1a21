#pragma once
// How a ticket reads on the lists and the details screen. Absent values never
// show a placeholder word: they read as empty text.

#include "models/Ticket.h"

#include <string>

namespace instala {

// "ID: " and the number; 0 when there is no ticket or no id.
std::string ticketIdText(const Ticket* ticket);

// The first unit's model, "-", its economic number; the separator always
// stands, so a ticket without units (or with an empty list) reads "-".
std::string unitSummaryText(const Ticket* ticket);

// "yyyy-MM-dd" (the whole text) written as "MMM dd" in the device's locale and
// time zone; any other text is shown unchanged.
std::string shortTicketDate(const std::string& date);
std::string shortTicketDate(const std::string& date, const std::string& locale, const std::string& timeZone);

}  // namespace instala
