#include "networking/Geocoder.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>

namespace instala {
namespace {

std::optional<double> degrees(const Json& place, const char* key, double limit) {
  auto it = place.find(key);
  if (it == place.end()) return std::nullopt;
  double value = 0;
  if (it->is_string()) {
    const std::string& text = it->get_ref<const std::string&>();
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  } else if (it->is_number()) {
    value = it->get<double>();
  } else {
    return std::nullopt;
  }
  if (!std::isfinite(value) || std::fabs(value) > limit) return std::nullopt;
  return value;
}

std::shared_ptr<Geocoder>& sharedGeocoder() {
  static std::shared_ptr<Geocoder> geocoder;
  return geocoder;
}

}  // namespace

std::shared_ptr<Geocoder> Geocoder::shared() { return sharedGeocoder(); }

void Geocoder::setShared(std::shared_ptr<Geocoder> geocoder) { sharedGeocoder() = std::move(geocoder); }

std::optional<Coordinate> firstPlaceCoordinate(const Json& answer) {
  if (!answer.is_array() || answer.empty() || !answer.front().is_object()) return std::nullopt;
  const Json& place = answer.front();
  auto latitude = degrees(place, "lat", 90);
  auto longitude = degrees(place, "lon", 180);
  if (!latitude || !longitude) return std::nullopt;
  return Coordinate{*latitude, *longitude};
}

}  // namespace instala
