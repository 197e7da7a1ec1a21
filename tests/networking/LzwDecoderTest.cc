// The `compress` decoder against two writers: libarchive's (the one servers
// use most) and a writer of the classic program's own framing below, whose
// output `gzip -d` (an independent reader of the format) checks first. The
// classic framing covers what libarchive never writes: no block mode, small
// maximum widths and a table cleared early.

#include "networking/LzwDecoder.h"

#include "support/RecordingServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <map>
#include <random>
#include <sstream>

namespace instala {
namespace {

struct WriterOptions {
  unsigned maxWidth = 16;
  bool blockMode = true;
  std::size_t clearAfter = 0;  // codes before a clear code (block mode); 0 for never
};

// The classic writer: codes in groups of eight (`width` bytes), the group padded
// whenever the width changes or the table is cleared.
std::string classicCompress(const std::string& data, WriterOptions options) {
  std::string out{'\x1f', '\x9d', static_cast<char>(options.maxWidth | (options.blockMode ? 0x80 : 0))};
  const unsigned tableSize = 1u << options.maxWidth;
  unsigned width = 9;
  unsigned limit = 511;
  unsigned freeEntry = options.blockMode ? 257 : 256;
  std::string group;  // the group being filled, `width` bytes once complete
  unsigned used = 0;   // bits of it used
  bool clearing = false;
  auto startGroup = [&] {
    group.assign(width, '\0');
    used = 0;
  };
  startGroup();
  auto output = [&](unsigned code) {
    for (unsigned bit = 0; bit < width; ++bit, ++used) {
      if ((code >> bit) & 1) group[used / 8] = static_cast<char>(group[used / 8] | (1 << (used % 8)));
    }
    if (used == width * 8) {
      out += group;
      startGroup();
    }
    if (freeEntry > limit || clearing) {
      if (used > 0) out += group;  // padded to the whole group
      if (clearing) {
        width = 9;
        limit = 511;
        clearing = false;
      } else {
        ++width;
        limit = width == options.maxWidth ? tableSize : (1u << width) - 1;
      }
      startGroup();
    }
  };
  if (data.empty()) return out;
  std::map<std::string, unsigned> table;
  auto resetTable = [&] {
    table.clear();
    for (unsigned c = 0; c < 256; ++c) table[std::string(1, static_cast<char>(c))] = c;
  };
  resetTable();
  std::string current(1, data[0]);
  std::size_t codes = 0;
  for (std::size_t i = 1; i < data.size(); ++i) {
    const std::string longer = current + data[i];
    if (table.count(longer)) {
      current = longer;
      continue;
    }
    output(table[current]);
    current = std::string(1, data[i]);
    if (freeEntry < tableSize) table[longer] = freeEntry++;
    if (options.blockMode && options.clearAfter && ++codes == options.clearAfter) {
      resetTable();
      freeEntry = 257;
      clearing = true;
      output(256);
      codes = 0;
    }
  }
  output(table[current]);
  out += group.substr(0, (used + 7) / 8);
  return out;
}

// What `gzip -d`, which reads the same format, makes of the bytes.
std::string gzipDecodes(const std::string& coded) {
  testing::TempDir dir;
  const auto file = dir.write("data.Z", coded);
  const auto result = dir / "decoded";
  const std::string command = "gzip -dc < '" + file.string() + "' > '" + result.string() + "' 2>/dev/null";
  if (std::system(command.c_str()) != 0) return "(gzip failed)";
  std::ifstream in(result, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string decoded(const std::string& coded) {
  std::string reason;
  auto result = decodeLzw(coded, std::numeric_limits<std::uint64_t>::max(), reason);
  return result ? *result : "error: " + reason;
}

std::string randomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (auto& byte : bytes) byte = static_cast<char>(random());
  return bytes;
}

// Text that repeats with variations: the table grows through every width.
std::string ticketText(std::size_t size) {
  std::string text;
  for (std::size_t i = 0; text.size() < size; ++i) {
    text += "{\"id\":" + std::to_string(i * 7919 % 100003) + ",\"ciudad\":\"Guadalajara\"},";
  }
  text.resize(size);
  return text;
}

struct Sample {
  std::string name;
  std::string data;
};

void PrintTo(const Sample& sample, std::ostream* os) { *os << sample.name; }

const std::vector<Sample>& samples() {
  static const std::vector<Sample> all{
      {"Empty", ""},
      {"OneByte", "a"},
      {"StringDefinedByItsOwnCode", std::string(40, 'a')},
      {"Alternating", "ABABABABABABABAB"},
      {"EveryByteValue", [] {
         std::string bytes;
         for (int round = 0; round < 20; ++round) {
           for (int c = 0; c < 256; ++c) bytes += static_cast<char>(c);
         }
         return bytes;
       }()},
      {"Random", randomBytes(150000, 7)},
      {"Text", ticketText(400000)},
  };
  return all;
}

class LzwFromLibarchive : public ::testing::TestWithParam<Sample> {};

// 64 MiB of zeros code to a few kilobytes; with a cap of 1 MiB decoding stops
// just past it (one code's string at most), never holding the whole.
TEST(LzwCap, DecodingStopsJustPastTheCap) {
  const std::string coded = testing::compressCoded(std::string(std::size_t{64} << 20, '\0'));
  ASSERT_LT(coded.size(), std::size_t{1} << 20);
  std::string reason;
  const auto result = decodeLzw(coded, std::uint64_t{1} << 20, reason);
  ASSERT_TRUE(result) << reason;
  EXPECT_GT(result->size(), std::size_t{1} << 20);
  EXPECT_LT(result->size(), (std::size_t{1} << 20) + (std::size_t{1} << 16));
}

TEST_P(LzwFromLibarchive, DecodesAsGzipDoesToTheOriginal) {
  const auto& data = GetParam().data;
  const std::string coded = testing::compressCoded(data);
  EXPECT_EQ(decoded(coded), gzipDecodes(coded));
  // libarchive codes an empty input as one zero byte.
  EXPECT_EQ(decoded(coded), data.empty() ? std::string(1, '\0') : data);
}

INSTANTIATE_TEST_SUITE_P(Samples, LzwFromLibarchive, ::testing::ValuesIn(samples()),
                         [](const auto& info) { return info.param.name; });

struct Framing {
  std::string name;
  WriterOptions options;
};

void PrintTo(const Framing& framing, std::ostream* os) { *os << framing.name; }

class LzwFromTheClassicWriter : public ::testing::TestWithParam<Framing> {};

TEST_P(LzwFromTheClassicWriter, DecodesAsGzipDoes) {
  for (const auto& sample : samples()) {
    if (sample.data.size() > 20000) continue;  // the reference writer is slow
    const std::string coded = classicCompress(sample.data, GetParam().options);
    ASSERT_EQ(gzipDecodes(coded), sample.data) << sample.name << ": the reference writer is wrong";
    EXPECT_EQ(decoded(coded), sample.data) << sample.name;
  }
  const std::string text = ticketText(20000);
  EXPECT_EQ(decoded(classicCompress(text, GetParam().options)), text);
}

INSTANTIATE_TEST_SUITE_P(
    Framings, LzwFromTheClassicWriter,
    ::testing::Values(Framing{"BlockMode16Bits", {}}, Framing{"NoBlockMode", {16, false, 0}},
                      Framing{"NineBitTable", {9, true, 0}}, Framing{"NineBitTableNoBlockMode", {9, false, 0}},
                      Framing{"TwelveBits", {12, true, 0}}, Framing{"ClearedAt9Bits", {16, true, 100}},
                      Framing{"ClearedAt10Bits", {16, true, 300}}, Framing{"ClearedAtTheFullTable", {10, true, 1500}}),
    [](const auto& info) { return info.param.name; });

struct Refused {
  std::string name;
  std::string coded;
};

void PrintTo(const Refused& c, std::ostream* os) { *os << c.name; }

class LzwRefuses : public ::testing::TestWithParam<Refused> {};

TEST_P(LzwRefuses, WithAReason) {
  std::string reason;
  EXPECT_FALSE(decodeLzw(GetParam().coded, std::numeric_limits<std::uint64_t>::max(), reason).has_value());
  EXPECT_FALSE(reason.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Data, LzwRefuses,
    ::testing::Values(Refused{"PlainText", "{\"a\":1}"}, Refused{"TooShort", "\x1f\x9d"},
                      Refused{"Gzip", testing::gzipCoded("{}")},
                      Refused{"ReservedFlags", std::string("\x1f\x9d\xF0", 3) + "abc"},
                      Refused{"WidthBelowNine", std::string("\x1f\x9d\x88", 3) + "abc"},
                      Refused{"WidthAboveSixteen", std::string("\x1f\x9d\x91", 3) + "abc"},
                      // 9-bit codes: 257 first (nothing defined yet), then 300 after one literal.
                      Refused{"FirstCodeNotALiteral", std::string("\x1f\x9d\x90\x01\x01", 5)},
                      Refused{"CodeBeyondTheTable", std::string("\x1f\x9d\x90\x41\x58\x02", 6)}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace instala
