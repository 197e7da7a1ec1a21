#include "networking/Geocoder.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace instala {
namespace {

TEST(Geocoder, FirstPlaceOfTheAnswerOnly) {
  struct {
    const char* answer;
    std::optional<Coordinate> expected;
  } cases[] = {
      {R"([{"lat": "19.4326", "lon": "-99.1332", "display_name": "CDMX"}])", Coordinate{19.4326, -99.1332}},
      {R"([{"lat": "25.6866", "lon": "-100.3161"}, {"lat": "1", "lon": "1"}])", Coordinate{25.6866, -100.3161}},
      {R"([{"lat": 20.5, "lon": -103.25}])", Coordinate{20.5, -103.25}},
      {R"([])", std::nullopt},
      {R"({"lat": "1", "lon": "2"})", std::nullopt},
      {R"([{"lat": "19.4"}])", std::nullopt},
      {R"([{"lat": "abc", "lon": "1"}])", std::nullopt},
      {R"([{"lat": "19.4x", "lon": "1"}])", std::nullopt},
      {R"([{"lat": "91", "lon": "1"}])", std::nullopt},
      {R"([null, {"lat": "1", "lon": "1"}])", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(firstPlaceCoordinate(Json::parse(c.answer)), c.expected) << c.answer;
  }
}

}  // namespace
}  // namespace instala
