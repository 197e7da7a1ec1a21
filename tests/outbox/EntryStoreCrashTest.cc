// A process killed (SIGKILL) at every step of an entry's write, for a first
// write and for a retap that replaces an entry: afterwards the outbox lists
// either no entry or a complete one, never a partial one, and nothing of ours
// is left over once recovered.

#include "outbox/EntryStore.h"

#include "outbox/IdempotencyKey.h"
#include "platform/Image.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace instala::outbox {
namespace {

namespace fs = std::filesystem;

constexpr int kSteps = 6;  // commit() reports steps 0 … 5

struct CrashCase {
  int killAtStep;  // kSteps: not killed
  bool replacing;  // an entry of the same key exists already
};
void PrintTo(const CrashCase& c, std::ostream* os) {
  *os << (c.replacing ? "replacing" : "first") << " write, killed at step " << c.killAtStep;
}

class KilledWrite : public ::testing::TestWithParam<CrashCase> {
 protected:
  ServiceSubmission submission(const std::string& horn) {
    ServiceSubmission s;
    s.idempotencyKey = key;
    s.ticketId = 77;
    s.fields = {{"ticket_id", "77"}, {"final_car_horn", horn}};
    platform::Bytes pixels(16 * 8 * 3, 120);
    const auto photo = *platform::Image::fromRGB(16, 8, pixels)->encodeJPEG(0.9);
    s.photos[0] = dir.write("Documents/img-1", std::string(photo.begin(), photo.end()));
    s.video = dir.write("camera/clip.mp4", std::string(64 * 1024, 'v'));
    return s;
  }

  // Writes in a child process that kills itself at the step.
  void writeAndDie(const ServiceSubmission& s, int step) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      EntryStore store(root);
      store.commitStep = [step](int at) {
        if (at == step) ::raise(SIGKILL);
      };
      auto staged = store.stage(s);
      if (staged) store.commit(*staged, platform::TimePoint(std::chrono::hours(5)));
      ::_exit(staged ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    if (step < kSteps) {
      ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    } else {
      ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
  }

  testing::TempDir dir;
  fs::path root = dir / "Outbox";
  std::string key = makeIdempotencyKey();
};

TEST_P(KilledWrite, LeavesNoEntryOrACompleteOne) {
  const auto [step, replacing] = GetParam();
  EntryStore store(root);
  if (replacing) {
    auto staged = store.stage(submission("false"));
    ASSERT_TRUE(staged);
    ASSERT_TRUE(store.commit(*staged, platform::TimePoint(std::chrono::hours(1))));
  }
  writeAndDie(submission("true"), step);

  auto recovered = store.recover();
  for (const auto& folder : recovered.leftovers) store.removeLeftover(folder);
  std::vector<std::string> names;
  for (const auto& child : fs::directory_iterator(root)) names.push_back(child.path().filename());

  if (recovered.entries.empty()) {
    EXPECT_FALSE(replacing) << "the earlier entry was lost";
    EXPECT_LT(step, kSteps);
    EXPECT_TRUE(names.empty());
    return;
  }
  ASSERT_EQ(recovered.entries.size(), 1u);
  EXPECT_EQ(names, std::vector<std::string>{key});
  EXPECT_TRUE(recovered.entries[0].problem.empty()) << recovered.entries[0].problem;
  auto loaded = store.load(key);
  ASSERT_TRUE(loaded) << loaded.error().message;
  const std::string horn = loaded->record.fields.at(1).second;
  const bool isNew = horn == "true";
  EXPECT_TRUE(isNew || (replacing && horn == "false")) << horn;
  if (step == kSteps) {
    EXPECT_TRUE(isNew);
  }
  EXPECT_EQ(loaded->record.tappedAt, platform::TimePoint(std::chrono::hours(isNew ? 5 : 1)));
  ASSERT_TRUE(loaded->photos[0]);
  EXPECT_TRUE(platform::Image::decodeJPEG(*loaded->photos[0]));
  ASSERT_TRUE(loaded->video);
  EXPECT_EQ(fs::file_size(*loaded->video), 64u * 1024u);
}

std::vector<CrashCase> everyStep() {
  std::vector<CrashCase> cases;
  for (bool replacing : {false, true}) {
    for (int step = 0; step <= kSteps; ++step) cases.push_back({step, replacing});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Steps, KilledWrite, ::testing::ValuesIn(everyStep()), [](const auto& info) {
  return std::string(info.param.replacing ? "Replacing" : "First") + "KilledAtStep" +
         std::to_string(info.param.killAtStep);
});

}  // namespace
}  // namespace instala::outbox
