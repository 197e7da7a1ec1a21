// The submission's body with five 12-megapixel photos, built by the body
// builder on the encoding queue, next to libjpeg-turbo alone doing the same
// five decode + encode on one thread (tjDecompress2 / tjCompress2 at the same
// quality). Pairs run interleaved, each side in a fresh process, which
// reports its time and its peak resident memory. The same pairs run again
// while two CPU-bound processes of normal priority compete for the cores.
//
//   bench-photos                           everything, figures at the end
//   bench-photos --side ours|turbo DIR     one side over DIR/Documents/img-1 … img-5

#include "networking/BackgroundQueue.h"
#include "networking/MultipartFormData.h"
#include "platform/Image.h"
#include "platform/Paths.h"
#include "outbox/EntryStore.h"
#include "outbox/IdempotencyKey.h"
#include "support/ChildProcess.h"
#include "support/SyntheticPhoto.h"
#include "support/TempDir.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <future>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace instala;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kPhotos = 5;
constexpr double kStoredQuality = 0.25;
constexpr int kPairs = 7;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

struct Run {
  double seconds = 0;
  double cpuSeconds = 0;  // all threads, user and system
  double peakMegabytes = 0;
};

Run finishedRun(double seconds) {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto toSeconds = [](const timeval& time) { return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6; };
  const double cpu = toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime);
  return {seconds, cpu, static_cast<double>(usage.ru_maxrss) / 1024.0};
}

std::filesystem::path photoFile(const std::filesystem::path& data, int slot) {
  return data / "Documents" / ("img-" + std::to_string(slot + 1));
}

// The application's path from "Finalizar" to a body: the outbox entry is
// staged and written on a background queue, as the outbox's worker does, then
// the body is built from the entry.
bool buildBody(const std::filesystem::path& data) {
  BackgroundQueue queue;
  std::promise<std::size_t> photoParts;
  queue.async([&photoParts, &data] {
    outbox::EntryStore store(data / "Outbox");
    outbox::ServiceSubmission submission;
    submission.idempotencyKey = outbox::makeIdempotencyKey();
    for (int slot = 0; slot < kPhotos; ++slot) submission.photos[static_cast<std::size_t>(slot)] = photoFile(data, slot);
    std::size_t files = 0;
    auto staged = store.stage(submission);
    if (staged && store.commit(*staged, platform::TimePoint{})) {
      if (auto entry = store.load(submission.idempotencyKey)) {
        MultipartFormData form;
        outbox::appendSubmissionParts(form, *entry);
        for (const auto& part : form.bodyParts()) {
          for (const auto& [name, value] : part.headers) files += name == "Content-Type" && value == "image/png";
        }
      }
    }
    store.remove(submission.idempotencyKey);
    photoParts.set_value(files);
  });
  return photoParts.get_future().get() == kPhotos;
}

// libjpeg-turbo alone: read, decode, encode, one photo after the other. The
// pixel and output buffers are reused from photo to photo, which spares the
// reference all but the first photo's page faults.
bool turboAlone(const std::filesystem::path& data) {
  tjhandle decompressor = tjInitDecompress();
  tjhandle compressor = tjInitCompress();
  const int level = static_cast<int>(std::lround(outbox::kUploadPhotoQuality * 100));
  std::vector<unsigned char> pixels;
  unsigned char* out = nullptr;
  unsigned long capacity = 0;
  bool ok = true;
  for (int slot = 0; slot < kPhotos && ok; ++slot) {
    std::ifstream in(photoFile(data, slot), std::ios::binary);
    const std::vector<unsigned char> jpeg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    ok = tjDecompressHeader3(decompressor, jpeg.data(), jpeg.size(), &width, &height, &subsampling, &colorspace) == 0;
    if (!ok) break;
    pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    ok = tjDecompress2(decompressor, jpeg.data(), jpeg.size(), pixels.data(), width, 0, height, TJPF_RGB,
                       TJFLAG_ACCURATEDCT) == 0;
    if (tjBufSize(width, height, TJSAMP_420) > capacity) {
      tjFree(out);
      capacity = tjBufSize(width, height, TJSAMP_420);
      out = tjAlloc(static_cast<int>(capacity));
    }
    unsigned long size = capacity;
    ok = ok && tjCompress2(compressor, pixels.data(), width, 0, height, TJPF_RGB, &out, &size, TJSAMP_420, level,
                           TJFLAG_NOREALLOC) == 0;
  }
  tjFree(out);
  tjDestroy(compressor);
  tjDestroy(decompressor);
  return ok;
}

int runSide(const std::string& side, const std::filesystem::path& data) {
  platform::Paths::setDataDirectory(data);
  const auto start = Clock::now();
  const bool ok = side == "ours" ? buildBody(data) : turboAlone(data);
  const double seconds = secondsSince(start);
  if (!ok) {
    std::cerr << side << ": the photos were not all re-encoded" << std::endl;
    return 1;
  }
  const Run run = finishedRun(seconds);
  std::printf("seconds %.4f cpu %.4f peak %.1f\n", run.seconds, run.cpuSeconds, run.peakMegabytes);
  return 0;
}

std::optional<Run> runChild(const std::string& side, const std::filesystem::path& data) {
  testing::ChildProcess child(testing::binaryDirectory() / "bench-photos", {"--side", side, data.string()});
  const auto line = child.readLine(std::chrono::minutes(5));
  if (child.wait() != 0 || !line) return std::nullopt;
  Run run;
  if (std::sscanf(line->c_str(), "seconds %lf cpu %lf peak %lf", &run.seconds, &run.cpuSeconds, &run.peakMegabytes) !=
      3) {
    return std::nullopt;
  }
  return run;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct Pairs {
  std::vector<double> ratios;
  std::vector<double> ourPeaks;
};

std::optional<Pairs> runPairs(const std::filesystem::path& data, const char* label) {
  Pairs pairs;
  for (int i = 0; i < kPairs; ++i) {
    auto ours = runChild("ours", data);
    auto turbo = runChild("turbo", data);
    if (!ours || !turbo) return std::nullopt;
    pairs.ratios.push_back(ours->seconds / turbo->seconds);
    pairs.ourPeaks.push_back(ours->peakMegabytes);
    std::printf(
        "  %s, pair %d: ours %.3f s (cpu %.3f s, peak %.1f MB), libjpeg-turbo %.3f s (cpu %.3f s, peak %.1f MB), "
        "ratio %.2f\n",
        label, i + 1, ours->seconds, ours->cpuSeconds, ours->peakMegabytes, turbo->seconds, turbo->cpuSeconds,
        turbo->peakMegabytes, pairs.ratios.back());
    std::fflush(stdout);
  }
  return pairs;
}

// Busy loops at normal priority, ended by the destructor (or with us).
class BusyProcesses {
 public:
  explicit BusyProcesses(int count) {
    for (int i = 0; i < count; ++i) {
      const pid_t pid = fork();
      if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        volatile unsigned long spin = 0;
        for (;;) spin = spin + 1;
      }
      if (pid > 0) pids_.push_back(pid);
    }
  }
  ~BusyProcesses() {
    for (pid_t pid : pids_) kill(pid, SIGKILL);
    for (pid_t pid : pids_) waitpid(pid, nullptr, 0);
  }
  BusyProcesses(const BusyProcesses&) = delete;
  BusyProcesses& operator=(const BusyProcesses&) = delete;

 private:
  std::vector<pid_t> pids_;
};

void printFigure(const char* name, const std::vector<double>& values, bool ratio, const char* op, double target,
                 const char* unit) {
  const double low = *std::min_element(values.begin(), values.end());
  const double middle = median(values);
  const bool met = std::string(op) == "<=" ? middle <= target : middle < target;
  if (ratio) {
    std::printf("figure: %s | ratio min %.2f median %.2f | target %s %.2f | %s\n", name, low, middle, op, target,
                met ? "met" : "missed");
  } else {
    std::printf("figure: %s | value min %.1f median %.1f %s | target %s %.0f %s | %s\n", name, low, middle, unit, op,
                target, unit, met ? "met" : "missed");
  }
}

int runAll() {
  testing::TempDir data;
  std::filesystem::create_directories(data / "Documents");
  std::printf("photos: five %dx%d camera-like JPEGs stored at quality %.2f, re-encoded at %.2f\n", kWidth, kHeight,
              kStoredQuality, outbox::kUploadPhotoQuality);
  for (int slot = 0; slot < kPhotos; ++slot) {
    const auto seed = static_cast<std::uint32_t>(slot + 1);
    auto jpeg = platform::Image::fromRGB(kWidth, kHeight, testing::syntheticPhoto(kWidth, kHeight, seed))
                    ->encodeJPEG(kStoredQuality);
    std::ofstream(photoFile(data.path(), slot), std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg->data()), static_cast<std::streamsize>(jpeg->size()));
    std::printf("  img-%d: %zu bytes\n", slot + 1, jpeg->size());
  }
  std::fflush(stdout);

  auto idle = runPairs(data.path(), "idle");
  std::optional<Pairs> loaded;
  {
    BusyProcesses busy(2);
    loaded = runPairs(data.path(), "two busy processes");
  }
  if (!idle || !loaded) {
    std::cerr << "bench-photos: a run failed" << std::endl;
    return 1;
  }
  std::vector<double> peaks = idle->ourPeaks;
  peaks.insert(peaks.end(), loaded->ourPeaks.begin(), loaded->ourPeaks.end());
  printFigure("photos body vs libjpeg-turbo, idle", idle->ratios, true, "<=", 0.6, "");
  printFigure("photos body vs libjpeg-turbo, two busy processes", loaded->ratios, true, "<=", 1.0, "");
  printFigure("photos body peak memory", peaks, false, "<", 64, "MB");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--side") return runSide(argv[2], argv[3]);
  if (argc != 1) {
    std::cerr << "usage: bench-photos [--side ours|turbo DIR]" << std::endl;
    return 2;
  }
  return runAll();
}
