#pragma once
// A map: point annotations and the region shown.

#include "ui/Object.h"
#include "ui/View.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace instala::ui {

struct Coordinate {
  double latitude = 0;
  double longitude = 0;
  bool operator==(const Coordinate&) const = default;
};

struct CoordinateSpan {
  double latitudeDelta = 0;
  double longitudeDelta = 0;
  bool operator==(const CoordinateSpan&) const = default;
};

struct CoordinateRegion {
  Coordinate center;
  CoordinateSpan span;
  // The region centred on a coordinate spanning the given distances (metres)
  // north to south and east to west.
  static CoordinateRegion withDistance(Coordinate center, double latitudinalMeters, double longitudinalMeters);
  bool operator==(const CoordinateRegion&) const = default;
};

class PointAnnotation : public Object {
 public:
  using Super = Object;
  const std::string& title() const { return title_; }
  void setTitle(std::string title) { title_ = std::move(title); }
  const Coordinate& coordinate() const { return coordinate_; }
  void setCoordinate(Coordinate coordinate) { coordinate_ = coordinate; }

 private:
  std::string title_;
  Coordinate coordinate_;
};

class MapView : public View {
 public:
  using Super = View;
  using View::View;

  const std::vector<std::shared_ptr<PointAnnotation>>& annotations() const { return annotations_; }
  void addAnnotation(std::shared_ptr<PointAnnotation> annotation);
  const std::optional<CoordinateRegion>& region() const { return region_; }
  void setRegion(CoordinateRegion region, bool animated);

 private:
  std::vector<std::shared_ptr<PointAnnotation>> annotations_;
  std::optional<CoordinateRegion> region_;
};

}  // namespace instala::ui
