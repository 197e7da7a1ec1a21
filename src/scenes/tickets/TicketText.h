#pragma once
// How a ticket reads on the lists and the details screen. Absent values never
// show a placeholder word: they read as empty text.

#include "models/Ticket.h"
#include "platform/DateFormatter.h"

#include <future>
#include <string>

namespace instala {

// "ID: " and the number; 0 when there is no ticket or no id.
std::string ticketIdText(const Ticket* ticket);

// The first unit's model, "-", its economic number; the separator always
// stands, so a ticket without units (or with an empty list) reads "-".
std::string unitSummaryText(const Ticket* ticket);

// "yyyy-MM-dd" (the whole text) written as "MMM dd" in a locale and time zone;
// any other text is shown unchanged. Making the ICU formatters costs far more
// than using them (most of a list's first rows), so a list keeps one for all
// its rows.
class ShortTicketDate {
 public:
  // The device's locale and time zone as they are now.
  ShortTicketDate();
  // An explicit locale ("es_MX") and time zone ("America/Mexico_City").
  ShortTicketDate(const std::string& locale, const std::string& timeZone);

  // The device's, made and used once on another thread: ICU loads its locale
  // and calendar data with the first formatter and its first date (about 6 ms),
  // which a list would otherwise spend on the main thread when its rows arrive.
  static std::future<ShortTicketDate> makeInBackground();

  std::string operator()(const std::string& date) const;

 private:
  platform::DateFormatter reader_;
  platform::DateFormatter writer_;
};

}  // namespace instala
