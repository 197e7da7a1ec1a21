// Uploads one large file part through uploadMultipart to a loopback server and
// the same file with `curl -F` to the same server, and reports throughput and
// our peak resident memory. Every size runs in a fresh process, so the peak
// belongs to that size alone:
//
//   upload_benchmark                  20 MB and 200 MB, with curl for comparison
//   upload_benchmark --size-mb 500    one size

#include "networking/RequestLayer.h"
#include "networking/UploadRequest.h"
#include "support/MainLoop.h"
#include "support/RecordingServer.h"
#include "support/TempDir.h"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace instala;
using Clock = std::chrono::steady_clock;

double seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }
double megabytesPerSecond(std::uint64_t bytes, double time) { return static_cast<double>(bytes) / 1e6 / time; }

long peakResidentKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

std::filesystem::path writeVideo(const testing::TempDir& folder, std::uint64_t bytes) {
  const auto path = folder / "clip.mp4";
  std::ofstream out(path, std::ios::binary);
  std::mt19937 random(1);
  std::vector<char> block(1 << 20);
  for (std::uint64_t written = 0; written < bytes; written += block.size()) {
    for (auto& byte : block) byte = static_cast<char>(random());
    out.write(block.data(), static_cast<std::streamsize>(std::min<std::uint64_t>(block.size(), bytes - written)));
  }
  return path;
}

int runOneSize(std::uint64_t megabytes, bool withCurl) {
  const std::uint64_t bytes = megabytes * 1'000'000;
  testing::TempDir folder;
  const auto video = writeVideo(folder, bytes);
  testing::RecordingServer server(
      [](const testing::RecordedRequest&) { return testing::Reply::json(200, "{\"ok\":true}"); },
      /*keepBodies=*/false);
  Session session(SessionConfiguration::standard());
  const long baseline = peakResidentKilobytes();

  const auto started = Clock::now();
  Clock::time_point encoded;
  Clock::time_point answered;
  bool done = false;
  bool ok = false;
  uploadMultipart(
      session, [&](MultipartFormData& form) { form.addFileURLPart(video, "video"); }, 10'000'000,
      server.url("/process"), HTTPMethod::POST, HTTPHeaders{{"Authorization", "Bearer bench"}},
      [&](const MultipartFormDataEncodingResult& result) {
        encoded = Clock::now();
        if (!result.isSuccess()) {
          done = true;
          return;
        }
        result.request->responseJSON([&](auto error, auto, auto) {
          answered = Clock::now();
          ok = !error;
          done = true;
        });
      });
  testing::pumpMainLoopUntil([&] { return done; }, std::chrono::minutes(10));
  if (!ok) {
    std::cerr << "upload failed" << std::endl;
    return 1;
  }
  const long peak = peakResidentKilobytes();
  const std::uint64_t body = server.requests().at(0).bodyLength;
  const double total = seconds(answered - started);
  const double sending = seconds(answered - encoded);

  std::printf(
      "%4llu MB  ours: encode to file %.2f s, send %.2f s (%.0f MB/s), total %.2f s (%.0f MB/s); "
      "peak RSS %.1f MB (%.1f MB before the upload)\n",
      static_cast<unsigned long long>(megabytes), seconds(encoded - started), sending,
      megabytesPerSecond(body, sending), total, megabytesPerSecond(body, total), peak / 1024.0, baseline / 1024.0);

  if (withCurl) {
    const std::string command = "curl -s -o /dev/null -F 'video=@" + video.string() +
                                ";type=video/mp4' -H 'Authorization: Bearer bench' " + server.url("/process");
    const auto curlStarted = Clock::now();
    if (std::system(command.c_str()) != 0) {
      std::cerr << "curl failed" << std::endl;
      return 1;
    }
    const double curlTime = seconds(Clock::now() - curlStarted);
    const std::uint64_t curlBody = server.requests().at(1).bodyLength;
    std::printf("%4llu MB  curl -F: %.2f s (%.0f MB/s); ours/curl throughput: send %.2f, total %.2f\n",
                static_cast<unsigned long long>(megabytes), curlTime, megabytesPerSecond(curlBody, curlTime),
                megabytesPerSecond(body, sending) / megabytesPerSecond(curlBody, curlTime),
                megabytesPerSecond(body, total) / megabytesPerSecond(curlBody, curlTime));
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::uint64_t> sizes;
  bool child = false;
  bool withCurl = true;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--size-mb" && i + 1 < argc) {
      sizes.push_back(std::stoull(argv[++i]));
    } else if (argument == "--child") {
      child = true;
    } else if (argument == "--no-curl") {
      withCurl = false;
    } else {
      std::cerr << "usage: upload_benchmark [--size-mb N]... [--no-curl]" << std::endl;
      return 2;
    }
  }
  if (sizes.empty()) sizes = {20, 200};
  if (child) return runOneSize(sizes.front(), withCurl);
  int status = 0;
  for (auto size : sizes) {
    const std::string command = "/proc/" + std::to_string(getpid()) + "/exe --child --size-mb " + std::to_string(size) +
                                (withCurl ? "" : " --no-curl");
    status |= std::system(command.c_str());
  }
  return status == 0 ? 0 : 1;
}
