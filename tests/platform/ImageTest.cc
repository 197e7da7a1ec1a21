#include "platform/Image.h"

#include "support/ForkedCall.h"
#include "support/SyntheticPhoto.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <turbojpeg.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <ostream>

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

// What the application did before photos were streamed row by row, through
// libjpeg-turbo's whole-image API: the reference for "same bytes as before".
struct TurboJPEG {
  static Bytes encode(const Bytes& rgb, int width, int height, int subsampling, int level, int flags = 0) {
    tjhandle handle = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    EXPECT_EQ(tjCompress2(handle, rgb.data(), width, 0, height, TJPF_RGB, &out, &size, subsampling, level, flags), 0);
    Bytes bytes(out, out + size);
    tjFree(out);
    tjDestroy(handle);
    return bytes;
  }
  static std::optional<Bytes> decodePixels(const Bytes& jpeg, int& width, int& height) {
    tjhandle handle = tjInitDecompress();
    int subsampling = 0, colorspace = 0;
    std::optional<Bytes> pixels;
    if (tjDecompressHeader3(handle, jpeg.data(), jpeg.size(), &width, &height, &subsampling, &colorspace) == 0) {
      pixels = Bytes(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
      if (tjDecompress2(handle, jpeg.data(), jpeg.size(), pixels->data(), width, 0, height, TJPF_RGB,
                        TJFLAG_ACCURATEDCT) != 0) {
        pixels.reset();
      }
    }
    tjDestroy(handle);
    return pixels;
  }
  static std::optional<Bytes> reencode(const Bytes& jpeg, double quality) {
    int width = 0, height = 0;
    auto pixels = decodePixels(jpeg, width, height);
    if (!pixels) return std::nullopt;
    return encode(*pixels, width, height, TJSAMP_420, static_cast<int>(std::lround(quality * 100)));
  }
};

// An APP1 "Exif" segment whose only entry is the orientation.
Bytes withExifOrientation(const Bytes& jpeg, std::uint8_t orientation) {
  const Bytes exif{0xFF, 0xE1, 0x00, 0x22, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1,
                   0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, orientation, 0, 0, 0, 0, 0, 0};
  Bytes result(jpeg.begin(), jpeg.begin() + 2);
  result.insert(result.end(), exif.begin(), exif.end());
  result.insert(result.end(), jpeg.begin() + 2, jpeg.end());
  return result;
}

bool hasMarker(const Bytes& jpeg, std::uint8_t marker) {
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == marker) return true;
  }
  return false;
}

std::string text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

struct StoredPhoto {
  const char* name;
  int width;
  int height;
  int subsampling;
  int flags;
  std::optional<std::uint8_t> exifOrientation;
  double quality;  // of the re-encoding
};
void PrintTo(const StoredPhoto& c, std::ostream* os) { *os << c.name; }

class Reencoding : public ::testing::TestWithParam<StoredPhoto> {
 protected:
  Bytes stored() const {
    const auto& c = GetParam();
    Bytes jpeg = TurboJPEG::encode(instala::testing::syntheticPhoto(c.width, c.height, 3), c.width, c.height,
                                   c.subsampling, 25, c.flags);
    return c.exifOrientation ? withExifOrientation(jpeg, *c.exifOrientation) : jpeg;
  }
  instala::testing::TempDir dir;
};

TEST_P(Reencoding, GivesTheBytesOfTheWholeImageReencoding) {
  const auto& c = GetParam();
  const Bytes jpeg = stored();
  const auto file = dir.write("img-1", text(jpeg));
  const auto expected = TurboJPEG::reencode(jpeg, c.quality);
  ASSERT_TRUE(expected);

  const auto streamed = transcodeJPEGFile(file, c.quality);
  ASSERT_TRUE(streamed);
  EXPECT_EQ(*streamed, *expected);
  auto loaded = Image::loadFile(file);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->encodeJPEG(c.quality), expected);

  int width = 0, height = 0;
  auto pixels = TurboJPEG::decodePixels(jpeg, width, height);
  ASSERT_TRUE(pixels);
  EXPECT_EQ(loaded->pixels(), *pixels);
  EXPECT_EQ(Image::decodeJPEG(jpeg), loaded);
}

TEST_P(Reencoding, OutputDecodesAtTheStoredSizeWithoutExif) {
  const auto& c = GetParam();
  const auto streamed = transcodeJPEGFile(dir.write("img-1", text(stored())), c.quality);
  ASSERT_TRUE(streamed);
  int width = 0, height = 0;
  ASSERT_TRUE(TurboJPEG::decodePixels(*streamed, width, height));
  // The pixels are sent as stored: an EXIF rotation is neither applied nor kept.
  EXPECT_EQ(width, c.width);
  EXPECT_EQ(height, c.height);
  EXPECT_FALSE(hasMarker(*streamed, 0xE1));
  EXPECT_FALSE(hasMarker(*streamed, 0xC2)) << "baseline, not progressive";
}

INSTANTIATE_TEST_SUITE_P(
    Image, Reencoding,
    ::testing::Values(StoredPhoto{"Camera420", 160, 120, TJSAMP_420, 0, std::nullopt, 0.2},
                      StoredPhoto{"OddSize444", 33, 17, TJSAMP_444, 0, std::nullopt, 0.2},
                      StoredPhoto{"Subsampled422", 64, 40, TJSAMP_422, 0, std::nullopt, 0.2},
                      StoredPhoto{"Grey", 48, 31, TJSAMP_GRAY, 0, std::nullopt, 0.2},
                      StoredPhoto{"Progressive", 72, 56, TJSAMP_420, TJFLAG_PROGRESSIVE, std::nullopt, 0.2},
                      StoredPhoto{"ExifRotated", 64, 32, TJSAMP_420, 0, std::uint8_t{6}, 0.2},
                      StoredPhoto{"TallerThanOneBatch", 20, 77, TJSAMP_420, 0, std::nullopt, 0.25},
                      StoredPhoto{"BestQuality", 40, 30, TJSAMP_420, 0, std::nullopt, 1.0}),
    [](const auto& info) { return std::string(info.param.name); });

// Where the photo should be; `dir` is the folder to put it in.
struct UnreadablePhoto {
  const char* name;
  std::function<std::filesystem::path(const instala::testing::TempDir& dir)> make;
};
void PrintTo(const UnreadablePhoto& c, std::ostream* os) { *os << c.name; }

Bytes validJPEG() { return TurboJPEG::encode(instala::testing::syntheticPhoto(64, 48), 64, 48, TJSAMP_420, 25); }

std::filesystem::path writeBytes(const instala::testing::TempDir& dir, const Bytes& bytes) {
  return dir.write("img-2", text(bytes));
}

// The first position of a marker (0xFF, marker).
std::size_t markerAt(const Bytes& jpeg, std::uint8_t marker) {
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == marker) return i;
  }
  ADD_FAILURE() << "no marker";
  return 0;
}

class Unreadable : public ::testing::TestWithParam<UnreadablePhoto> {};

// Every reader refuses it: quickly (no waiting on a FIFO), without a large
// allocation (the address space is capped), and without printing anything.
TEST_P(Unreadable, IsNoPhotoForAnyReader) {
  instala::testing::TempDir dir;
  const auto path = GetParam().make(dir);
  const auto outcome = instala::testing::forkedCall(
      [&] {
        std::FILE* errors = std::tmpfile();
        if (!errors || dup2(fileno(errors), STDERR_FILENO) < 0) return 10;
        int failures = 0;
        if (Image::loadFile(path)) failures |= 1;
        if (transcodeJPEGFile(path, 0.2)) failures |= 2;
        struct stat status {};
        if (lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
          std::ifstream in(path, std::ios::binary);
          const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
          if (Image::decodeJPEG(bytes)) failures |= 4;
        }
        if (lseek(STDERR_FILENO, 0, SEEK_END) != 0) failures |= 8;
        return failures;
      },
      {.timeout = std::chrono::seconds(30), .extraAddressSpace = std::uint64_t{512} << 20});
  ASSERT_TRUE(outcome) << "hung, crashed or ran out of memory";
  EXPECT_EQ(*outcome, 0) << "1: loadFile, 2: transcodeJPEGFile, 4: decodeJPEG gave a photo; 8: printed";
}

INSTANTIATE_TEST_SUITE_P(
    Image, Unreadable,
    ::testing::Values(
        UnreadablePhoto{"Missing", [](const auto& dir) { return dir / "img-2"; }},
        UnreadablePhoto{"Empty", [](const auto& dir) { return dir.write("img-2", ""); }},
        UnreadablePhoto{"Text", [](const auto& dir) { return dir.write("img-2", "hello"); }},
        UnreadablePhoto{"Folder",
                        [](const auto& dir) {
                          std::filesystem::create_directories(dir / "img-2");
                          return dir / "img-2";
                        }},
        UnreadablePhoto{"Fifo",
                        [](const auto& dir) {
                          EXPECT_EQ(mkfifo((dir / "img-2").c_str(), 0600), 0);
                          return dir / "img-2";
                        }},
        UnreadablePhoto{"CutInHalf",
                        [](const auto& dir) {
                          Bytes jpeg = validJPEG();
                          jpeg.resize(jpeg.size() / 2);
                          return writeBytes(dir, jpeg);
                        }},
        UnreadablePhoto{"CutBeforeTheEnd",
                        [](const auto& dir) {
                          Bytes jpeg = validJPEG();
                          jpeg.resize(jpeg.size() - 2);
                          return writeBytes(dir, jpeg);
                        }},
        UnreadablePhoto{"HeaderOnly",
                        [](const auto& dir) {
                          Bytes jpeg = validJPEG();
                          jpeg.resize(markerAt(jpeg, 0xDA));
                          return writeBytes(dir, jpeg);
                        }},
        UnreadablePhoto{"GarbageScanData",
                        [](const auto& dir) {
                          Bytes jpeg = validJPEG();
                          std::uint32_t state = 7;
                          for (std::size_t i = markerAt(jpeg, 0xDA) + 14; i + 2 < jpeg.size(); ++i) {
                            state = state * 1103515245u + 12345u;
                            jpeg[i] = static_cast<std::uint8_t>(state >> 24);
                          }
                          return writeBytes(dir, jpeg);
                        }},
        UnreadablePhoto{"ElevenComponents",
                        [](const auto& dir) {
                          Bytes jpeg = validJPEG();
                          jpeg[markerAt(jpeg, 0xC0) + 9] = 11;
                          return writeBytes(dir, jpeg);
                        }},
        UnreadablePhoto{"Cmyk",
                        [](const auto& dir) {
                          // Not convertible to RGB by libjpeg; the whole-image reader refused it too.
                          Bytes cmyk(32 * 16 * 4, 90);
                          tjhandle handle = tjInitCompress();
                          unsigned char* out = nullptr;
                          unsigned long size = 0;
                          tjCompress2(handle, cmyk.data(), 32, 0, 16, TJPF_CMYK, &out, &size, TJSAMP_420, 50, 0);
                          Bytes bytes(out, out + size);
                          tjFree(out);
                          tjDestroy(handle);
                          return writeBytes(dir, bytes);
                        }},
        UnreadablePhoto{"HugeDimensions",
                        [](const auto& dir) {
                          // 276 KB whose header claims 65000 × 65000: 12.7 GB of pixels.
                          const auto copy = dir / "img-2";
                          std::filesystem::copy_file(std::filesystem::path(INSTALA_TEST_DATA_DIR) / "huge-dims.jpg",
                                                     copy);
                          return copy;
                        }}),
    [](const auto& info) { return std::string(info.param.name); });

// A FIFO among the files must not hold up the others: run in a child process
// so that a build that waits on it fails instead of hanging.
TEST(Image, TranscodingManyKeepsTheOrderAndRefusesPerFile) {
  instala::testing::TempDir dir;
  std::vector<std::filesystem::path> paths;
  for (int i = 0; i < 7; ++i) {
    const int width = 16 + 8 * i;
    paths.push_back(dir.write("photo-" + std::to_string(i),
                              text(TurboJPEG::encode(instala::testing::syntheticPhoto(width, 24, i), width, 24,
                                                     TJSAMP_420, 25))));
  }
  paths[2] = dir / "missing";
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  paths[5] = dir / "fifo";
  const auto outcome = instala::testing::forkedCall([&] {
    const auto results = transcodeJPEGFiles(paths, 0.2);
    if (results.size() != paths.size()) return 1;
    for (std::size_t i = 0; i < paths.size(); ++i) {
      if (results[i] != transcodeJPEGFile(paths[i], 0.2)) return 2;
      if (results[i].has_value() != (i != 2 && i != 5)) return 3;
    }
    return transcodeJPEGFiles({}, 0.2).empty() ? 0 : 4;
  });
  ASSERT_TRUE(outcome) << "hung or crashed";
  EXPECT_EQ(*outcome, 0) << "1: result count, 2: not as one by one, 3: wrong slot refused, 4: none from nothing";
}

}  // namespace
}  // namespace instala::platform

