#include "platform/DateFormatter.h"

#include "platform/PreferredLanguages.h"

#include <unicode/calendar.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <cctype>

namespace instala::platform {

struct DateFormatter::Formatter {
  Formatter(const icu::UnicodeString& pattern, const icu::Locale& locale, UErrorCode& status)
      : format(pattern, locale, status) {}
  icu::SimpleDateFormat format;
};

namespace {

UDate toUDate(TimePoint instant) {
  return static_cast<UDate>(
      std::chrono::duration_cast<std::chrono::milliseconds>(instant.time_since_epoch()).count());
}

TimePoint fromUDate(UDate date) {
  return TimePoint(std::chrono::duration_cast<Duration>(std::chrono::milliseconds(static_cast<std::int64_t>(date))));
}

bool isNumericField(char letter) {
  return std::string_view("yMdHhmsSkKDu").find(letter) != std::string_view::npos;
}

// Hours, minutes, seconds or a day period: the pattern reads a wall time, not only a day.
bool hasTimeFields(const std::string& pattern) {
  bool quoted = false;
  for (char c : pattern) {
    if (c == '\'') quoted = !quoted;
    if (!quoted && std::string_view("HhkKmsSaAbB").find(c) != std::string_view::npos) return true;
  }
  return false;
}

// ICU accepts " 2024-12-01", "2024-2-01" and "24-12-01" for "yyyy-MM-dd": the
// text must have the pattern's shape first. Patterns with text fields ("MMM")
// are only used for formatting and skip the check.
bool hasPatternShape(const std::string& pattern, std::string_view text) {
  std::size_t at = 0;
  for (std::size_t i = 0; i < pattern.size();) {
    char c = pattern[i];
    if (std::isalpha(static_cast<unsigned char>(c))) {
      std::size_t run = 1;
      while (i + run < pattern.size() && pattern[i + run] == c) ++run;
      if (!isNumericField(c) || (c == 'M' && run > 2)) return true;
      for (std::size_t k = 0; k < run; ++k, ++at) {
        if (at >= text.size() || !std::isdigit(static_cast<unsigned char>(text[at]))) return false;
      }
      i += run;
    } else if (c == '\'') {
      return true;  // quoted literals: leave them to ICU
    } else {
      if (at >= text.size() || text[at] != c) return false;
      ++at;
      ++i;
    }
  }
  return at == text.size();
}

// Owns `zone`. Nothing when ICU refuses the pattern or the locale.
std::unique_ptr<DateFormatter::Formatter> makeFormatter(const std::string& pattern, const icu::Locale& locale,
                                                        icu::TimeZone* zone) {
  UErrorCode status = U_ZERO_ERROR;
  auto formatter = std::make_unique<DateFormatter::Formatter>(icu::UnicodeString::fromUTF8(pattern), locale, status);
  if (U_FAILURE(status)) {
    delete zone;
    return nullptr;
  }
  formatter->format.setLenient(false);
  formatter->format.adoptTimeZone(zone);
  return formatter;
}

}  // namespace

DateFormatter::DateFormatter(const std::string& pattern)
    : pattern_(pattern),
      formatter_(makeFormatter(pattern, icu::Locale(deviceLocale().c_str()), icu::TimeZone::createDefault())) {}

DateFormatter::DateFormatter(const std::string& pattern, const std::string& locale, const std::string& timeZone)
    : pattern_(pattern),
      formatter_(makeFormatter(pattern, icu::Locale(locale.c_str()),
                               icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(timeZone)))) {}

DateFormatter::~DateFormatter() = default;
DateFormatter::DateFormatter(DateFormatter&&) noexcept = default;
DateFormatter& DateFormatter::operator=(DateFormatter&&) noexcept = default;

std::optional<TimePoint> DateFormatter::parse(std::string_view text) const {
  if (!formatter_ || !hasPatternShape(pattern_, text)) return std::nullopt;
  icu::UnicodeString input = icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
  // The fields are read strictly in UTC, where every wall time exists; the
  // zone's own gaps and overlaps are resolved afterwards.
  std::unique_ptr<icu::Calendar> wall(formatter_->format.getCalendar()->clone());
  if (!wall) return std::nullopt;
  wall->adoptTimeZone(icu::TimeZone::getGMT()->clone());
  wall->clear();
  icu::ParsePosition position(0);
  formatter_->format.parse(input, *wall, position);
  // ICU ignores trailing text even when strict: require the whole input.
  if (position.getErrorIndex() >= 0 || position.getIndex() != input.length()) return std::nullopt;
  UErrorCode status = U_ZERO_ERROR;
  wall->getTime(status);  // strict: a 13th month or a 30th of February fails here
  if (U_FAILURE(status)) return std::nullopt;

  std::unique_ptr<icu::Calendar> local(formatter_->format.getCalendar()->clone());
  local->clear();
  local->setLenient(true);
  if (hasTimeFields(pattern_)) {
    // A wall time the zone skips moves forward by the gap; an hour that
    // repeats reads as its later occurrence.
    local->setSkippedWallTimeOption(UCAL_WALLTIME_LAST);
    local->setRepeatedWallTimeOption(UCAL_WALLTIME_LAST);
  } else {
    // A day is its first instant, also where its midnight is skipped or repeated.
    local->setSkippedWallTimeOption(UCAL_WALLTIME_NEXT_VALID);
    local->setRepeatedWallTimeOption(UCAL_WALLTIME_FIRST);
  }
  for (UCalendarDateFields field : {UCAL_EXTENDED_YEAR, UCAL_MONTH, UCAL_DATE, UCAL_HOUR_OF_DAY, UCAL_MINUTE,
                                    UCAL_SECOND, UCAL_MILLISECOND}) {
    local->set(field, wall->get(field, status));
  }
  const UDate instant = local->getTime(status);
  if (U_FAILURE(status)) return std::nullopt;
  return fromUDate(instant);
}

std::string DateFormatter::format(TimePoint instant) const {
  if (!formatter_) return {};
  icu::UnicodeString output;
  formatter_->format.format(toUDate(instant), output);
  std::string text;
  output.toUTF8String(text);
  return text;
}

HourMinuteSecond calendarDifference(TimePoint from, TimePoint to) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(status));
  if (U_FAILURE(status)) return {};
  calendar->setTime(toUDate(from), status);
  const UDate target = toUDate(to);
  // fieldDifference moves the calendar on, so the fields are taken largest first.
  HourMinuteSecond difference;
  difference.hours = calendar->fieldDifference(target, UCAL_HOUR_OF_DAY, status);
  difference.minutes = calendar->fieldDifference(target, UCAL_MINUTE, status);
  difference.seconds = calendar->fieldDifference(target, UCAL_SECOND, status);
  if (U_FAILURE(status)) return {};
  return difference;
}

}  // namespace instala::platform
