#pragma once
// The phone toolkit's spring timing: a damped spring from 0 to 1 that settles
// within the animation's duration. dampingRatio 1 does not overshoot; lower
// values overshoot and swing back. initialVelocity is in animation distances per
// second, as the toolkit takes it.

namespace instala::desktop {

class SpringCurve {
 public:
  SpringCurve(double duration, double dampingRatio, double initialVelocity);
  // Progress at a fraction of the duration (0 to 1); exactly 0 at 0 and 1 at 1.
  double valueAt(double fraction) const;

 private:
  double damping_;
  double omega_;
  double velocity_;
};

}  // namespace instala::desktop
