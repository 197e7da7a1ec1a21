#include "ui/Image.h"

#include "ui/Assets.h"

namespace instala::ui {

Image::Image(platform::Image pixels) : pixels_(std::make_shared<const platform::Image>(std::move(pixels))) {}

std::optional<Image> Image::named(const std::string& name) {
  auto file = Assets::main().imageFile(name);
  if (!file) return std::nullopt;
  return Image(name, *file);
}

std::optional<Image> Image::withContentsOfFile(const std::filesystem::path& path) {
  auto pixels = platform::Image::loadFile(path);
  if (!pixels) return std::nullopt;
  return Image(std::move(*pixels));
}

Size Image::size() const {
  if (!pixels_) return {};
  return {static_cast<double>(pixels_->width()), static_cast<double>(pixels_->height())};
}

std::optional<platform::Bytes> Image::jpegRepresentation(double quality) const {
  if (!pixels_) return std::nullopt;
  return pixels_->encodeJPEG(quality);
}

bool Image::operator==(const Image& other) const {
  if (name_ != other.name_ || assetFile_ != other.assetFile_) return false;
  if (pixels_ == other.pixels_) return true;
  return pixels_ && other.pixels_ && *pixels_ == *other.pixels_;
}

}  // namespace instala::ui
