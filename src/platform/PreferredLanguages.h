#pragma once
// The user's preferred languages as BCP 47 tags ("es-MX", "es", "en-US"), most
// preferred first. Linux has no such list of its own: it is derived from the
// locale environment the way gettext reads it.

#include <string>
#include <vector>

namespace instala::platform {

// The variables that decide the list, as the process sees them.
struct LocaleEnvironment {
  std::string lcAll;
  std::string lcMessages;
  std::string lang;
  std::string language;  // colon-separated list, GNU extension

  static LocaleEnvironment current();
};

// The locale is LC_ALL, else LC_MESSAGES, else LANG. When it is empty, "C" or
// "POSIX" the list is just "en-US" and LANGUAGE is ignored (as gettext does).
// Otherwise every LANGUAGE entry comes first, then the locale itself; codesets
// and modifiers are dropped, duplicates and entries that are no valid locale
// are skipped. Never empty.
std::vector<std::string> preferredLanguages(const LocaleEnvironment& environment = LocaleEnvironment::current());

// The ICU locale ID of the same locale ("es_MX"), which dates are read and
// written in; "en_US_POSIX" for an empty, "C" or "POSIX" locale. ICU's own
// default takes an exported but empty LC_ALL as the root locale, whose month
// abbreviations are "M01" … "M12", so it is not asked.
std::string deviceLocale(const LocaleEnvironment& environment = LocaleEnvironment::current());

}  // namespace instala::platform
