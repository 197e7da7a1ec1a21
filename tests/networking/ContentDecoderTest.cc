#include "networking/ContentDecoder.h"

#include "support/RecordingServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

namespace instala {
namespace {

using testing::compressCoded;
using testing::gzipCoded;

// Varied text, long enough for LZW to widen its codes and reset its table.
std::string sampleText(std::size_t bytes) {
  std::string text;
  for (std::size_t i = 0; text.size() < bytes; ++i) {
    text += "{\"id\":" + std::to_string(i * 7919 % 100003) + ",\"title\":\"Instalación " + std::to_string(i) + "\"},";
  }
  text.resize(bytes);
  return text;
}

std::string decoded(std::string_view coding, const std::string& body) {
  auto result = decodeContent(coding, body);
  if (auto* error = std::get_if<RequestError>(&result)) return "error: " + error->message;
  return std::get<std::string>(result);
}

TEST(ContentDecoder, IdentityAndNoCodingLeaveTheBody) {
  EXPECT_EQ(decoded("", "{\"a\":1}"), "{\"a\":1}");
  EXPECT_EQ(decoded("identity", "{\"a\":1}"), "{\"a\":1}");
}

TEST(ContentDecoder, Gzip) {
  const std::string text = sampleText(300000);
  EXPECT_EQ(decoded("gzip", gzipCoded(text)), text);
  EXPECT_EQ(decoded("x-gzip", gzipCoded("{}")), "{}");
  EXPECT_EQ(decoded(" GZIP ", gzipCoded("{}")), "{}");
  EXPECT_EQ(decoded("gzip", gzipCoded("")), "");
}

TEST(ContentDecoder, GzipMembersFollowingOneAnother) {
  EXPECT_EQ(decoded("gzip", gzipCoded("{\"a\":") + gzipCoded("1}")), "{\"a\":1}");
}

TEST(ContentDecoder, GzipInsideGzipIsUndoneOnlyOnce) {
  const std::string inner = gzipCoded("{}");
  EXPECT_EQ(decoded("gzip", gzipCoded(inner)), inner);
}

TEST(ContentDecoder, Compress) {
  const std::string text = sampleText(300000);
  EXPECT_EQ(decoded("compress", compressCoded(text)), text);
  EXPECT_EQ(decoded("x-compress", compressCoded("[1,2]")), "[1,2]");
}

TEST(ContentDecoder, CodingsAreUndoneLastFirst) {
  const std::string text = sampleText(5000);
  EXPECT_EQ(decoded("compress, gzip", gzipCoded(compressCoded(text))), text);
}

struct BadBody {
  std::string name;
  std::string coding;
  std::string body;
};

void PrintTo(const BadBody& c, std::ostream* os) { *os << c.name; }

class ContentDecoderRejects : public ::testing::TestWithParam<BadBody> {};

TEST_P(ContentDecoderRejects, WithAContentDecodingError) {
  auto result = decodeContent(GetParam().coding, GetParam().body);
  ASSERT_TRUE(std::holds_alternative<RequestError>(result));
  EXPECT_EQ(std::get<RequestError>(result).kind, RequestError::Kind::contentDecoding);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, ContentDecoderRejects,
    ::testing::Values(BadBody{"UnknownCoding", "br", "{}"}, BadBody{"DeflateIsNotAdvertised", "deflate", "{}"},
                      BadBody{"PlainTextAsGzip", "gzip", "{\"a\":1}"},
                      BadBody{"PlainTextAsCompress", "compress", "{\"a\":1}"},
                      BadBody{"TruncatedGzip", "gzip", gzipCoded(sampleText(20000)).substr(0, 200)},
                      BadBody{"CorruptGzip", "gzip", "\x1f\x8b\x08\x00garbagegarbagegarbage"},
                      BadBody{"GzipNamedCompress", "compress", gzipCoded("{}")}),
    [](const auto& info) { return info.param.name; });

// ---- The cap on what an answer may grow to ----------------------------------------------

constexpr std::uint64_t kCap = 4096;

struct CapCase {
  std::string name;
  std::string coding;
  std::string body;
  bool fits;  // decodes whole; otherwise tooLarge
};

void PrintTo(const CapCase& c, std::ostream* os) { *os << c.name; }

class ContentDecoderCap : public ::testing::TestWithParam<CapCase> {};

TEST_P(ContentDecoderCap, CutsWhatGrowsPastIt) {
  const auto& c = GetParam();
  auto result = decodeContent(c.coding, c.body, kCap);
  if (c.fits) {
    ASSERT_TRUE(std::holds_alternative<std::string>(result)) << std::get<RequestError>(result);
    EXPECT_LE(std::get<std::string>(result).size(), kCap);
  } else {
    ASSERT_TRUE(std::holds_alternative<RequestError>(result));
    EXPECT_EQ(std::get<RequestError>(result).kind, RequestError::Kind::tooLarge) << std::get<RequestError>(result);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ContentDecoderCap,
    ::testing::Values(CapCase{"PlainAtTheCap", "", sampleText(kCap), true},
                      CapCase{"PlainOneByteOver", "identity", sampleText(kCap + 1), false},
                      CapCase{"GzipAtTheCap", "gzip", gzipCoded(sampleText(kCap)), true},
                      CapCase{"GzipOneByteOver", "gzip", gzipCoded(sampleText(kCap + 1)), false},
                      CapCase{"GzipMembersOneByteOver", "gzip",
                              gzipCoded(sampleText(kCap / 2)) + gzipCoded(sampleText(kCap / 2 + 1)), false},
                      CapCase{"CompressAtTheCap", "compress", compressCoded(sampleText(kCap)), true},
                      CapCase{"CompressOneByteOver", "compress", compressCoded(sampleText(kCap + 1)), false},
                      CapCase{"StackedAtTheCap", "gzip, gzip", gzipCoded(gzipCoded(sampleText(kCap))), true},
                      CapCase{"StackedOneByteOver", "gzip, gzip", gzipCoded(gzipCoded(sampleText(kCap + 1))), false},
                      CapCase{"StackedMixedOneByteOver", "compress, gzip",
                              gzipCoded(compressCoded(sampleText(kCap + 1))), false},
                      CapCase{"CodedBodyItselfOver", "gzip", std::string(kCap + 1, 'x'), false}),
    [](const auto& info) { return info.param.name; });

long peakResidentMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

// 1,869 bytes, coded twice with gzip, that expand to 1 GiB: decoding stops at
// the application's cap, and memory with it.
TEST(ContentDecoder, BombStopsAtTheCapWithoutExpandingWhole) {
  const std::string bomb = testing::readText(std::filesystem::path(INSTALA_TEST_DATA_DIR) / "bomb-1GB.gz.gz");
  ASSERT_EQ(bomb.size(), 1869u);
  auto result = decodeContent("gzip, gzip", bomb);
  ASSERT_TRUE(std::holds_alternative<RequestError>(result));
  EXPECT_EQ(std::get<RequestError>(result).kind, RequestError::Kind::tooLarge);
  // The cap is 64 MiB; the whole bomb would hold 1024 MiB at once.
  EXPECT_LT(peakResidentMegabytes(), 3 * static_cast<long>(kDefaultMaxAnswerSize >> 20));
}

}  // namespace
}  // namespace instala
