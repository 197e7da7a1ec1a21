#include "DocumentPage.h"
#include "TileImage.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <regex>

namespace instala::demo {
namespace {

std::uint32_t bigEndian(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

struct Chunk {
  std::string type;
  std::string data;
};

// Splits a PNG into its chunks, checking every CRC on the way.
std::vector<Chunk> pngChunks(const std::string& png) {
  std::vector<Chunk> chunks;
  std::size_t at = 8;
  while (at + 12 <= png.size()) {
    const std::uint32_t length = bigEndian(png, at);
    Chunk chunk{png.substr(at + 4, 4), png.substr(at + 8, length)};
    const std::string typed = chunk.type + chunk.data;
    const auto crc = crc32(0L, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()));
    EXPECT_EQ(bigEndian(png, at + 8 + length), static_cast<std::uint32_t>(crc)) << chunk.type;
    chunks.push_back(chunk);
    at += 12 + length;
  }
  EXPECT_EQ(at, png.size());
  return chunks;
}

TEST(TileImageTest, IsAValid256By256RgbPng) {
  const std::string png = makeTilePng();
  ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  auto chunks = pngChunks(png);
  ASSERT_EQ(chunks.size(), 3u);
  EXPECT_EQ(chunks[0].type, "IHDR");
  EXPECT_EQ(bigEndian(chunks[0].data, 0), 256u);
  EXPECT_EQ(bigEndian(chunks[0].data, 4), 256u);
  EXPECT_EQ(chunks[0].data.substr(8), std::string("\x08\x02\x00\x00\x00", 5));
  EXPECT_EQ(chunks[1].type, "IDAT");
  EXPECT_EQ(chunks[2].type, "IEND");

  std::string raw(256 * (1 + 3 * 256), '\x7f');
  uLongf rawSize = raw.size();
  ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(raw.data()), &rawSize,
                       reinterpret_cast<const Bytef*>(chunks[1].data.data()), chunks[1].data.size()),
            Z_OK);
  EXPECT_EQ(rawSize, raw.size());
  EXPECT_EQ(raw[0], '\0');                                                    // filter type of the first scanline
  EXPECT_EQ(static_cast<unsigned char>(raw[1 + 3 * 128 + 769 * 128]), 0xea);  // a light grey pixel mid-tile
}

const DemoDocument kDocument{"/docs/tickets/42/manual-instalación.pdf", "Manual (versión 2) de <instalación>"};

TEST(DocumentPageTest, PdfPathsGiveAPdfWithAWorkingCrossReferenceTable) {
  auto page = DocumentPage::render(kDocument);
  EXPECT_EQ(page.contentType, "application/pdf");
  const std::string& pdf = page.body;
  ASSERT_EQ(pdf.rfind("%PDF-1.4\n", 0), 0u);
  ASSERT_GE(pdf.size(), 6u);
  EXPECT_EQ(pdf.substr(pdf.size() - 6), "%%EOF\n");

  const auto startxref = pdf.rfind("startxref\n");
  ASSERT_NE(startxref, std::string::npos);
  const std::size_t xref = std::stoul(pdf.substr(startxref + 10));
  ASSERT_EQ(pdf.compare(xref, 5, "xref\n"), 0);
  const std::regex entry("([0-9]{10}) 00000 n \n");
  int object = 1;
  for (std::sregex_iterator it(pdf.begin() + static_cast<long>(xref), pdf.end(), entry), end; it != end; ++it) {
    const std::size_t offset = std::stoul((*it)[1].str());
    EXPECT_EQ(pdf.compare(offset, std::to_string(object).size() + 6, std::to_string(object) + " 0 obj"), 0);
    ++object;
  }
  EXPECT_EQ(object, 7);
  // Spanish letters in the fonts' encoding, parentheses escaped.
  EXPECT_NE(pdf.find("(Manual \\(versi\xf3n 2\\) de <instalaci\xf3n>) Tj"), std::string::npos);
}

TEST(DocumentPageTest, OtherPathsGiveAnEscapedHtmlPage) {
  auto page = DocumentPage::render({"/docs/a/b/guia.html", "Guía <rápida> & \"segura\""});
  EXPECT_EQ(page.contentType, "text/html; charset=utf-8");
  EXPECT_NE(page.body.find("<h1>Guía &lt;rápida&gt; &amp; &quot;segura&quot;</h1>"), std::string::npos);
  EXPECT_NE(page.body.find("Archivo: guia.html"), std::string::npos);
}

}  // namespace
}  // namespace instala::demo
