#include "CivilDay.h"

#include <cstdio>
#include <ctime>

namespace instala::demo {

CivilDay CivilDay::today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return CivilDay(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

CivilDay CivilDay::plusDays(int days) const {
  // mktime normalises an out-of-range day of the month; noon keeps a daylight
  // saving change from pushing the result onto a neighbouring day.
  std::tm moment{};
  moment.tm_year = year_ - 1900;
  moment.tm_mon = month_ - 1;
  moment.tm_mday = day_ + days;
  moment.tm_hour = 12;
  moment.tm_isdst = -1;
  std::mktime(&moment);
  return CivilDay(moment.tm_year + 1900, moment.tm_mon + 1, moment.tm_mday);
}

std::string CivilDay::text() const {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", year_, month_, day_);
  return buffer;
}

}  // namespace instala::demo
