#include "platform/DateFormatter.h"

#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

namespace instala::platform {
namespace {

using namespace std::chrono_literals;

struct ShortDateCase {
  const char* locale;
  const char* input;
  const char* expected;  // nullptr: does not parse
};

void PrintTo(const ShortDateCase& c, std::ostream* os) { *os << c.locale << " " << c.input; }

class ShortDate : public ::testing::TestWithParam<ShortDateCase> {};

TEST_P(ShortDate, WholeTextMustMatchTheDayPattern) {
  DateFormatter reader("yyyy-MM-dd", GetParam().locale, "America/Mexico_City");
  DateFormatter writer("MMM dd", GetParam().locale, "America/Mexico_City");
  auto day = reader.parse(GetParam().input);
  if (!GetParam().expected) {
    EXPECT_FALSE(day);
    return;
  }
  ASSERT_TRUE(day);
  EXPECT_EQ(writer.format(*day), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShortDate,
    ::testing::Values(ShortDateCase{"en_US", "2024-12-01", "Dec 01"}, ShortDateCase{"es_MX", "2024-12-01", "dic 01"},
                      ShortDateCase{"es_MX", "2024-09-05", "sept 05"}, ShortDateCase{"en_US", "2024-03-05", "Mar 05"},
                      ShortDateCase{"en_US", "2024-12-01 10:00", nullptr}, ShortDateCase{"en_US", " 2024-12-01", nullptr},
                      ShortDateCase{"en_US", "2024-2-01", nullptr}, ShortDateCase{"en_US", "24-12-01", nullptr},
                      ShortDateCase{"en_US", "2024-13-01", nullptr}, ShortDateCase{"en_US", "2024-02-30", nullptr},
                      ShortDateCase{"en_US", "05/03/2024", nullptr}, ShortDateCase{"en_US", "", nullptr}));

// Shells and launchers often export LC_ALL empty; that must not turn the
// month names into ICU's root placeholders ("M12").
TEST(DateFormatter, WritesInTheDevicesLocaleWhenLcAllIsExportedEmpty) {
  testing::ScopedEnvironment environment({{"LC_ALL", "C"}, {"LC_MESSAGES", ""}, {"LANG", "es_MX.UTF-8"}});
  setenv("LC_ALL", "", 1);
  DateFormatter reader("yyyy-MM-dd");
  DateFormatter writer("MMM dd");
  auto day = reader.parse("2024-12-01");
  ASSERT_TRUE(day);
  EXPECT_EQ(writer.format(*day), "dic 01");
}

// Instants from UTC calendar arithmetic, independent of ICU and of the zone rules under test.
TimePoint utc(std::chrono::year_month_day day, Duration sinceMidnight) {
  return std::chrono::sys_days(day) + sinceMidnight;
}

constexpr const char* kDay = "yyyy-MM-dd";
constexpr const char* kStamp = "yyyy-MM-dd HH:mm:ss";

struct ZoneCase {
  const char* name;
  const char* zone;
  const char* pattern;
  const char* text;
  TimePoint expected;
};

void PrintTo(const ZoneCase& c, std::ostream* os) { *os << c.name; }

class EveryDayOfEveryZone : public ::testing::TestWithParam<ZoneCase> {};

// A day is its first instant, also where clocks jump at midnight; a wall time
// the jump skips moves forward by the gap; a repeated hour is its later pass.
TEST_P(EveryDayOfEveryZone, ParsesToItsInstant) {
  DateFormatter reader(GetParam().pattern, "es_MX", GetParam().zone);
  EXPECT_EQ(reader.parse(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, EveryDayOfEveryZone,
    ::testing::Values(
        ZoneCase{"SantiagoSkippedMidnight", "America/Santiago", kDay, "2026-09-06", utc(2026y / 9 / 6, 4h)},
        ZoneCase{"SantiagoDayBefore", "America/Santiago", kDay, "2026-09-05", utc(2026y / 9 / 5, 4h)},
        ZoneCase{"SaoPauloSkippedMidnight", "America/Sao_Paulo", kDay, "2018-11-04", utc(2018y / 11 / 4, 3h)},
        ZoneCase{"BeirutSkippedMidnight", "Asia/Beirut", kDay, "2024-03-31", utc(2024y / 3 / 30, 22h)},
        ZoneCase{"HavanaRepeatedMidnight", "America/Havana", kDay, "2024-11-03", utc(2024y / 11 / 3, 4h)},
        ZoneCase{"KolkataDay", "Asia/Kolkata", kDay, "2024-03-05", utc(2024y / 3 / 4, 18h + 30min)},
        ZoneCase{"SantiagoStampAtTheJump", "America/Santiago", kStamp, "2026-09-06 00:00:00", utc(2026y / 9 / 6, 4h)},
        ZoneCase{"SantiagoStampInTheGap", "America/Santiago", kStamp, "2026-09-06 00:30:00",
                 utc(2026y / 9 / 6, 4h + 30min)},
        ZoneCase{"SantiagoStampAfterTheGap", "America/Santiago", kStamp, "2026-09-06 01:30:00",
                 utc(2026y / 9 / 6, 4h + 30min)},
        ZoneCase{"SaoPauloStampInTheGap", "America/Sao_Paulo", kStamp, "2018-11-04 00:15:00",
                 utc(2018y / 11 / 4, 3h + 15min)},
        ZoneCase{"BeirutStampInTheGap", "Asia/Beirut", kStamp, "2024-03-31 00:45:00", utc(2024y / 3 / 30, 22h + 45min)},
        ZoneCase{"SaoPauloRepeatedHour", "America/Sao_Paulo", kStamp, "2019-02-16 23:30:00",
                 utc(2019y / 2 / 17, 2h + 30min)},
        ZoneCase{"KolkataStamp", "Asia/Kolkata", kStamp, "2024-03-05 14:30:00", utc(2024y / 3 / 5, 9h)}),
    [](const auto& info) { return std::string(info.param.name); });

// CTest runs this program with TZ=Asia/Kolkata (UTC+05:30), so a reader that
// ignored the device's zone would be five and a half hours off.
TEST(DateFormatter, TheDevicesZoneIsTheOneTheEnvironmentNames) {
  EXPECT_EQ(DateFormatter(kStamp).parse("2024-03-05 14:30:00"), utc(2024y / 3 / 5, 9h));
  EXPECT_EQ(DateFormatter(kDay).parse("2024-03-05"), utc(2024y / 3 / 4, 18h + 30min));
}

TEST(DateFormatter, FullStampIsReadInTheGivenZone) {
  DateFormatter reader("yyyy-MM-dd HH:mm:ss", "es_MX", "UTC");
  auto instant = reader.parse("2024-03-05 14:30:00");
  ASSERT_TRUE(instant);
  EXPECT_EQ(std::chrono::duration_cast<std::chrono::seconds>(instant->time_since_epoch()).count(), 1709649000);
  EXPECT_FALSE(reader.parse("2024-03-05 :00"));
  EXPECT_FALSE(reader.parse("2024-03-05 14:30:00:00"));
  EXPECT_FALSE(reader.parse("2024-03-05 25:30:00"));
}

struct DifferenceCase {
  Duration ahead;
  HourMinuteSecond expected;
};

void PrintTo(const DifferenceCase& c, std::ostream* os) {
  *os << std::chrono::duration_cast<std::chrono::seconds>(c.ahead).count() << "s";
}

class CalendarDifference : public ::testing::TestWithParam<DifferenceCase> {};

TEST_P(CalendarDifference, HoursGoPast24AndLateCountsNegative) {
  TimePoint from = TimePoint(std::chrono::seconds(1709649000));
  EXPECT_EQ(calendarDifference(from, from + GetParam().ahead), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CalendarDifference,
    ::testing::Values(DifferenceCase{26h + 4min + 9s, {26, 4, 9}}, DifferenceCase{-(5min + 3s), {0, -5, -3}},
                      DifferenceCase{0s, {0, 0, 0}}, DifferenceCase{72h, {72, 0, 0}},
                      DifferenceCase{2h - 1s, {1, 59, 59}}, DifferenceCase{-(1h + 1s), {-1, 0, -1}}));

}  // namespace
}  // namespace instala::platform
