#include "outbox/IdempotencyKey.h"

#include <gtest/gtest.h>

#include <set>

namespace instala::outbox {
namespace {

TEST(IdempotencyKey, IsARandomVersionFourUuidInLowerCase) {
  std::set<std::string> seen;
  std::set<char> variants;
  for (int i = 0; i < 2000; ++i) {
    const std::string key = makeIdempotencyKey();
    ASSERT_EQ(key.size(), 36u) << key;
    EXPECT_TRUE(isIdempotencyKey(key)) << key;
    EXPECT_EQ(key[14], '4') << key;
    variants.insert(key[19]);
    seen.insert(key);
  }
  EXPECT_EQ(seen.size(), 2000u);
  // The variant's two high bits are fixed, the next two are random.
  EXPECT_EQ(variants, (std::set<char>{'8', '9', 'a', 'b'}));
}

struct ShapeCase {
  const char* text;
  bool valid;
};

class KeyShape : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(KeyShape, OnlyTheExactShapeIsAKey) { EXPECT_EQ(isIdempotencyKey(GetParam().text), GetParam().valid); }

INSTANTIATE_TEST_SUITE_P(
    Texts, KeyShape,
    ::testing::Values(ShapeCase{"0b5e2c1a-7d4f-4e8a-9c3b-2f1d0e6a5b47", true},
                      ShapeCase{"0b5e2c1a-7d4f-4e8a-bc3b-2f1d0e6a5b47", true},
                      ShapeCase{"0B5E2C1A-7D4F-4E8A-9C3B-2F1D0E6A5B47", false},  // upper case
                      ShapeCase{"0b5e2c1a-7d4f-1e8a-9c3b-2f1d0e6a5b47", false},  // version 1
                      ShapeCase{"0b5e2c1a-7d4f-4e8a-7c3b-2f1d0e6a5b47", false},  // another variant
                      ShapeCase{"0b5e2c1a7d4f-4e8a-9c3b-2f1d0e6a5b47-", false},  // dashes moved
                      ShapeCase{"0b5e2c1a-7d4f-4e8a-9c3b-2f1d0e6a5b4", false},   // short
                      ShapeCase{"0b5e2c1a-7d4f-4e8a-9c3b-2f1d0e6a5b477", false}, // long
                      ShapeCase{"../../../../../../../../../etc/passw", false},
                      ShapeCase{"", false}));

}  // namespace
}  // namespace instala::outbox
