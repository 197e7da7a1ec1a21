#pragma once
// The device screen. Its bounds follow the orientation; rotating resizes the
// key window and posts deviceOrientationDidChangeNotification, as the phone does.

#include "ui/Geometry.h"

namespace instala::ui {

enum class Orientation { portrait, landscape };

class Screen {
 public:
  static Screen& main();

  Rect bounds() const;
  Orientation orientation() const { return orientation_; }
  // The portrait size; a phone's 375 x 667 points unless a front end sets another.
  void setPortraitSize(Size size) { portraitSize_ = size; }
  void setOrientation(Orientation orientation);

 private:
  Size portraitSize_{375, 667};
  Orientation orientation_ = Orientation::portrait;
};

}  // namespace instala::ui
