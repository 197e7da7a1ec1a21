#include "scenes/tickets/TicketText.h"

#include "support/ScopedEnvironment.h"
#include "support/ScopedTimeZone.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace instala {
namespace {

Ticket ticketFrom(const char* json) { return Ticket::decode(Json::parse(json)).value(); }

TEST(TicketText, IdReadsZeroWhenMissing) {
  EXPECT_EQ(ticketIdText(nullptr), "ID: 0");
  Ticket none = ticketFrom("{}");
  EXPECT_EQ(ticketIdText(&none), "ID: 0");
  Ticket some = ticketFrom(R"({"id": 1234})");
  EXPECT_EQ(ticketIdText(&some), "ID: 1234");
}

TEST(TicketText, UnitSummaryUsesOnlyTheFirstUnitAndAlwaysTheSeparator) {
  struct {
    const char* json;
    const char* expected;
  } cases[] = {
      {R"({"unit": [{"model": "T800", "economic_numer": "E-17"}]})", "T800-E-17"},
      {R"({"unit": [{"economic_numer": "E-17"}]})", "-E-17"},
      {R"({"unit": [{"model": "T800"}]})", "T800-"},
      {R"({"unit": [{"model": "A", "economic_numer": "1"}, {"model": "B", "economic_numer": "2"}]})", "A-1"},
      {R"({"unit": []})", "-"},
      {R"({})", "-"},
  };
  for (const auto& c : cases) {
    Ticket ticket = ticketFrom(c.json);
    EXPECT_EQ(unitSummaryText(&ticket), c.expected) << c.json;
  }
  EXPECT_EQ(unitSummaryText(nullptr), "-");
}

TEST(TicketText, ShortDateInTheLocaleOrUnchanged) {
  EXPECT_EQ(ShortTicketDate("en_US", "America/Mexico_City")("2024-12-01"), "Dec 01");
  EXPECT_EQ(ShortTicketDate("es_MX", "America/Mexico_City")("2024-12-01"), "dic 01");
  EXPECT_EQ(ShortTicketDate("en_US", "UTC")("2024-12-01 10:30"), "2024-12-01 10:30");
  EXPECT_EQ(ShortTicketDate("en_US", "UTC")("01/12/2024"), "01/12/2024");
  EXPECT_EQ(ShortTicketDate("en_US", "UTC")(""), "");
}

// Days whose midnight the zone skips (or repeats) read like their neighbours.
TEST(TicketText, EveryDayOfEveryZoneShowsShort) {
  struct {
    const char* zone;
    const char* date;
    const char* shown;
  } cases[] = {
      {"America/Santiago", "2026-09-06", "sept 06"}, {"America/Santiago", "2026-09-07", "sept 07"},
      {"America/Sao_Paulo", "2018-11-04", "nov 04"}, {"Asia/Beirut", "2024-03-31", "mar 31"},
      {"America/Havana", "2024-11-03", "nov 03"},    {"Asia/Kolkata", "2024-12-01", "dic 01"},
  };
  testing::ScopedEnvironment spanish({{"LC_ALL", "es_MX.UTF-8"}});
  for (const auto& c : cases) {
    EXPECT_EQ(ShortTicketDate("es_MX", c.zone)(c.date), c.shown) << c.zone << " " << c.date;
    testing::ScopedTimeZone device(c.zone);
    EXPECT_EQ(ShortTicketDate()(c.date), c.shown) << "device in " << c.zone << " " << c.date;
    EXPECT_EQ(ShortTicketDate::makeInBackground().get()(c.date), c.shown)
        << "made in the background, device in " << c.zone << " " << c.date;
  }
}

}  // namespace
}  // namespace instala
