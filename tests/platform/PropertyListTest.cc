#include "platform/PropertyList.h"

#include <gtest/gtest.h>

namespace instala::platform {
namespace {

PlistValue sampleDocument() {
  return PlistDict{
      {"text", "Ignición ✓"},
      {"flag", true},
      {"count", std::int64_t{42}},
      {"negative", std::int64_t{-5}},
      {"ratio", 0.25},
      {"bytes", Bytes{0x00, 0xff, 0x10}},
      {"list", PlistArray{"a", false}},
      {"nested", PlistDict{{"URL", "/path"}}},
  };
}

class PropertyListRoundTrip : public ::testing::TestWithParam<PlistFormat> {};

TEST_P(PropertyListRoundTrip, EveryKindSurvives) {
  auto bytes = encodePropertyList(sampleDocument(), GetParam());
  ASSERT_TRUE(bytes);
  auto decoded = decodePropertyList(*bytes);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(*decoded, sampleDocument());
}

INSTANTIATE_TEST_SUITE_P(Formats, PropertyListRoundTrip, ::testing::Values(PlistFormat::xml, PlistFormat::binary));

TEST(PropertyList, RefusesBytesThatAreNoPropertyList) {
  for (std::string bad : {"", "not a plist", "{\"json\": true}", "bplist00\x01\x02"}) {
    EXPECT_FALSE(decodePropertyList(std::string_view(bad))) << bad;
  }
}

TEST(PropertyList, BinaryEncodingIsDetected) {
  auto bytes = encodePropertyList(PlistDict{{"k", "v"}}, PlistFormat::binary);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(std::string(bytes->begin(), bytes->begin() + 6), "bplist");
}

TEST(PropertyList, DictionaryLookups) {
  PlistValue doc = sampleDocument();
  EXPECT_EQ(dictString(doc, "text"), "Ignición ✓");
  EXPECT_FALSE(dictString(doc, "flag"));
  EXPECT_FALSE(dictString(doc, "missing"));
  EXPECT_FALSE(dictString(PlistValue("not a dict"), "text"));
  ASSERT_NE(dictValue(doc, "nested"), nullptr);
  EXPECT_EQ(dictString(*dictValue(doc, "nested"), "URL"), "/path");
}

}  // namespace
}  // namespace instala::platform
