#pragma once
// A calendar day in local time. The sample tickets are dated relative to the
// day the server starts, so the demo always has appointments ahead and behind.

#include <string>

namespace instala::demo {

class CivilDay {
 public:
  CivilDay(int year, int month, int day) : year_(year), month_(month), day_(day) {}

  // The current day in the local time zone.
  static CivilDay today();

  CivilDay plusDays(int days) const;
  // "yyyy-MM-dd".
  std::string text() const;

  int year() const { return year_; }
  int month() const { return month_; }
  int day() const { return day_; }
  bool operator==(const CivilDay&) const = default;

 private:
  int year_;
  int month_;
  int day_;
};

}  // namespace instala::demo
