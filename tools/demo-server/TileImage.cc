#include "TileImage.h"

#include <zlib.h>

#include <cstdint>
#include <stdexcept>

namespace instala::demo {
namespace {

void appendBigEndian(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xff);
}

void appendChunk(std::string& png, const char* type, const std::string& data) {
  appendBigEndian(png, static_cast<std::uint32_t>(data.size()));
  std::string typed = std::string(type, 4) + data;
  png += typed;
  auto crc = crc32(0L, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()));
  appendBigEndian(png, static_cast<std::uint32_t>(crc));
}

}  // namespace

std::string makeTilePng(int width, int height) {
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096) throw std::invalid_argument("tile size");
  // Each scanline starts with filter type 0 (none), then RGB triples.
  std::string raw;
  raw.reserve(static_cast<std::size_t>(height) * (1 + 3 * static_cast<std::size_t>(width)));
  for (int y = 0; y < height; ++y) {
    raw += '\0';
    for (int x = 0; x < width; ++x) {
      bool border = x == 0 || y == 0;
      unsigned char level = border ? 0xd6 : 0xea;
      raw.append(3, static_cast<char>(level));
    }
  }
  uLongf compressedSize = compressBound(static_cast<uLong>(raw.size()));
  std::string compressed(compressedSize, '\0');
  if (compress2(reinterpret_cast<Bytef*>(compressed.data()), &compressedSize,
                reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()), 9) != Z_OK) {
    throw std::runtime_error("zlib could not compress the tile");
  }
  compressed.resize(compressedSize);

  std::string header;
  appendBigEndian(header, static_cast<std::uint32_t>(width));
  appendBigEndian(header, static_cast<std::uint32_t>(height));
  header += '\x08';                // bit depth
  header += '\x02';                // colour type: RGB
  header += std::string(3, '\0');  // compression, filter, interlace

  std::string png = "\x89PNG\r\n\x1a\n";
  appendChunk(png, "IHDR", header);
  appendChunk(png, "IDAT", compressed);
  appendChunk(png, "IEND", "");
  return png;
}

}  // namespace instala::demo
