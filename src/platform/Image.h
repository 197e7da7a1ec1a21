#pragma once
// A decoded photo: 8-bit RGB pixels. JPEG is the only file format the
// application reads and writes (libjpeg-turbo).
//
// Every JPEG reader here refuses, as unreadable: an image of more than
// kMaxPixels pixels (checked from the header, before its pixels are
// allocated), data that libjpeg reports as corrupt or truncated (warnings
// included, silently), and a path that is not a regular file (a folder or a
// FIFO is refused at once, never waited on).

#include "platform/PropertyList.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace instala::platform {

class Image {
 public:
  static constexpr std::uint64_t kMaxPixels = 100'000'000;

  // Pixels row by row, 3 bytes (R, G, B) per pixel. Returns nothing when the
  // sizes do not match the pixel count or exceed kMaxPixels.
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

// The JPEG file re-encoded at `quality`: the same bytes as
// Image::loadFile(path)->encodeJPEG(quality), but decoded and encoded a few
// rows at a time, so memory stays small whatever the photo's size. Nothing
// when the file has no readable photo (see above).
std::optional<Bytes> transcodeJPEGFile(const std::filesystem::path& path, double quality);

// transcodeJPEGFile for every path, side by side, results in the order of
// `paths`. The work runs on threads of its own under the normal scheduling
// policy; they inherit the caller's nice value, so call it from a thread that
// is not niced (the encoding queue is one). Blocks until all are done.
std::vector<std::optional<Bytes>> transcodeJPEGFiles(const std::vector<std::filesystem::path>& paths,
                                                     double quality);

}  // namespace instala::platform
