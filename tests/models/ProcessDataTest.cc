#include "models/ProcessData.h"

#include <gtest/gtest.h>

#include <set>

namespace instala {
namespace {

using platform::PlistDict;
using platform::PlistValue;

TEST(ProcessData, NewRecordEncodesAll22KeysWithDefaults) {
  auto document = ProcessData().encode();
  const auto& dict = *document.get<PlistDict>();
  ASSERT_EQ(dict.size(), 22u);
  EXPECT_EQ(dict.at("kilometers"), PlistValue(""));
  for (const auto& item : checklistItems()) EXPECT_EQ(dict.at(item.property), PlistValue(false)) << item.property;
}

TEST(ProcessData, ItemTableIsTheFixedChecklist) {
  const auto& titles = processElementTitles();
  ASSERT_EQ(titles.size(), 21u);
  EXPECT_EQ(titles.front(), "Ignición");
  EXPECT_EQ(titles[6], "Elevadores eléctricos");
  EXPECT_EQ(titles[7], "Claxón");
  EXPECT_EQ(titles[15], "ABS Tractocamión");
  EXPECT_EQ(titles.back(), "Ascensores eléctricos");
  std::set<std::string> fields;
  int unsent = 0;
  for (const auto& item : checklistItems()) {
    if (!item.initialField) {
      ++unsent;
      EXPECT_STREQ(item.property, "electricElevators");
      continue;
    }
    fields.insert(item.initialField);
    fields.insert(item.finalField);
  }
  EXPECT_EQ(unsent, 1);
  EXPECT_EQ(fields.size(), 40u);  // all distinct
  EXPECT_STREQ(checklistItems()[0].finalField, "finall_ignition");
  EXPECT_STREQ(checklistItems()[20].initialField, "electrical_lifts_initial");
}

TEST(ProcessData, IndexedAccessIgnoresOutOfRange) {
  ProcessData record;
  for (int bad : {-1, 21, 1000}) {
    record.setItem(bad, true);
    EXPECT_EQ(record.item(bad), false);
  }
  EXPECT_EQ(record, ProcessData());
  record.setItem(6, true);
  ProcessData expected;
  expected.setItem(6, true);
  EXPECT_EQ(record, expected);
  for (int i = 0; i < 21; ++i) EXPECT_EQ(record.isOn(i), i == 6) << i;
}

TEST(ProcessData, RoundTripThroughBytes) {
  ProcessData record;
  record.kilometers = "123456";
  record.setItem(7, true);
  record.setItem(20, true);
  auto bytes = record.encodeBytes();
  ASSERT_TRUE(bytes);
  auto decoded = ProcessData::decodeBytes(*bytes);
  ASSERT_TRUE(decoded.ok());
  EXPECT_EQ(decoded.value(), record);
}

TEST(ProcessData, MissingKeyIsAbsentAndReadsAsFalse) {
  auto document = ProcessData().encode();
  auto dict = *document.get<PlistDict>();
  dict.erase("horn");
  dict.erase("kilometers");
  dict["unrelated"] = "ignored";
  auto decoded = ProcessData::decode(PlistValue(dict));
  ASSERT_TRUE(decoded.ok());
  EXPECT_FALSE(decoded->item(7).has_value());
  EXPECT_FALSE(decoded->isOn(7));
  EXPECT_FALSE(decoded->kilometers);
  EXPECT_EQ(decoded->encode().get<PlistDict>()->size(), 20u);
}

TEST(ProcessData, WrongTypedValueFailsTheWholeRecord) {
  for (auto [key, value] : std::vector<std::pair<std::string, PlistValue>>{
           {"ignition", PlistValue("yes")}, {"kilometers", PlistValue(std::int64_t{5})}, {"horn", PlistValue(1)}}) {
    auto dict = *ProcessData().encode().get<PlistDict>();
    dict[key] = value;
    EXPECT_FALSE(ProcessData::decode(PlistValue(dict)).ok()) << key;
  }
  EXPECT_FALSE(ProcessData::decode(PlistValue("not keyed")).ok());
  EXPECT_FALSE(ProcessData::decodeBytes(platform::Bytes{1, 2, 3}).ok());
}

}  // namespace
}  // namespace instala
