#include "platform/Image.h"

#include "platform/FileSystem.h"

#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace instala::platform {
namespace {

struct HandleDestroy {
  void operator()(void* handle) const { tjDestroy(handle); }
};
using TJHandle = std::unique_ptr<void, HandleDestroy>;

}  // namespace

std::optional<Image> Image::fromRGB(int width, int height, Bytes pixels) {
  if (width <= 0 || height <= 0) return std::nullopt;
  if (pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3) return std::nullopt;
  return Image(width, height, std::move(pixels));
}

std::optional<Image> Image::decodeJPEG(const Bytes& bytes) {
  if (bytes.empty()) return std::nullopt;
  TJHandle handle(tjInitDecompress());
  if (!handle) return std::nullopt;
  int width = 0, height = 0, subsampling = 0, colorspace = 0;
  if (tjDecompressHeader3(handle.get(), bytes.data(), static_cast<unsigned long>(bytes.size()), &width, &height,
                          &subsampling, &colorspace) != 0) {
    return std::nullopt;
  }
  if (width <= 0 || height <= 0) return std::nullopt;
  Bytes pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  if (tjDecompress2(handle.get(), bytes.data(), static_cast<unsigned long>(bytes.size()), pixels.data(), width, 0,
                    height, TJPF_RGB, TJFLAG_ACCURATEDCT) != 0) {
    return std::nullopt;
  }
  return Image(width, height, std::move(pixels));
}

std::optional<Image> Image::loadFile(const std::filesystem::path& path) {
  auto bytes = readFile(path);
  if (!bytes) return std::nullopt;
  return decodeJPEG(*bytes);
}

std::optional<Bytes> Image::encodeJPEG(double quality) const {
  TJHandle handle(tjInitCompress());
  if (!handle) return std::nullopt;
  const int level = std::clamp(static_cast<int>(std::lround(quality * 100.0)), 1, 100);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  if (tjCompress2(handle.get(), pixels_.data(), width_, 0, height_, TJPF_RGB, &out, &size, TJSAMP_420, level, 0) !=
      0) {
    tjFree(out);
    return std::nullopt;
  }
  Bytes bytes(out, out + size);
  tjFree(out);
  return bytes;
}

}  // namespace instala::platform
