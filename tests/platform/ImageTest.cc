#include "platform/Image.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace instala::platform {
namespace {

Image gradient(int width, int height) {
  Bytes pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      pixels.push_back(static_cast<std::uint8_t>(x * 255 / width));
      pixels.push_back(static_cast<std::uint8_t>(y * 255 / height));
      pixels.push_back(128);
    }
  }
  return *Image::fromRGB(width, height, std::move(pixels));
}

TEST(Image, PixelCountMustMatchTheSize) {
  EXPECT_FALSE(Image::fromRGB(2, 2, Bytes(11)));
  EXPECT_FALSE(Image::fromRGB(0, 2, Bytes()));
  EXPECT_TRUE(Image::fromRGB(2, 2, Bytes(12)));
}

TEST(Image, JPEGRoundTripKeepsSizeAndRoughlyThePixels) {
  Image original = gradient(64, 48);
  auto bytes = original.encodeJPEG(0.9);
  ASSERT_TRUE(bytes);
  EXPECT_EQ((*bytes)[0], 0xFF);
  EXPECT_EQ((*bytes)[1], 0xD8);
  auto decoded = Image::decodeJPEG(*bytes);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->width(), 64);
  EXPECT_EQ(decoded->height(), 48);
  long error = 0;
  for (std::size_t i = 0; i < original.pixels().size(); ++i) {
    error += std::abs(int(original.pixels()[i]) - int(decoded->pixels()[i]));
  }
  EXPECT_LT(error / static_cast<long>(original.pixels().size()), 8);
}

TEST(Image, LowerQualityGivesSmallerFiles) {
  Image photo = gradient(320, 240);
  EXPECT_LT(photo.encodeJPEG(0.2)->size(), photo.encodeJPEG(0.9)->size());
}

TEST(Image, FilesThatAreNoJPEGGiveNothing) {
  instala::testing::TempDir dir;
  EXPECT_FALSE(Image::loadFile(dir / "missing"));
  EXPECT_FALSE(Image::loadFile(dir.write("text", "hello")));
  EXPECT_FALSE(Image::loadFile(dir.write("empty", "")));
  EXPECT_FALSE(Image::decodeJPEG(Bytes{0xFF, 0xD8, 0xFF}));
  auto jpeg = gradient(8, 8).encodeJPEG(0.5);
  auto file = dir.write("photo", std::string(jpeg->begin(), jpeg->end()));
  EXPECT_TRUE(Image::loadFile(file));
}

}  // namespace
}  // namespace instala::platform
