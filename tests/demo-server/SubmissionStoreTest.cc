#include "SubmissionStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace instala::demo {
namespace {

using instala::testing::readText;
using instala::testing::TempDir;

TEST(SubmissionStoreTest, StoresFieldsFilesAndManifestInANumberedFolder) {
  TempDir dir;
  SubmissionStore store(dir / "subs");
  auto number = store.store({{"ticket_id", "1042", "", ""},
                             {"image", "", "", ""},
                             {"image2", std::string("\xff\xd8jpeg\0bytes", 11), "image2", "image/png"}});
  ASSERT_TRUE(number.ok()) << number.error().message;
  EXPECT_EQ(*number, 1);
  const auto folder = dir / "subs/submission-0001";
  auto fields = nlohmann::json::parse(readText(folder / "fields.json"));
  EXPECT_EQ(fields, (nlohmann::json{{"ticket_id", "1042"}, {"image", ""}}));
  EXPECT_EQ(readText(folder / "image2"), std::string("\xff\xd8jpeg\0bytes", 11));
  auto manifest = nlohmann::json::parse(readText(folder / "manifest.json"));
  EXPECT_EQ(manifest,
            nlohmann::json::parse(R"([{"name":"image2","filename":"image2","content_type":"image/png","size":11}])"));
  EXPECT_FALSE(std::filesystem::exists(folder / "image"));
}

TEST(SubmissionStoreTest, NumbersContinueAfterFoldersAlreadyThereAndNothingPartialStays) {
  TempDir dir;
  std::filesystem::create_directories(dir / "submission-0007");
  std::filesystem::create_directories(dir / "notes");
  SubmissionStore store(dir.path());
  EXPECT_EQ(*store.store({{"a", "1", "", ""}}), 8);
  EXPECT_EQ(*store.store({{"a", "2", "", ""}}), 9);
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_EQ(entry.path().string().find(".partial"), std::string::npos) << entry.path();
  }
}

TEST(SubmissionStoreTest, TextThatIsNotUtf8IsKeptReadable) {
  TempDir dir;
  SubmissionStore store(dir.path());
  ASSERT_TRUE(store.store({{"note", "caf\xe9", "", ""}}).ok());
  auto fields = nlohmann::json::parse(readText(dir / "submission-0001/fields.json"));
  EXPECT_EQ(fields["note"], "caf\xef\xbf\xbd");
}

struct PartsCase {
  std::string name;
  std::vector<SubmissionPart> parts;
  std::string expectedProblem;
};
void PrintTo(const PartsCase& c, std::ostream* os) { *os << c.name; }

TEST(SubmissionStoreTest, StoresOncePerKeyAndRemembersTheKeysOfEarlierRuns) {
  TempDir dir;
  const std::vector<SubmissionPart> first{{"ticket_id", "1", "", ""}};
  const std::vector<SubmissionPart> again{{"ticket_id", "2", "", ""}};
  {
    SubmissionStore store(dir / "subs");
    auto stored = store.storeOnce(first, "key-a");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->number, 1);
    EXPECT_TRUE(stored->fresh);
    EXPECT_EQ(readText(dir / "subs/submission-0001/idempotency-key"), "key-a");
    auto repeated = store.storeOnce(again, "key-a");
    ASSERT_TRUE(repeated);
    EXPECT_EQ(repeated->number, 1);
    EXPECT_FALSE(repeated->fresh);
    EXPECT_EQ(*store.store(again), 2);  // without a key: always stored
    EXPECT_EQ(*store.store(again), 3);
    EXPECT_FALSE(std::filesystem::exists(dir / "subs/submission-0002/idempotency-key"));
  }
  SubmissionStore restarted(dir / "subs");
  EXPECT_EQ(restarted.numberForKey("key-a"), 1);
  EXPECT_FALSE(restarted.numberForKey("key-b"));
  EXPECT_FALSE(restarted.numberForKey(""));
  EXPECT_EQ(restarted.storeOnce(again, "key-b")->number, 4);
  EXPECT_NE(readText(dir / "subs/submission-0001/fields.json").find("\"1\""), std::string::npos);
}

class SubmissionStoreRejectsTest : public ::testing::TestWithParam<PartsCase> {};

TEST_P(SubmissionStoreRejectsTest, RefusesAndStoresNothing) {
  TempDir dir;
  SubmissionStore store(dir / "subs");
  auto problem = SubmissionStore::problemWith(GetParam().parts);
  ASSERT_TRUE(problem);
  EXPECT_NE(problem->find(GetParam().expectedProblem), std::string::npos) << *problem;
  EXPECT_FALSE(store.store(GetParam().parts).ok());
  EXPECT_FALSE(std::filesystem::exists(dir / "subs"));
}

INSTANTIATE_TEST_SUITE_P(
    Parts, SubmissionStoreRejectsTest,
    ::testing::Values(PartsCase{"NoParts", {}, "no trae partes"},
                      PartsCase{"PathInName", {{"../x", "", "x", "image/png"}}, "no válido"},
                      PartsCase{"HiddenName", {{".x", "", "", ""}}, "no válido"},
                      PartsCase{"EmptyName", {{"", "v", "", ""}}, "no válido"},
                      PartsCase{"ReservedFileName", {{"fields.json", "{}", "f.json", "application/json"}}, "reservado"},
                      PartsCase{"ReservedKeyFile", {{"idempotency-key", "k", "k.txt", "text/plain"}}, "reservado"},
                      PartsCase{"Repeated", {{"a", "1", "", ""}, {"a", "2", "", ""}}, "repetida"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace instala::demo
