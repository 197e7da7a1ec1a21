// Building and encoding a submission-sized form in memory: the 46 text fields
// of a service and five 1 MB photos.

#include "networking/MultipartFormData.h"
#include "scenes/process/SubmissionFields.h"

#include <benchmark/benchmark.h>

#include <random>

namespace instala {
namespace {

std::vector<std::string> photos() {
  std::mt19937 random(7);
  std::vector<std::string> result;
  for (int i = 0; i < 5; ++i) {
    std::string photo(1'000'000, '\0');
    for (auto& byte : photo) byte = static_cast<char>(random());
    result.push_back(std::move(photo));
  }
  return result;
}

void buildForm(MultipartFormData& form, const SubmissionFields& fields, const std::vector<std::string>& images) {
  for (const auto& [name, value] : fields) form.addDataPart(submissionText(value), name);
  const char* names[] = {"image", "image2", "image3", "image4", "image5"};
  for (std::size_t i = 0; i < images.size(); ++i) form.addFilePart(images[i], names[i], names[i], "image/png");
}

void BuildAndEncodeSubmission(benchmark::State& state) {
  const auto fields = submissionFields(Ticket{}, ProcessData{}, ProcessData{});
  const auto images = photos();
  std::size_t bytes = 0;
  for (auto _ : state) {
    MultipartFormData form;
    buildForm(form, fields, images);
    // As the request layer builds a body below its threshold.
    auto opened = RequestBody::open(std::move(form).bodyPieces());
    auto body = std::get<std::shared_ptr<RequestBody>>(opened)->readAll();
    bytes = std::get<std::string>(body).size();
    benchmark::DoNotOptimize(body);
  }
  state.counters["parts"] = static_cast<double>(fields.size() + images.size());
  state.counters["body_bytes"] = static_cast<double>(bytes);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BuildAndEncodeSubmission)->Unit(benchmark::kMillisecond);

void EncodeSubmission(benchmark::State& state) {
  const auto fields = submissionFields(Ticket{}, ProcessData{}, ProcessData{});
  MultipartFormData form;
  buildForm(form, fields, photos());
  for (auto _ : state) {
    auto body = form.encode();
    benchmark::DoNotOptimize(body);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * form.encodedLength()));
}
BENCHMARK(EncodeSubmission)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace instala

BENCHMARK_MAIN();
