#include "platform/PreferredLanguages.h"

#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

namespace instala::platform {
namespace {

struct LanguagesCase {
  std::string name;
  LocaleEnvironment environment;
  std::vector<std::string> expected;
};

void PrintTo(const LanguagesCase& c, std::ostream* os) { *os << c.name; }

class PreferredLanguagesFrom : public ::testing::TestWithParam<LanguagesCase> {};

TEST_P(PreferredLanguagesFrom, LocaleEnvironment) {
  EXPECT_EQ(preferredLanguages(GetParam().environment), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Recipes, PreferredLanguagesFrom,
    ::testing::Values(
        LanguagesCase{"LanguageListThenLocale", {"", "", "es_MX.UTF-8", "es_MX:es:en_US"}, {"es-MX", "es", "en-US"}},
        LanguagesCase{"LocaleAlone", {"", "", "es_MX.UTF-8", ""}, {"es-MX"}},
        LanguagesCase{"LcAllWins", {"pt_BR.UTF-8", "de_DE.UTF-8", "es_MX.UTF-8", ""}, {"pt-BR"}},
        LanguagesCase{"LcMessagesBeforeLang", {"", "de_DE.UTF-8", "es_MX.UTF-8", ""}, {"de-DE"}},
        LanguagesCase{"CLocaleIgnoresLanguage", {"", "", "C", "es_MX:es"}, {"en-US"}},
        LanguagesCase{"CUtf8IsC", {"C.UTF-8", "", "es_MX.UTF-8", "es"}, {"en-US"}},
        LanguagesCase{"Posix", {"", "", "POSIX", ""}, {"en-US"}},
        LanguagesCase{"NothingSet", {"", "", "", "es"}, {"en-US"}},
        LanguagesCase{"ModifierDropped", {"", "", "sr_RS.UTF-8@latin", ""}, {"sr-RS"}},
        LanguagesCase{"DuplicatesDropped", {"", "", "es_MX.UTF-8", "es_MX:es_MX.UTF-8:es"}, {"es-MX", "es"}},
        LanguagesCase{"EmptyAndPortableEntriesSkipped", {"", "", "fr_FR.UTF-8", "::C:fr"}, {"fr", "fr-FR"}},
        LanguagesCase{"InvalidEntriesSkipped", {"", "", "en_GB.UTF-8", "12345:%%:es"}, {"es", "en-GB"}}),
    [](const auto& info) { return info.param.name; });

struct DeviceLocaleCase {
  std::string name;
  LocaleEnvironment environment;
  std::string expected;
};

void PrintTo(const DeviceLocaleCase& c, std::ostream* os) { *os << c.name; }

class DeviceLocaleFrom : public ::testing::TestWithParam<DeviceLocaleCase> {};

TEST_P(DeviceLocaleFrom, LocaleEnvironment) { EXPECT_EQ(deviceLocale(GetParam().environment), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Recipes, DeviceLocaleFrom,
    ::testing::Values(DeviceLocaleCase{"Lang", {"", "", "es_MX.UTF-8", "de"}, "es_MX"},
                      DeviceLocaleCase{"EmptyLcAllIsUnset", {"", "", "es_MX.UTF-8", ""}, "es_MX"},
                      DeviceLocaleCase{"LcAllWins", {"pt_BR.UTF-8", "de_DE", "es_MX.UTF-8", ""}, "pt_BR"},
                      DeviceLocaleCase{"LcMessagesBeforeLang", {"", "de_DE.UTF-8", "es_MX.UTF-8", ""}, "de_DE"},
                      DeviceLocaleCase{"ModifierDropped", {"", "", "sr_RS.UTF-8@latin", ""}, "sr_RS"},
                      DeviceLocaleCase{"C", {"", "", "C.UTF-8", ""}, "en_US_POSIX"},
                      DeviceLocaleCase{"NothingSet", {"", "", "", ""}, "en_US_POSIX"}),
    [](const auto& info) { return info.param.name; });

TEST(PreferredLanguages, ReadsTheProcessEnvironment) {
  testing::ScopedEnvironment environment(
      {{"LC_ALL", ""}, {"LC_MESSAGES", ""}, {"LANG", "es_MX.UTF-8"}, {"LANGUAGE", "es_MX:es:en_US"}});
  EXPECT_EQ(preferredLanguages(), (std::vector<std::string>{"es-MX", "es", "en-US"}));
}

}  // namespace
}  // namespace instala::platform
