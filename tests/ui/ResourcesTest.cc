#include "platform/Bundle.h"
#include "ui/Assets.h"
#include "ui/Color.h"
#include "ui/Font.h"
#include "ui/Image.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace instala::ui {
namespace {

struct HexCase {
  const char* text;
  std::optional<Color> color;
};
void PrintTo(const HexCase& hex, std::ostream* out) { *out << hex.text; }

class ColorHexTest : public ::testing::TestWithParam<HexCase> {};

TEST_P(ColorHexTest, Parses) { EXPECT_EQ(Color::fromHex(GetParam().text), GetParam().color); }

INSTANTIATE_TEST_SUITE_P(Texts, ColorHexTest,
                         ::testing::Values(HexCase{"#FF0000", Color(1, 0, 0)}, HexCase{"#00ff00", Color(0, 1, 0)},
                                           HexCase{"#0000FF80", Color(0, 0, 1, 128 / 255.0)},
                                           HexCase{"FF0000", std::nullopt}, HexCase{"#FF00", std::nullopt},
                                           HexCase{"#GG0000", std::nullopt}, HexCase{"", std::nullopt}));

TEST(ColorTest, HexStringRoundTripsAndShowsAlphaOnlyWhenTranslucent) {
  EXPECT_EQ(Color(0.2392, 0.1725, 0.4196).hexString(), "#3D2C6B");
  EXPECT_EQ(Color::black().withAlphaComponent(0.2).hexString(), "#00000033");
  EXPECT_EQ(Color::fromHex("#3D2C6B")->hexString(), "#3D2C6B");
}

class AssetsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.write("Assets/Colors.json", R"({ "DarkPurple": "#3D2C6B", "Broken": "purple" })");
    dir.write("Assets/Images/check_icon.svg", "<svg/>");
    dir.write("Assets/Images/icon camera.png", "png");
    dir.write("Assets/Fonts/SourceSansPro-Regular.ttf", "ttf");
    platform::Bundle::setMain(dir.path());
  }
  void TearDown() override { platform::Bundle::setMain(platform::Bundle::locate(std::nullopt)); }
  testing::TempDir dir;
};

TEST_F(AssetsTest, NamedColoursComeFromTheCatalogueAndUnknownNamesGiveNone) {
  EXPECT_EQ(Color::named("DarkPurple"), Color::fromHex("#3D2C6B"));
  EXPECT_EQ(Color::named("Missing"), std::nullopt);
  EXPECT_EQ(Color::named("Broken"), std::nullopt);
  ASSERT_EQ(Assets::main().problems().size(), 1u);
  EXPECT_EQ(Assets::main().problems()[0], "colour \"Broken\" is not \"#RRGGBB\" or \"#RRGGBBAA\"");
}

TEST_F(AssetsTest, NamedImagesAndFontsAreFilesOfTheAssetFolder) {
  auto check = Image::named("check_icon");
  ASSERT_TRUE(check);
  EXPECT_EQ(check->name(), "check_icon");
  EXPECT_EQ(check->pixels(), nullptr);
  EXPECT_EQ(check->jpegRepresentation(0.5), std::nullopt);
  EXPECT_TRUE(Image::named("icon camera"));
  EXPECT_FALSE(Image::named("Video icon"));
  EXPECT_FALSE(Image::named("../Colors"));
  auto font = Font::named("SourceSansPro-Regular", 10);
  ASSERT_TRUE(font);
  EXPECT_EQ(font->fontName(), "SourceSansPro-Regular");
  EXPECT_EQ(font->pointSize(), 10);
  EXPECT_FALSE(Font::named("SourceSansPro-Semibold", 12));
}

TEST_F(AssetsTest, AMovedMainBundleBringsItsOwnAssets) {
  testing::TempDir other;
  other.write("Assets/Colors.json", R"({ "DarkPurple": "#000000" })");
  platform::Bundle::setMain(other.path());
  EXPECT_EQ(Color::named("DarkPurple"), Color::black());
}

TEST(ImageTest, PhotosCarryPixelsAndEncodeAsJPEG) {
  auto pixels = platform::Image::fromRGB(2, 1, {255, 0, 0, 0, 0, 255});
  ASSERT_TRUE(pixels);
  Image photo(*pixels);
  EXPECT_EQ(photo.size(), (Size{2, 1}));
  EXPECT_TRUE(photo.name().empty());
  auto jpeg = photo.jpegRepresentation(0.25);
  ASSERT_TRUE(jpeg);
  EXPECT_EQ((*jpeg)[0], 0xFF);
  EXPECT_EQ((*jpeg)[1], 0xD8);
  testing::TempDir dir;
  EXPECT_FALSE(Image::withContentsOfFile(dir / "missing.jpg"));
}

}  // namespace
}  // namespace instala::ui
