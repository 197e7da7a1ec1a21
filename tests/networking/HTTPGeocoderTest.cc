#include "networking/HTTPGeocoder.h"

#include "support/MainLoop.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace instala {
namespace {

TEST(HTTPGeocoder, SearchURLAddsTheQueryToTheBaseURL) {
  struct {
    const char* base;
    const char* address;
    const char* expected;
  } cases[] = {
      {"http://127.0.0.1:8765/geocode/search", "Av. Juárez 10", "http://127.0.0.1:8765/geocode/search?q=Av.%20Ju%C3%A1rez%2010&format=json"},
      {"https://maps.example/search?countrycodes=mx", "a&b=c#d", "https://maps.example/search?countrycodes=mx&q=a%26b%3Dc%23d&format=json"},
      {"https://maps.example/search", "", "https://maps.example/search?q=&format=json"},
  };
  for (const auto& c : cases) EXPECT_EQ(HTTPGeocoder::searchURL(c.base, c.address), c.expected) << c.address;
}

TEST(HTTPGeocoder, AnUnusableURLAnswersNothingOnTheMainQueue) {
  HTTPGeocoder geocoder("not a url");
  bool called = false;
  std::optional<Coordinate> place = Coordinate{1, 1};
  geocoder.geocodeAddressString("Calle 1", [&](std::optional<Coordinate> answer) {
    called = true;
    place = answer;
  });
  EXPECT_FALSE(called);  // never inside the call
  testing::drainMainLoop();
  EXPECT_TRUE(called);
  EXPECT_FALSE(place);
}

TEST(HTTPGeocoder, TheServiceComesFromTheBundlesInfoPlist) {
  testing::TempDir dir;
  dir.write("with/Info.plist", R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>InstalaGeocoderURL</key><string>http://127.0.0.1:9/geo</string></dict></plist>)");
  dir.write("empty/Info.plist", R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>InstalaGeocoderURL</key><string></string></dict></plist>)");
  std::filesystem::create_directories(dir / "none");
  auto geocoder = HTTPGeocoder::fromBundle(platform::Bundle(dir / "with"));
  ASSERT_NE(geocoder, nullptr);
  EXPECT_EQ(geocoder->baseURL(), "http://127.0.0.1:9/geo");
  EXPECT_EQ(HTTPGeocoder::fromBundle(platform::Bundle(dir / "empty")), nullptr);
  EXPECT_EQ(HTTPGeocoder::fromBundle(platform::Bundle(dir / "none")), nullptr);
}

TEST(HTTPGeocoder, TheSharedGeocoderIsWhatTheShellSet) {
  auto geocoder = std::make_shared<HTTPGeocoder>("http://127.0.0.1:9/geo");
  Geocoder::setShared(geocoder);
  EXPECT_EQ(Geocoder::shared(), geocoder);
  Geocoder::setShared(nullptr);
  EXPECT_EQ(Geocoder::shared(), nullptr);
}

}  // namespace
}  // namespace instala
