#pragma once
// Date patterns in the device's locale and time zone (ICU, the same pattern
// language the screens were designed with). Parsing is strict: the whole text
// must match, and each numeric field must have exactly the pattern's digits.
// Every valid calendar date parses in every zone: a pattern without a time of
// day gives the first instant of that day (also where its midnight is skipped),
// and a wall time that the zone skips moves forward by the gap.

#include "platform/Clock.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace instala::platform {

class DateFormatter {
 public:
  struct Formatter;  // the ICU formatter, kept out of this header

  // Device locale and time zone (from the environment: LANG/LC_ALL, TZ).
  explicit DateFormatter(const std::string& pattern);
  // An explicit locale ("es_MX") and time zone ("America/Mexico_City"), for tests.
  DateFormatter(const std::string& pattern, const std::string& locale, const std::string& timeZone);
  ~DateFormatter();
  DateFormatter(DateFormatter&&) noexcept;
  DateFormatter& operator=(DateFormatter&&) noexcept;

  std::optional<TimePoint> parse(std::string_view text) const;
  std::string format(TimePoint instant) const;

 private:
  std::string pattern_;
  std::unique_ptr<Formatter> formatter_;
};

// The calendar difference from `from` to `to` in hours, minutes and seconds
// only (no days: the hours go past 24). Negative when `to` lies before `from`.
struct HourMinuteSecond {
  std::int64_t hours = 0;
  std::int64_t minutes = 0;
  std::int64_t seconds = 0;
  bool operator==(const HourMinuteSecond&) const = default;
};
HourMinuteSecond calendarDifference(TimePoint from, TimePoint to);

}  // namespace instala::platform
