#include "networking/HTTPGeocoder.h"

#include "support/MainLoop.h"
#include "support/RecordingServer.h"

#include <gtest/gtest.h>

#include <thread>

namespace instala {
namespace {

using testing::RecordingServer;
using testing::Reply;

// What the completion received, and where it ran.
struct GeocoderAnswer {
  int calls = 0;
  bool onMainThread = false;
  std::optional<Coordinate> place;
};

GeocoderAnswer geocode(Geocoder& geocoder, const std::string& address) {
  GeocoderAnswer answer;
  const auto mainThread = std::this_thread::get_id();
  geocoder.geocodeAddressString(address, [&answer, mainThread](std::optional<Coordinate> place) {
    ++answer.calls;
    answer.onMainThread = std::this_thread::get_id() == mainThread;
    answer.place = place;
  });
  EXPECT_TRUE(testing::pumpMainLoopUntil([&] { return answer.calls > 0; }));
  testing::drainMainLoop();
  return answer;
}

TEST(HTTPGeocoderLoopback, AsksWithTheAddressAsQueryAndTakesTheFirstPlace) {
  RecordingServer server([](const auto&) {
    return Reply::json(200, R"([{"lat": "20.6193", "lon": "-100.4102", "display_name": "Querétaro"},
                                {"lat": "1", "lon": "1"}])");
  });
  HTTPGeocoder geocoder(server.url("/geocode/search"));
  auto answer = geocode(geocoder, "Av. 5 de Febrero 1351, Querétaro");
  EXPECT_EQ(answer.calls, 1);
  EXPECT_TRUE(answer.onMainThread);
  EXPECT_EQ(answer.place, (Coordinate{20.6193, -100.4102}));
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].target, "/geocode/search?q=Av.%205%20de%20Febrero%201351%2C%20Quer%C3%A9taro&format=json");
  EXPECT_TRUE(requests[0].body.empty());
}

TEST(HTTPGeocoderLoopback, NoPlaceAFailureOrAnotherShapeGivesNothing) {
  struct Case {
    Reply reply;
    const char* what;
  };
  const Case cases[] = {
      {Reply::json(200, "[]"), "no place"},
      {Reply::json(500, R"([{"lat": "1", "lon": "2"}])"), "server error"},
      {Reply::json(200, "<html>busy</html>"), "not JSON"},
      {Reply::json(200, R"({"lat": "1", "lon": "2"})"), "not an array"},
      {Reply::dropConnection(), "dropped connection"},
  };
  for (const auto& c : cases) {
    RecordingServer server([reply = c.reply](const auto&) { return reply; });
    HTTPGeocoder geocoder(server.url("/search"));
    auto answer = geocode(geocoder, "Calle 1");
    EXPECT_EQ(answer.calls, 1) << c.what;
    EXPECT_TRUE(answer.onMainThread) << c.what;
    EXPECT_FALSE(answer.place) << c.what;
  }
}

TEST(HTTPGeocoderLoopback, AnUnreachableServiceGivesNothing) {
  int port = 0;
  {
    RecordingServer closed;
    port = closed.port();
  }
  HTTPGeocoder geocoder("http://127.0.0.1:" + std::to_string(port) + "/search");
  auto answer = geocode(geocoder, "Calle 1");
  EXPECT_EQ(answer.calls, 1);
  EXPECT_FALSE(answer.place);
}

}  // namespace
}  // namespace instala
