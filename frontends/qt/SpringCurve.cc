#include "qt/SpringCurve.h"

#include <algorithm>
#include <cmath>

namespace instala::desktop {
namespace {
// The spring is considered settled when its amplitude falls below 1/1000.
const double settleLog = std::log(1000.0);
}  // namespace

SpringCurve::SpringCurve(double duration, double dampingRatio, double initialVelocity)
    : damping_(std::clamp(dampingRatio, 0.05, 1.0)),
      omega_(settleLog / damping_),
      velocity_(initialVelocity * std::max(0.0, duration)) {}

double SpringCurve::valueAt(double fraction) const {
  if (fraction <= 0) return 0;
  if (fraction >= 1) return 1;
  const double t = fraction;
  const double decay = std::exp(-damping_ * omega_ * t);
  if (damping_ >= 0.999) {
    // Critically damped.
    return 1 - decay * (1 + (omega_ - velocity_) * t);
  }
  const double omegaD = omega_ * std::sqrt(1 - damping_ * damping_);
  return 1 - decay * (std::cos(omegaD * t) + ((damping_ * omega_ - velocity_) / omegaD) * std::sin(omegaD * t));
}

}  // namespace instala::desktop
