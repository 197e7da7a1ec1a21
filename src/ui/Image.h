#pragma once
// An image as the screens hold it: either a named asset ("check_icon") or
// decoded pixels (a photo from the camera or a file).

#include "platform/Image.h"
#include "ui/Geometry.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace instala::ui {

class Image {
 public:
  explicit Image(platform::Image pixels);

  // The asset image of that name (Assets/Images), or nothing.
  static std::optional<Image> named(const std::string& name);
  // A JPEG file read and decoded; nothing when missing or not an image.
  static std::optional<Image> withContentsOfFile(const std::filesystem::path& path);

  // The asset name; empty for a photo.
  const std::string& name() const { return name_; }
  // The asset file; nothing for a photo.
  const std::optional<std::filesystem::path>& assetFile() const { return assetFile_; }
  // The pixels; null for an asset image.
  const platform::Image* pixels() const { return pixels_.get(); }
  // Pixel size for a photo; zero for an asset (drawn at the size of its view).
  Size size() const;

  // JPEG bytes at a quality from 0 to 1; nothing for an asset image.
  std::optional<platform::Bytes> jpegRepresentation(double quality) const;

  bool operator==(const Image& other) const;

 private:
  Image(std::string name, std::filesystem::path file) : name_(std::move(name)), assetFile_(std::move(file)) {}
  std::string name_;
  std::optional<std::filesystem::path> assetFile_;
  std::shared_ptr<const platform::Image> pixels_;
};

}  // namespace instala::ui
