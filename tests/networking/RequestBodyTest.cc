#include "networking/RequestBody.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <functional>

namespace instala {
namespace {

using testing::TempDir;

RequestBody::File fileAt(const std::filesystem::path& path) {
  struct stat status {};
  EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
  return {path, FileIdentity::of(status)};
}

std::shared_ptr<RequestBody> opened(std::vector<RequestBody::Piece> pieces) {
  auto body = RequestBody::open(std::move(pieces));
  if (auto* error = std::get_if<RequestError>(&body)) {
    ADD_FAILURE() << *error;
    return nullptr;
  }
  return std::get<std::shared_ptr<RequestBody>>(body);
}

// Reads the whole body in pieces of at most `capacity` bytes.
std::optional<std::string> readInPieces(RequestBody& body, std::size_t capacity) {
  std::string all;
  std::string buffer(capacity, '\0');
  for (;;) {
    auto count = body.read(buffer.data(), capacity);
    if (!count) return std::nullopt;
    if (*count == 0) return all;
    EXPECT_LE(*count, capacity);
    all.append(buffer, 0, *count);
  }
}

class ReadInPiecesOf : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ReadInPiecesOf, GivesEveryPieceOnceInOrder) {
  TempDir folder;
  const std::string video(100'003, 'v');
  const auto first = folder.write("a.bin", video);
  const auto empty = folder.write("empty.bin", "");
  auto body = opened({std::string("head "), fileAt(first), std::string(), fileAt(empty), std::string(" tail")});
  ASSERT_TRUE(body);
  EXPECT_EQ(body->size(), 5 + video.size() + 5);
  EXPECT_TRUE(body->readsFiles());
  EXPECT_FALSE(body->started());
  EXPECT_EQ(readInPieces(*body, GetParam()), "head " + video + " tail");
  EXPECT_TRUE(body->started());
  EXPECT_FALSE(body->error());
}

INSTANTIATE_TEST_SUITE_P(Capacities, ReadInPiecesOf, ::testing::Values(1, 5, 4096, 65536, 1 << 20));

TEST(RequestBody, InMemoryBodyReadsNoFile) {
  RequestBody body(std::string("{\"a\":1}"));
  EXPECT_FALSE(body.readsFiles());
  EXPECT_EQ(readInPieces(body, 3), "{\"a\":1}");
}

TEST(RequestBody, ReadAllGivesWhatIsLeft) {
  TempDir folder;
  auto body = opened({std::string("0123"), fileAt(folder.write("f", "4567"))});
  ASSERT_TRUE(body);
  char first[3];
  ASSERT_EQ(body->read(first, sizeof first), 3u);
  auto rest = body->readAll();
  ASSERT_TRUE(std::holds_alternative<std::string>(rest));
  EXPECT_EQ(std::get<std::string>(rest), "34567");
}

struct Change {
  std::string name;
  std::function<void(const std::filesystem::path&)> apply;
  bool noticedWhileReading;  // false: the body goes on reading the file it opened
};

void PrintTo(const Change& c, std::ostream* os) { *os << c.name; }

const Change kChanges[] = {
    {"Grows", [](const auto& file) { std::ofstream(file, std::ios::binary | std::ios::app) << "+"; }, true},
    {"Shrinks", [](const auto& file) { std::filesystem::resize_file(file, std::filesystem::file_size(file) - 1); },
     true},
    {"IsTouched",
     [](const auto& file) {
       std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) - std::chrono::seconds(1));
     },
     true},
    {"IsReplaced",
     [](const auto& file) {
       const auto other = file.parent_path() / "other";
       std::filesystem::copy_file(file, other);
       std::filesystem::last_write_time(other, std::filesystem::last_write_time(file));
       std::filesystem::rename(other, file);
     },
     false},
};

class FileChanged : public ::testing::TestWithParam<Change> {};

TEST_P(FileChanged, BeforeTheBodyIsOpenedFailsTheOpening) {
  TempDir folder;
  const auto file = folder.write("clip.mp4", std::string(1000, 'v'));
  const auto chosen = fileAt(file);
  GetParam().apply(file);
  auto body = RequestBody::open({std::string("head"), chosen});
  ASSERT_TRUE(std::holds_alternative<RequestError>(body));
  EXPECT_EQ(std::get<RequestError>(body).kind, RequestError::Kind::bodyEncoding);
}

TEST_P(FileChanged, WhileTheBodyIsReadNeverHandsOutItsLastByte) {
  TempDir folder;
  const auto file = folder.write("clip.mp4", std::string(1000, 'v'));
  auto body = opened({std::string("head"), fileAt(file), std::string("tail")});
  ASSERT_TRUE(body);
  char buffer[100];
  ASSERT_EQ(body->read(buffer, sizeof buffer), sizeof buffer);
  GetParam().apply(file);
  std::uint64_t handedOut = sizeof buffer;
  std::optional<std::size_t> count;
  while ((count = body->read(buffer, sizeof buffer)) && *count > 0) handedOut += *count;
  if (!GetParam().noticedWhileReading) {
    EXPECT_TRUE(count);
    EXPECT_EQ(handedOut, body->size());
    return;
  }
  EXPECT_FALSE(count);
  ASSERT_TRUE(body->error());
  EXPECT_EQ(body->error()->kind, RequestError::Kind::bodyEncoding);
  EXPECT_LT(handedOut, 4u + 1000u);
  EXPECT_FALSE(body->read(buffer, sizeof buffer)) << "a failed body stays failed";
}

INSTANTIATE_TEST_SUITE_P(Changes, FileChanged, ::testing::ValuesIn(kChanges),
                         [](const auto& info) { return info.param.name; });

TEST(RequestBody, MissingFileFailsTheOpening) {
  TempDir folder;
  const auto file = folder.write("clip.mp4", "x");
  const auto chosen = fileAt(file);
  std::filesystem::remove(file);
  auto body = RequestBody::open({chosen});
  ASSERT_TRUE(std::holds_alternative<RequestError>(body));
  EXPECT_EQ(std::get<RequestError>(body).kind, RequestError::Kind::bodyEncoding);
}

}  // namespace
}  // namespace instala
