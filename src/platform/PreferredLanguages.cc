#include "platform/PreferredLanguages.h"

#include <unicode/uloc.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace instala::platform {
namespace {

std::string variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// "es_MX.UTF-8@euro" → "es_MX"
std::string withoutCodesetAndModifier(const std::string& locale) {
  return locale.substr(0, locale.find_first_of(".@"));
}

bool isPortableLocale(const std::string& name) { return name.empty() || name == "C" || name == "POSIX"; }

// ICU's canonical ID of a locale name without codeset or modifier ("es_MX").
std::optional<std::string> canonicalLocale(const std::string& base) {
  UErrorCode status = U_ZERO_ERROR;
  char canonical[ULOC_FULLNAME_CAPACITY];
  const int32_t length = uloc_canonicalize(base.c_str(), canonical, sizeof canonical, &status);
  if (U_FAILURE(status) || length <= 0 || length >= static_cast<int32_t>(sizeof canonical)) return std::nullopt;
  return std::string(canonical, static_cast<std::size_t>(length));
}

std::optional<std::string> languageTag(const std::string& localeName) {
  const std::string base = withoutCodesetAndModifier(localeName);
  if (isPortableLocale(base)) return std::nullopt;
  const auto canonical = canonicalLocale(base);
  if (!canonical) return std::nullopt;
  UErrorCode status = U_ZERO_ERROR;
  char tag[ULOC_FULLNAME_CAPACITY];
  const int32_t tagLength = uloc_toLanguageTag(canonical->c_str(), tag, sizeof tag, /*strict=*/true, &status);
  if (U_FAILURE(status) || tagLength <= 0 || tagLength >= static_cast<int32_t>(sizeof tag)) return std::nullopt;
  std::string result(tag, static_cast<std::size_t>(tagLength));
  // ICU turns an unknown language into "und"; that names no preference.
  if (result == "und" || result.rfind("und-", 0) == 0) return std::nullopt;
  return result;
}

// LC_ALL, else LC_MESSAGES, else LANG: the first that is set and not empty.
const std::string& selectedLocale(const LocaleEnvironment& environment) {
  return !environment.lcAll.empty()        ? environment.lcAll
         : !environment.lcMessages.empty() ? environment.lcMessages
                                           : environment.lang;
}

}  // namespace

LocaleEnvironment LocaleEnvironment::current() {
  return {variable("LC_ALL"), variable("LC_MESSAGES"), variable("LANG"), variable("LANGUAGE")};
}

std::vector<std::string> preferredLanguages(const LocaleEnvironment& environment) {
  const std::string& locale = selectedLocale(environment);
  const std::vector<std::string> fallback{"en-US"};
  if (isPortableLocale(withoutCodesetAndModifier(locale))) return fallback;

  std::vector<std::string> candidates;
  std::size_t start = 0;
  while (start <= environment.language.size()) {
    const std::size_t end = std::min(environment.language.find(':', start), environment.language.size());
    candidates.push_back(environment.language.substr(start, end - start));
    start = end + 1;
  }
  candidates.push_back(locale);

  std::vector<std::string> languages;
  for (const auto& candidate : candidates) {
    auto tag = languageTag(candidate);
    if (tag && std::find(languages.begin(), languages.end(), *tag) == languages.end()) {
      languages.push_back(std::move(*tag));
    }
  }
  return languages.empty() ? fallback : languages;
}

std::string deviceLocale(const LocaleEnvironment& environment) {
  const std::string base = withoutCodesetAndModifier(selectedLocale(environment));
  const auto canonical = isPortableLocale(base) ? std::nullopt : canonicalLocale(base);
  return canonical.value_or("en_US_POSIX");
}

}  // namespace instala::platform
