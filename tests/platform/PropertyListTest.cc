#include "platform/PropertyList.h"

#include "support/Corpus.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <functional>
#include <limits>
#include <vector>

namespace instala::platform {
namespace {

using instala::testing::corpusText;

PlistValue sampleDocument() {
  return PlistDict{
      {"text", "Ignición ✓"},
      {"flag", true},
      {"count", std::int64_t{42}},
      {"negative", std::int64_t{-5}},
      {"ratio", 0.25},
      {"bytes", Bytes{0x00, 0xff, 0x10}},
      {"list", PlistArray{"a", false, "a", false}},
      {"nested", PlistDict{{"URL", "/path"}}},
      {"installed", PlistDate{725760000}},
  };
}

class PropertyListRoundTrip : public ::testing::TestWithParam<PlistFormat> {};

TEST_P(PropertyListRoundTrip, EveryKindSurvives) {
  auto bytes = encodePropertyList(sampleDocument(), GetParam());
  ASSERT_TRUE(bytes);
  auto decoded = decodePropertyList(*bytes);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(*decoded, sampleDocument());
}

INSTANTIATE_TEST_SUITE_P(Formats, PropertyListRoundTrip, ::testing::Values(PlistFormat::xml, PlistFormat::binary));

TEST(PropertyList, ReferencesOfKeyedArchivesSurviveTheBinaryForm) {
  const PlistValue archive = PlistDict{{"$top", PlistDict{{"root", PlistUid{7}}}}, {"$objects", PlistArray{"$null"}}};
  auto bytes = encodePropertyList(archive, PlistFormat::binary);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(decodePropertyList(*bytes), archive);
}

// Every kind a property list can hold is read, whoever wrote it.
TEST(PropertyList, EveryValueTypeIsRead) {
  const PlistValue binary = PlistDict{
      {"text", "Ignición ✓"},
      {"flag", true},
      {"count", std::int64_t{42}},
      {"negative", std::int64_t{-5}},
      {"ratio", 0.25},
      {"single", 1.5},
      {"date", PlistDate{725760000}},
      {"data", Bytes{0x00, 0xff, 0x10}},
      {"uid", PlistUid{7}},
      {"wide", "😀 emoji"},
      {"big", std::int64_t{-1}},  // 18446744073709551615, through its two's complement
      {"list", PlistArray{"a", "a", true}},
  };
  EXPECT_EQ(decodePropertyList(corpusText("property-list", "binary-every-type.plist")), binary);
  const PlistValue xml = PlistDict{
      {"s", "a & b"},
      {"i", std::numeric_limits<std::int64_t>::min()},
      {"u", std::int64_t{-1}},
      {"r", 1.5},
      {"t", true},
      {"f", false},
      {"d", PlistDate{725760000}},
      {"b", Bytes{0x00, 0xff, 0x10}},
      {"e", PlistDict{}},
      {"a", PlistArray{""}},
  };
  EXPECT_EQ(decodePropertyList(corpusText("property-list", "xml-every-type.plist")), xml);
}

TEST(PropertyList, RefusesBytesThatAreNoPropertyList) {
  for (std::string bad : {"", "not a plist", "{\"json\": true}", "bplist00\x01\x02", "bplist01"}) {
    EXPECT_FALSE(decodePropertyList(std::string_view(bad))) << bad;
  }
}

TEST(PropertyList, BinaryEncodingIsDetected) {
  auto bytes = encodePropertyList(PlistDict{{"k", "v"}}, PlistFormat::binary);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(std::string(bytes->begin(), bytes->begin() + 6), "bplist");
}

TEST(PropertyList, DictionaryLookups) {
  PlistValue doc = sampleDocument();
  EXPECT_EQ(dictString(doc, "text"), "Ignición ✓");
  EXPECT_FALSE(dictString(doc, "flag"));
  EXPECT_FALSE(dictString(doc, "missing"));
  EXPECT_FALSE(dictString(PlistValue("not a dict"), "text"));
  ASSERT_NE(dictValue(doc, "nested"), nullptr);
  EXPECT_EQ(dictString(*dictValue(doc, "nested"), "URL"), "/path");
}

// `levels` arrays nested in each other around one text.
std::string nestedXml(std::size_t levels) {
  std::string text = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
  for (std::size_t i = 0; i < levels; ++i) text += "<array>";
  text += "<string>x</string>";
  for (std::size_t i = 0; i < levels; ++i) text += "</array>";
  return text + "</plist>";
}

// The same in the binary form: object i is an array holding object i + 1, the last one a text.
std::string nestedBinary(std::size_t levels) {
  auto bigEndian = [](std::string& out, std::uint64_t value, int size) {
    for (int shift = (size - 1) * 8; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xff);
  };
  std::string bytes = "bplist00";
  std::vector<std::uint64_t> offsets;
  for (std::size_t i = 0; i < levels; ++i) {
    offsets.push_back(bytes.size());
    bytes += '\xa1';
    bigEndian(bytes, i + 1, 4);
  }
  offsets.push_back(bytes.size());
  bytes += "\x51x";
  const std::uint64_t table = bytes.size();
  for (auto offset : offsets) bigEndian(bytes, offset, 4);
  bytes += std::string(6, '\0') + "\x04\x04";
  bigEndian(bytes, offsets.size(), 8);
  bigEndian(bytes, 0, 8);
  bigEndian(bytes, table, 8);
  return bytes;
}

TEST(PropertyList, ContainersNestAsDeepAsTheLimitAndNoDeeper) {
  const auto limit = static_cast<std::size_t>(kMaximumPropertyListNesting);
  for (const auto& make : {nestedXml, nestedBinary}) {
    auto atLimit = decodePropertyList(make(limit));
    ASSERT_TRUE(atLimit);
    const PlistValue* inner = &*atLimit;
    for (std::size_t i = 0; i < limit; ++i) inner = &inner->get<PlistArray>()->front();
    EXPECT_EQ(*inner, PlistValue("x"));
    EXPECT_FALSE(decodePropertyList(make(limit + 1)));
  }
}

// One text shared by many references of a small binary document: every copy
// would take 64 KiB, a hundred thousand of them far more memory than there is.
std::string sharedTextBomb() {
  std::string bytes = "bplist00";
  const std::uint64_t count = 100'000;
  bytes += "\xaf\x12";  // an array of `count` references of four bytes
  for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>((count >> shift) & 0xff);
  for (std::uint64_t i = 0; i < count; ++i) bytes += std::string("\x00\x00\x00\x01", 4);
  const std::uint64_t text = bytes.size();
  bytes += "\x5f\x12";
  bytes += std::string("\x00\x01\x00\x00", 4);
  bytes += std::string(65536, 'a');
  const std::uint64_t table = bytes.size();
  for (std::uint64_t offset : {std::uint64_t{8}, text}) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>((offset >> shift) & 0xff);
  }
  bytes += std::string(6, '\0') + "\x04\x04" + std::string(7, '\0') + "\x02" + std::string(8, '\0');
  for (int shift = 56; shift >= 0; shift -= 8) bytes += static_cast<char>((table >> shift) & 0xff);
  return bytes;
}

// The bytes are made by the test itself: registering the cases copies each
// parameter several times in every run of the test program, a megabyte each.
struct Damaged {
  std::string name;
  std::function<std::string()> bytes;
};

void PrintTo(const Damaged& damaged, std::ostream* os) { *os << damaged.name; }

std::vector<Damaged> damagedDocuments() {
  std::vector<Damaged> damaged;
  for (const char* file :
       {"Info-like-nul-in-string.plist", "Preferences-nul.plist", "Preferences-zeroed-block.plist",
        "Preferences-binary-bad-key.plist", "xml-entity-nul.plist", "binary-utf16-key-nul.plist",
        "binary-ascii-value-nul.plist", "binary-unpaired-surrogate.plist", "binary-cycle.plist",
        "binary-shared-container.plist", "binary-huge-count.plist", "binary-offset-outside.plist",
        "binary-top-out-of-range.plist", "xml-key-not-utf8.plist"}) {
    std::string name = file;
    for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    damaged.push_back({name, [file] { return corpusText("property-list", file); }});
  }
  damaged.push_back({"XmlNested100000", [] { return nestedXml(100'000); }});  // deep.plist of the faults
  damaged.push_back({"XmlNested1000000", [] { return nestedXml(1'000'000); }});
  damaged.push_back({"BinaryNested100000", [] { return nestedBinary(100'000); }});
  damaged.push_back({"BinarySharedTextBomb", sharedTextBomb});
  // Text that is not UTF-8 could not be written back and read again.
  damaged.push_back({"XmlTextNotUtf8", [] {
                       return std::string("<?xml version=\"1.0\"?><plist version=\"1.0\"><string>a\xff\xfe b</string></plist>");
                     }});
  return damaged;
}

// Each document is read in a child process: a crash or an abort fails the case, not the test program.
class DamagedPropertyList : public ::testing::TestWithParam<Damaged> {};

TEST_P(DamagedPropertyList, IsRefusedWithoutStoppingTheProgram) {
  const std::string bytes = GetParam().bytes();
  EXPECT_EXIT(std::exit(decodePropertyList(std::string_view(bytes)) ? 1 : 0), ::testing::ExitedWithCode(0), "");
}

INSTANTIATE_TEST_SUITE_P(Inputs, DamagedPropertyList, ::testing::ValuesIn(damagedDocuments()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace instala::platform
