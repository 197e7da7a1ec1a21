// The outbox's folder on disk: what an entry holds, how it is replaced,
// removed, read back and recovered after a crash.

#include "outbox/EntryStore.h"

#include "outbox/IdempotencyKey.h"
#include "platform/FileSystem.h"
#include "platform/Image.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <functional>

namespace instala::outbox {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

platform::Bytes jpeg(int width, std::uint8_t shade) {
  platform::Bytes pixels(static_cast<std::size_t>(width * 8 * 3), shade);
  return *platform::Image::fromRGB(width, 8, pixels)->encodeJPEG(0.9);
}

std::string text(const platform::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

unsigned modeOf(const fs::path& path) {
  struct stat info {};
  ::stat(path.c_str(), &info);
  return info.st_mode & 0777;
}

class EntryStoreTest : public ::testing::Test {
 protected:
  // Photos in slots 0 and 2 of the photo store, and a video.
  ServiceSubmission submission(const std::string& key = makeIdempotencyKey()) {
    ServiceSubmission s;
    s.idempotencyKey = key;
    s.ticketId = 1042;
    s.fields = {{"ticket_id", "1042"}, {"initial_car_horn", "true"}, {"final_observations", ""}};
    for (std::size_t slot = 0; slot < kPhotoSlots; ++slot) s.photos[slot] = documents / ("img-" + std::to_string(slot + 1));
    dir.write("Documents/img-1", text(jpeg(40, 200)));
    dir.write("Documents/img-3", text(jpeg(24, 90)));
    s.video = dir.write("camera/clip.mp4", std::string(5000, 'v'));
    return s;
  }
  EntryRecord write(const ServiceSubmission& s, platform::TimePoint at = platform::TimePoint(std::chrono::hours(1))) {
    auto staged = store.stage(s);
    EXPECT_TRUE(staged) << staged.error().message;
    auto record = store.commit(*staged, at);
    EXPECT_TRUE(record) << record.error().message;
    return record ? *record : EntryRecord{};
  }
  std::vector<std::string> names() const {
    std::vector<std::string> found;
    std::error_code ec;
    for (const auto& child : fs::directory_iterator(store.root(), ec)) found.push_back(child.path().filename());
    std::sort(found.begin(), found.end());
    return found;
  }

  TempDir dir;
  fs::path documents = dir / "Documents";
  EntryStore store{dir / "Documents" / "Outbox"};
};

TEST_F(EntryStoreTest, AnEntryHoldsTheRecordThePhotosAtQualityPointTwoAndTheVideo) {
  const auto s = submission();
  const auto record = write(s, platform::TimePoint(std::chrono::milliseconds(1'700'000'000'123)));
  const fs::path folder = store.entryFolder(s.idempotencyKey);
  EXPECT_EQ(names(), std::vector<std::string>{s.idempotencyKey});
  EXPECT_EQ(modeOf(store.root()), 0700u);
  EXPECT_EQ(modeOf(folder), 0700u);
  for (const char* file : {"entry.plist", "image", "image3"}) EXPECT_EQ(modeOf(folder / file), 0600u) << file;
  EXPECT_FALSE(fs::exists(folder / "image2"));

  EXPECT_EQ(record.ticketId, 1042);
  EXPECT_EQ(record.fields, s.fields);
  EXPECT_EQ(record.photos, (std::array<bool, kPhotoSlots>{true, false, true, false, false}));
  EXPECT_EQ(record.videoName, "clip.mp4");
  EXPECT_EQ(record.attempts, 0);
  const auto expected = platform::Image::decodeJPEG(jpeg(40, 200))->encodeJPEG(0.2);
  EXPECT_EQ(*platform::readFile(folder / "image"), *expected);
  // The video is the camera's file itself, linked.
  struct stat original {}, linked {};
  ::stat(s.video->c_str(), &original);
  ::stat((folder / "video" / "clip.mp4").c_str(), &linked);
  EXPECT_EQ(original.st_ino, linked.st_ino);

  auto loaded = store.load(s.idempotencyKey);
  ASSERT_TRUE(loaded) << loaded.error().message;
  EXPECT_EQ(loaded->record, record);
  EXPECT_EQ(loaded->photos[0], expected);
  EXPECT_FALSE(loaded->photos[1]);
  EXPECT_EQ(loaded->video, folder / "video" / "clip.mp4");
  EXPECT_EQ(loaded->record.tappedAt, platform::TimePoint(std::chrono::milliseconds(1'700'000'000'123)));
}

TEST_F(EntryStoreTest, AfterTheTapTheEntryNoLongerNeedsThePhotoStore) {
  const auto s = submission();
  auto staged = store.stage(s);
  ASSERT_TRUE(staged);
  // The next service's step one empties the photo store before the entry is finished.
  fs::remove(documents / "img-1");
  fs::remove(documents / "img-3");
  auto record = store.commit(*staged, {});
  ASSERT_TRUE(record) << record.error().message;
  EXPECT_EQ(record->photos, (std::array<bool, kPhotoSlots>{true, false, true, false, false}));
  EXPECT_TRUE(store.load(s.idempotencyKey));
}

struct SlotCase {
  const char* name;
  std::function<void(const fs::path& photo)> make;  // what stands at the photo's place
};
void PrintTo(const SlotCase& c, std::ostream* os) { *os << c.name; }

class UnusableSlot : public EntryStoreTest, public ::testing::WithParamInterface<SlotCase> {};

TEST_P(UnusableSlot, IsKeptAsAnEmptySlotWithoutBlocking) {
  auto s = submission();
  fs::remove(s.photos[1]);
  GetParam().make(s.photos[1]);
  const auto record = write(s);
  EXPECT_FALSE(record.photos[1]);
  EXPECT_TRUE(record.photos[0]);
  EXPECT_FALSE(fs::exists(store.entryFolder(s.idempotencyKey) / "image2"));
}

INSTANTIATE_TEST_SUITE_P(
    Sources, UnusableSlot,
    ::testing::Values(SlotCase{"Missing", [](const fs::path&) {}},
                      SlotCase{"NotAPhoto", [](const fs::path& p) { std::ofstream(p) << "no photo"; }},
                      SlotCase{"Folder", [](const fs::path& p) { fs::create_directories(p); }},
                      SlotCase{"Fifo", [](const fs::path& p) { ::mkfifo(p.c_str(), 0600); }}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusalCase {
  const char* name;
  std::function<void(ServiceSubmission&, const TempDir&)> change;
};
void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class RefusedSubmission : public EntryStoreTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusedSubmission, LeavesNothingBehind) {
  auto s = submission();
  GetParam().change(s, dir);
  EXPECT_FALSE(store.stage(s));
  EXPECT_TRUE(names().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Submissions, RefusedSubmission,
    ::testing::Values(
        RefusalCase{"MalformedKey", [](auto& s, auto&) { s.idempotencyKey = "../escape"; }},
        RefusalCase{"VideoGone", [](auto& s, auto&) { fs::remove(*s.video); }},
        RefusalCase{"VideoWithoutExtension", [](auto& s, auto& d) { s.video = d.write("camera/clip", "v"); }},
        RefusalCase{"VideoIsAFolder",
                    [](auto& s, auto& d) {
                      s.video = d / "camera" / "folder.mp4";
                      fs::create_directories(*s.video);
                    }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EntryStoreTest, ARetapReplacesTheEntryUnderTheSameKey) {
  auto s = submission();
  write(s);
  s.fields = {{"ticket_id", "1042"}, {"final_car_horn", "true"}};
  s.photos[2].clear();
  const auto replaced = write(s, platform::TimePoint(std::chrono::hours(2)));
  EXPECT_EQ(names(), std::vector<std::string>{s.idempotencyKey});
  auto loaded = store.load(s.idempotencyKey);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->record, replaced);
  EXPECT_FALSE(loaded->record.photos[2]);
  EXPECT_FALSE(fs::exists(store.entryFolder(s.idempotencyKey) / "image3"));
}

TEST_F(EntryStoreTest, AnAttemptIsRecordedAndNeverRecreatesARemovedEntry) {
  const auto s = submission();
  write(s);
  EXPECT_FALSE(store.recordAttempt(s.idempotencyKey, 3, "status 500"));
  EXPECT_EQ(store.load(s.idempotencyKey)->record.attempts, 3);
  EXPECT_EQ(store.load(s.idempotencyKey)->record.lastError, "status 500");
  EXPECT_FALSE(store.remove(s.idempotencyKey));
  EXPECT_TRUE(names().empty());
  EXPECT_TRUE(store.recordAttempt(s.idempotencyKey, 4, "status 500"));
  EXPECT_TRUE(names().empty());
}

struct DamageCase {
  const char* name;
  std::function<void(const fs::path& folder)> damage;
};
void PrintTo(const DamageCase& c, std::ostream* os) { *os << c.name; }

class DamagedEntry : public EntryStoreTest, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(DamagedEntry, CannotBeLoadedButStaysListed) {
  const auto s = submission();
  write(s);
  GetParam().damage(store.entryFolder(s.idempotencyKey));
  auto loaded = store.load(s.idempotencyKey);
  EXPECT_FALSE(loaded);
  auto recovered = store.recover();
  ASSERT_EQ(recovered.entries.size(), 1u);
  EXPECT_EQ(recovered.entries[0].record.idempotencyKey, s.idempotencyKey);
  EXPECT_EQ(names(), std::vector<std::string>{s.idempotencyKey});
}

INSTANTIATE_TEST_SUITE_P(
    Damages, DamagedEntry,
    ::testing::Values(DamageCase{"PhotoGone", [](const fs::path& f) { fs::remove(f / "image3"); }},
                      DamageCase{"VideoGone", [](const fs::path& f) { fs::remove(f / "video" / "clip.mp4"); }},
                      DamageCase{"VideoBecameAFifo",
                                 [](const fs::path& f) {
                                   fs::remove(f / "video" / "clip.mp4");
                                   ::mkfifo((f / "video" / "clip.mp4").c_str(), 0600);
                                 }},
                      DamageCase{"RecordCorrupt", [](const fs::path& f) { std::ofstream(f / "entry.plist") << "<plist"; }},
                      DamageCase{"RecordGone", [](const fs::path& f) { fs::remove(f / "entry.plist"); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EntryStoreTest, RecoveryListsOldestFirstRestoresWhatACrashMovedAsideAndLeavesForeignFiles) {
  const auto early = submission();
  const auto late = submission();
  const auto restored = submission();
  write(late, platform::TimePoint(std::chrono::hours(3)));
  write(early, platform::TimePoint(std::chrono::hours(1)));
  write(restored, platform::TimePoint(std::chrono::hours(2)));
  const fs::path root = store.root();
  // A crash between moving an entry aside and putting its replacement in place…
  fs::rename(store.entryFolder(restored.idempotencyKey), root / (".replaced-" + restored.idempotencyKey + "-a1b2c3"));
  // …one after the replacement arrived, one in the middle of a write and one in the middle of a removal.
  fs::create_directories(root / (".replaced-" + late.idempotencyKey + "-d4e5f6"));
  fs::create_directories(root / (".writing-" + early.idempotencyKey + "-g7h8i9") / "video");
  fs::create_directories(root / (".removed-" + early.idempotencyKey + "-j0k1l2"));
  fs::create_directories(root / "notes");

  auto recovered = store.recover();
  std::vector<std::string> order;
  for (const auto& listed : recovered.entries) {
    order.push_back(listed.record.idempotencyKey);
    EXPECT_TRUE(listed.problem.empty()) << listed.problem;
  }
  EXPECT_EQ(order, (std::vector<std::string>{early.idempotencyKey, restored.idempotencyKey, late.idempotencyKey}));
  EXPECT_EQ(recovered.leftovers.size(), 3u);
  for (const auto& folder : recovered.leftovers) store.removeLeftover(folder);
  auto expected = std::vector<std::string>{early.idempotencyKey, late.idempotencyKey, restored.idempotencyKey, "notes"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(names(), expected);
  EXPECT_TRUE(store.load(restored.idempotencyKey));
}

}  // namespace
}  // namespace instala::outbox
