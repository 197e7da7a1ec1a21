#include "networking/DefaultHeaders.h"

#include <gtest/gtest.h>


namespace instala {
namespace {

TEST(AcceptLanguage, TwoLanguages) { EXPECT_EQ(acceptLanguageValue({"es-MX", "en-US"}), "es-MX;q=1.0, en-US;q=0.9"); }

TEST(AcceptLanguage, EightLanguagesGiveSix) {
  EXPECT_EQ(acceptLanguageValue({"es-MX", "es", "en-US", "en", "pt-BR", "fr", "de", "it"}),
            "es-MX;q=1.0, es;q=0.9, en-US;q=0.8, en;q=0.7, pt-BR;q=0.6, fr;q=0.5");
}

TEST(AcceptLanguage, OneAndNone) {
  EXPECT_EQ(acceptLanguageValue({"es-MX"}), "es-MX;q=1.0");
  EXPECT_EQ(acceptLanguageValue({}), "");
}

platform::PlistDict fullInfo() {
  return {{"CFBundleExecutable", "instala"},
          {"CFBundleIdentifier", "mx.instala.Instala"},
          {"CFBundleShortVersionString", "1.2.3"},
          {"CFBundleVersion", "45"}};
}

TEST(UserAgent, FromTheInformationDictionary) {
  EXPECT_EQ(userAgentValue(platform::PlistValue(fullInfo()), "Linux 6.1.0"),
            "instala/1.2.3 (mx.instala.Instala; build:45; Linux 6.1.0) InstalaHTTP/1.2.3");
}

TEST(UserAgent, MissingOrNonTextEntriesReadUnknown) {
  auto info = fullInfo();
  info.erase("CFBundleShortVersionString");
  info["CFBundleVersion"] = platform::PlistValue(45);
  EXPECT_EQ(userAgentValue(platform::PlistValue(info), "Linux 6.1.0"),
            "instala/Unknown (mx.instala.Instala; build:Unknown; Linux 6.1.0) InstalaHTTP/Unknown");
  EXPECT_EQ(userAgentValue(platform::PlistValue(platform::PlistDict{}), "Linux 1.0.0"),
            "Unknown/Unknown (Unknown; build:Unknown; Linux 1.0.0) InstalaHTTP/Unknown");
}

TEST(UserAgent, WithoutInformationDictionary) { EXPECT_EQ(userAgentValue(std::nullopt, "Linux 6.1.0"), "InstalaHTTP"); }

TEST(UserAgent, LineBreaksInTheBundleCannotSplitTheHeader) {
  auto info = fullInfo();
  info["CFBundleExecutable"] = "insta\r\nX-Evil: 1";
  EXPECT_EQ(userAgentValue(platform::PlistValue(info), "Linux 6.1.0").find_first_of("\r\n"), std::string::npos);
}

struct KernelCase {
  std::string release;
  std::string expected;
};

void PrintTo(const KernelCase& c, std::ostream* os) { *os << c.release; }

class KernelVersion : public ::testing::TestWithParam<KernelCase> {};

TEST_P(KernelVersion, MajorMinorPatch) { EXPECT_EQ(kernelVersion(GetParam().release), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Releases, KernelVersion,
                         ::testing::Values(KernelCase{"6.1.0-18-amd64", "6.1.0"},
                                           KernelCase{"6.18.44-fc-v1374", "6.18.44"}, KernelCase{"5.10", "5.10.0"},
                                           KernelCase{"4.19.0.1", "4.19.0"}, KernelCase{"6", "6.0.0"},
                                           KernelCase{"weird", "0.0.0"},
                                           KernelCase{"99999999999999999999999.1.2", "0.1.2"}));

TEST(OperatingSystem, IsLinuxWithThreeNumbers) {
  const std::string description = operatingSystemDescription();
  ASSERT_EQ(description.rfind("Linux ", 0), 0u) << description;
  // The version part reads back as itself.
  EXPECT_EQ(kernelVersion(description.substr(6)), description.substr(6));
  EXPECT_NE(description, "Linux 0.0.0");
}

}  // namespace
}  // namespace instala
