#pragma once
// Makes a zone the device's time zone (ICU's default zone) for one test and
// puts the previous one back. ICU reads TZ once, so changing the environment
// in the middle of a test program would not reach it.

#include <unicode/timezone.h>

#include <memory>

namespace instala::testing {

class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) : saved_(icu::TimeZone::createDefault()) {
    icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone(zone));
  }
  ~ScopedTimeZone() { icu::TimeZone::adoptDefault(saved_.release()); }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  std::unique_ptr<icu::TimeZone> saved_;
};

}  // namespace instala::testing
