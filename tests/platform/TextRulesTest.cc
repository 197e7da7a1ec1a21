#include "platform/TextRules.h"

#include <gtest/gtest.h>

namespace instala::platform {
namespace {

TEST(TextRules, WholeTextMatchIsCaseSensitiveAndAnchored) {
  EXPECT_TRUE(matchesWholeText("[a-z]+", "abc"));
  EXPECT_FALSE(matchesWholeText("[a-z]+", "abc1"));
  EXPECT_FALSE(matchesWholeText("[a-z]+", "ABC"));
  EXPECT_FALSE(matchesWholeText("[a-z]+", ""));
  EXPECT_FALSE(matchesWholeText("([", "anything"));
}

TEST(TextRules, TrimsSpaceSeparatorsAndTabsButNotLineBreaks) {
  struct {
    const char* input;
    const char* expected;
  } cases[] = {
      {"  abc ", "abc"},
      {"\tabc\t", "abc"},
      {"\u00A0abc\u2003", "abc"},
      {"\nabc\n", "\nabc\n"},
      {"a b", "a b"},
      {"   ", ""},
      {"", ""},
      {" Ñandú ", "Ñandú"},
  };
  for (const auto& c : cases) EXPECT_EQ(trimSpacesAndTabs(c.input), c.expected) << c.input;
}

}  // namespace
}  // namespace instala::platform
