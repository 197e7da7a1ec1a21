// Upload end to end, from uploadMultipart to the answer, next to `curl -F`
// sending the same form (a ticket number and a video) to the same loopback
// server, which discards bodies as fast as it reads them. Pairs run one after
// the other (ours, curl, ours, curl, ...) after one warm-up pair; each pair
// gives the ratio of our throughput to curl's (curl's time is its own
// time_total, so neither side pays for starting a process). Each of our
// uploads runs in a process of its own, so its peak memory is that upload's.
//
//   bench-upload                            50, 200 and 500 MB, 7 pairs each
//   bench-upload --sizes 50,200 --pairs 7   other sizes (MB) or pair counts
//   bench-upload --client FILE URL          one upload of ours, prints its seconds

#include "networking/RequestLayer.h"
#include "networking/UploadRequest.h"
#include "support/ChildProcess.h"
#include "support/MainLoop.h"
#include "support/RecordingServer.h"
#include "support/TempDir.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace instala;
using Clock = std::chrono::steady_clock;

constexpr double kTarget = 0.95;
constexpr std::uint64_t kThreshold = 10'000'000;

double secondsOf(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

int uploadOnce(const std::filesystem::path& video, const std::string& url) {
  Session session(SessionConfiguration::standard());
  // The application has talked to the server before it submits, so libcurl is
  // loaded by then (the session loads it with its first request); curl's
  // time_total does not count loading it either.
  auto warmUp = HTTPRequest::make(url, HTTPMethod::GET, std::nullopt, std::nullopt);
  if (!std::holds_alternative<HTTPRequest>(warmUp)) return 1;
  bool warmed = false;
  session.start(std::get<HTTPRequest>(std::move(warmUp)), false, [&](HTTPResponse) { warmed = true; });
  testing::pumpMainLoopUntil([&] { return warmed; }, std::chrono::seconds(30));
  std::optional<bool> ok;
  Clock::time_point answered;
  const auto started = Clock::now();
  uploadMultipart(
      session,
      [video](MultipartFormData& form) {
        form.addDataPart(std::string("1042"), "ticket_id");
        form.addFileURLPart(video, "video");
      },
      kThreshold, url, HTTPMethod::POST, HTTPHeaders{{"Authorization", "Bearer bench"}},
      [&](const MultipartFormDataEncodingResult& result) {
        if (!result.isSuccess()) {
          std::cerr << "no upload: " << (result.error ? result.error->message : "") << std::endl;
          ok = false;
          return;
        }
        result.request->responseJSON([&](std::optional<RequestError> error, auto, auto) {
          answered = Clock::now();
          if (error) std::cerr << "upload failed: " << *error << std::endl;
          ok = !error;
        });
      });
  testing::pumpMainLoopUntil([&] { return ok.has_value(); }, std::chrono::minutes(10));
  if (!ok.value_or(false)) return 1;
  std::printf("%.6f\n", secondsOf(answered - started));
  return 0;
}

std::filesystem::path writeVideo(const testing::TempDir& folder, std::uint64_t bytes) {
  const auto path = folder / "clip.mp4";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::mt19937_64 random(bytes);
  std::vector<std::uint64_t> block((1 << 20) / sizeof(std::uint64_t));
  for (std::uint64_t written = 0; written < bytes; written += block.size() * sizeof(std::uint64_t)) {
    for (auto& word : block) word = random();
    const auto size = std::min<std::uint64_t>(block.size() * sizeof(std::uint64_t), bytes - written);
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(size));
  }
  return path;
}

std::filesystem::path programOnPath(const std::string& name) {
  std::stringstream path(std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin");
  for (std::string folder; std::getline(path, folder, ':');) {
    const auto candidate = std::filesystem::path(folder) / name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

std::optional<double> parsedSeconds(testing::ChildProcess& child, struct rusage* usage = nullptr) {
  const auto line = child.readLine(std::chrono::minutes(10));
  const int status = child.wait(usage);
  if (status != 0 || !line) {
    std::cerr << "a run failed (status " << status << "): " << line.value_or("") << std::endl;
    return std::nullopt;
  }
  try {
    return std::stod(*line);
  } catch (const std::exception&) {
    std::cerr << "a run printed " << *line << std::endl;
    return std::nullopt;
  }
}

struct Timed {
  double seconds = 0;
  std::uint64_t bodyBytes = 0;
  double peakMegabytes = 0;  // ours only
};

class Bench {
 public:
  Bench()
      : server_([](const testing::RecordedRequest&) { return testing::Reply::json(200, R"({"ok":true})"); },
                /*keepBodies=*/false) {}

  std::optional<Timed> ours(const std::filesystem::path& video) {
    testing::ChildProcess child("/proc/self/exe", {"--client", video.string(), server_.url("/process")});
    struct rusage usage {};
    const auto seconds = parsedSeconds(child, &usage);
    if (!seconds) return std::nullopt;
    auto body = lastBody();
    if (!body) return std::nullopt;
    return Timed{*seconds, *body, static_cast<double>(usage.ru_maxrss) / 1024.0};
  }

  std::optional<Timed> curl(const std::filesystem::path& video) {
    testing::ChildProcess child(curl_, {"-s", "-S", "-o", "/dev/null", "-w", "%{time_total}\n", "-F", "ticket_id=1042",
                                        "-F", "video=@" + video.string() + ";type=video/mp4", "-H",
                                        "Authorization: Bearer bench", server_.url("/process")});
    const auto seconds = parsedSeconds(child);
    if (!seconds) return std::nullopt;
    auto body = lastBody();
    if (!body) return std::nullopt;
    return Timed{*seconds, *body, 0};
  }

  bool ready() const { return !curl_.empty(); }

 private:
  // The body the server read in full for the run that just ended (our runs
  // also send a GET first, which is not counted).
  std::optional<std::uint64_t> lastBody() {
    std::vector<testing::RecordedRequest> uploads;
    for (auto& request : server_.requests()) {
      if (request.method == "POST") uploads.push_back(std::move(request));
    }
    if (uploads.size() != ++runs_) {
      std::cerr << "the server read " << uploads.size() << " whole uploads after " << runs_ << " runs" << std::endl;
      return std::nullopt;
    }
    return uploads.back().bodyLength;
  }

  testing::RecordingServer server_;
  std::filesystem::path curl_ = programOnPath("curl");
  std::size_t runs_ = 0;
};

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// One figure line for the size; false when a run failed.
bool benchSize(Bench& bench, std::uint64_t megabytes, int pairs) {
  testing::TempDir folder;
  const auto video = writeVideo(folder, megabytes * 1'000'000);
  const std::string name = "upload " + std::to_string(megabytes) + " MB vs curl -F";
  std::vector<double> ratios, ourSeconds, curlSeconds, ourRates, curlRates;
  double peak = 0;
  bool complete = true;
  for (int pair = -1; pair < pairs && complete; ++pair) {
    const auto ours = bench.ours(video);
    const auto curl = bench.curl(video);
    complete = ours && curl;
    if (!complete || pair < 0) continue;  // the first pair only warms up
    const double ourRate = static_cast<double>(ours->bodyBytes) / 1e6 / ours->seconds;
    const double curlRate = static_cast<double>(curl->bodyBytes) / 1e6 / curl->seconds;
    ratios.push_back(ourRate / curlRate);
    ourSeconds.push_back(ours->seconds);
    curlSeconds.push_back(curl->seconds);
    ourRates.push_back(ourRate);
    curlRates.push_back(curlRate);
    peak = std::max(peak, ours->peakMegabytes);
  }
  if (!complete) {
    std::printf("figure: %s | ratio min 0.00 median 0.00 | target >= %.2f | missed\n", name.c_str(), kTarget);
    return false;
  }
  std::printf(
      "upload %llu MB: ours median %.3f s (%.0f MB/s), curl -F median %.3f s (%.0f MB/s); our peak RSS %.1f MB\n",
      static_cast<unsigned long long>(megabytes), median(ourSeconds), median(ourRates), median(curlSeconds),
      median(curlRates), peak);
  const double middle = median(ratios);
  std::printf("figure: %s | ratio min %.2f median %.2f | target >= %.2f | %s\n", name.c_str(),
              *std::min_element(ratios.begin(), ratios.end()), middle, kTarget, middle >= kTarget ? "met" : "missed");
  std::fflush(stdout);
  return true;
}

std::vector<std::uint64_t> sizesFrom(const std::string& list) {
  std::vector<std::uint64_t> sizes;
  std::stringstream stream(list);
  for (std::string size; std::getline(stream, size, ',');) sizes.push_back(std::stoull(size));
  return sizes;
}

int usage() {
  std::cerr << "usage: bench-upload [--sizes MB,MB,...] [--pairs N] | bench-upload --client FILE URL" << std::endl;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (!arguments.empty() && arguments[0] == "--client") {
    return arguments.size() == 3 ? uploadOnce(arguments[1], arguments[2]) : usage();
  }
  std::vector<std::uint64_t> sizes = {50, 200, 500};
  int pairs = 7;
  try {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
      if (arguments[i] == "--sizes" && i + 1 < arguments.size()) {
        sizes = sizesFrom(arguments[++i]);
      } else if (arguments[i] == "--pairs" && i + 1 < arguments.size()) {
        pairs = std::stoi(arguments[++i]);
      } else {
        return usage();
      }
    }
  } catch (const std::exception&) {
    return usage();
  }
  if (sizes.empty() || pairs < 1) return usage();

  Bench bench;
  if (!bench.ready()) {
    std::cerr << "curl is not installed" << std::endl;
    return 1;
  }
  bool complete = true;
  for (auto size : sizes) complete = benchSize(bench, size, pairs) && complete;
  return complete ? 0 : 1;
}
