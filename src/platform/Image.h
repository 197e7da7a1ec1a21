#pragma once
// A decoded photo: 8-bit RGB pixels. JPEG is the only file format the
// application reads and writes (libjpeg-turbo).

#include "platform/PropertyList.h"

#include <cstdint>
#include <filesystem>
#include <optional>

namespace instala::platform {

class Image {
 public:
  // Pixels row by row, 3 bytes (R, G, B) per pixel. Returns nothing when the
  // sizes do not match the pixel count.
  static std::optional<Image> fromRGB(int width, int height, Bytes pixels);
  static std::optional<Image> decodeJPEG(const Bytes& bytes);
  static std::optional<Image> loadFile(const std::filesystem::path& path);

  // quality from 0 (smallest) to 1 (best), as the phone's JPEG representation takes it.
  std::optional<Bytes> encodeJPEG(double quality) const;

  int width() const { return width_; }
  int height() const { return height_; }
  const Bytes& pixels() const { return pixels_; }
  bool operator==(const Image&) const = default;

 private:
  Image(int width, int height, Bytes pixels) : width_(width), height_(height), pixels_(std::move(pixels)) {}
  int width_;
  int height_;
  Bytes pixels_;
};

}  // namespace instala::platform
