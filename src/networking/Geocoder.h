#pragma once
// Places an address on the map. The check-in screen asks a Geocoder; the
// application's one asks an HTTP service in the OpenStreetMap search form,
// tests give the screen a fake.

#include "models/Json.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace instala {

struct Coordinate {
  double latitude = 0;
  double longitude = 0;
  bool operator==(const Coordinate&) const = default;
};

class Geocoder {
 public:
  // Called once, on the main queue; nothing when no place was found or the service failed.
  using Completion = std::function<void(std::optional<Coordinate>)>;

  virtual ~Geocoder() = default;
  virtual void geocodeAddressString(const std::string& address, Completion completion) = 0;

  // The application's geocoder, set by the application shell at launch (tests
  // set a fake); null until then, and screens then place nothing. Main thread only.
  static std::shared_ptr<Geocoder> shared();
  static void setShared(std::shared_ptr<Geocoder> geocoder);
};

// The first place of a search answer (a JSON array of places whose "lat" and
// "lon" are texts). Nothing for an empty array, another shape, or a first
// place without a readable location.
std::optional<Coordinate> firstPlaceCoordinate(const Json& answer);

}  // namespace instala
