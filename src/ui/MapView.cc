#include "ui/MapView.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace instala::ui {
namespace {
// Metres along one degree of latitude (and of longitude on the equator).
constexpr double metersPerDegree = 111319.49079327357;
}  // namespace

CoordinateRegion CoordinateRegion::withDistance(Coordinate center, double latitudinalMeters,
                                                double longitudinalMeters) {
  const double cosine = std::cos(center.latitude * std::numbers::pi / 180.0);
  const double longitudeDelta = cosine > 1e-9 ? longitudinalMeters / (metersPerDegree * cosine) : 360.0;
  return {center, {latitudinalMeters / metersPerDegree, std::min(360.0, longitudeDelta)}};
}

void MapView::addAnnotation(std::shared_ptr<PointAnnotation> annotation) {
  if (annotation) annotations_.push_back(std::move(annotation));
  setNeedsDisplay();
}

void MapView::setRegion(CoordinateRegion region, bool) {
  region_ = region;
  setNeedsDisplay();
}

}  // namespace instala::ui
