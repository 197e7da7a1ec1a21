#pragma once
// Stateless helpers of the application, all class-level.

#include <string>

namespace instala {

class Utils {
 public:
  Utils() = delete;

  // Replaces the whole screen hierarchy of the application delegate's window by
  // the storyboard "Main" screen of that identifier, with a 0.3 s cross-dissolve.
  // Without a delegate window or such a screen, reports on the standard error and changes nothing.
  static void changeRootViewController(const std::string& identifier);
};

}  // namespace instala
