#include "networking/ResponseClassification.h"

#include "support/RecordingServer.h"

#include <gtest/gtest.h>

namespace instala {
namespace {

struct ClassificationCase {
  std::string name;
  HTTPResponse response;
  std::optional<RequestError::Kind> error;
  std::optional<Json> json;
  std::optional<int> status;
};

void PrintTo(const ClassificationCase& c, std::ostream* os) { *os << c.name; }

HTTPResponse answer(int status, std::string body, HTTPHeaders headers = {}) {
  return HTTPResponse{std::nullopt, status, std::move(headers), std::move(body)};
}

constexpr std::uint64_t kAnswerCap = 64;

class DataResponse : public ::testing::TestWithParam<ClassificationCase> {};

TEST_P(DataResponse, IsClassified) {
  const auto& c = GetParam();
  const auto outcome = detail::classifyDataResponse(c.response, kAnswerCap);
  EXPECT_EQ(outcome.error.has_value(), c.error.has_value());
  if (outcome.error && c.error) {
    EXPECT_EQ(outcome.error->kind, *c.error);
  }
  EXPECT_EQ(outcome.json, c.json);
  EXPECT_EQ(outcome.status, c.status);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DataResponse,
    ::testing::Values(
        ClassificationCase{"FailedExchange",
                           HTTPResponse{RequestError{RequestError::Kind::timedOut, "t"}, std::nullopt, {}, {}},
                           RequestError::Kind::timedOut, std::nullopt, std::nullopt},
        ClassificationCase{"NoAnswerAndNoError", HTTPResponse{}, std::nullopt, std::nullopt, std::nullopt},
        ClassificationCase{"OtherStatus", answer(422, "{}"), std::nullopt, std::nullopt, 422},
        ClassificationCase{"OtherStatusBadlyCodedBody", answer(500, "zz", {{"Content-Encoding", "br"}}), std::nullopt,
                           std::nullopt, 500},
        ClassificationCase{"OkJSON", answer(200, R"({"a":1})"), std::nullopt, Json::parse(R"({"a":1})"), 200},
        ClassificationCase{"OkGzipJSON", answer(200, testing::gzipCoded("[true]"), {{"content-encoding", "gzip"}}),
                           std::nullopt, Json::parse("[true]"), 200},
        ClassificationCase{"OkEmpty", answer(200, ""), RequestError::Kind::decoding, std::nullopt, 200},
        ClassificationCase{"OkNotJSON", answer(200, "{"), RequestError::Kind::decoding, std::nullopt, 200},
        ClassificationCase{"OkUnknownCoding", answer(200, "{}", {{"Content-Encoding", "br"}}),
                           RequestError::Kind::decoding, std::nullopt, 200},
        ClassificationCase{"OkAtTheCap", answer(200, "[" + std::string(62, '1') + "]"), std::nullopt,
                           Json::parse("[" + std::string(62, '1') + "]"), 200},
        ClassificationCase{"OkDecodingPastTheCap",
                           answer(200, testing::gzipCoded("[" + std::string(63, '1') + "]"), {{"Content-Encoding", "gzip"}}),
                           RequestError::Kind::tooLarge, std::nullopt, std::nullopt}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace instala
