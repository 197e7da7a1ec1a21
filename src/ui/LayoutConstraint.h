#pragma once
// Layout constraints written in the toolkit's visual format language, kept as
// layout data. The subset the application uses: one view per format, with
// optional spacings to the superview's edges and an optional fixed length:
// "H:|-20-[v0]-20-|", "V:|-60-[v0]-10-|", "V:[v0(44)]".

#include "platform/Result.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace instala::ui {

class View;
struct Rect;

struct LayoutConstraint {
  enum class Axis { horizontal, vertical };

  Axis axis = Axis::horizontal;
  std::string format;
  std::weak_ptr<View> item;
  std::optional<double> leading;   // spacing to the superview's left / top edge
  std::optional<double> trailing;  // spacing to the superview's right / bottom edge
  std::optional<double> length;    // fixed width / height

  // An error names the format and what is wrong with it.
  static platform::Result<std::vector<LayoutConstraint>> withVisualFormat(
      const std::string& format, const std::map<std::string, std::shared_ptr<View>>& views);

  // Applies the constraint to the item's frame inside a superview of the given size.
  void apply(Rect& frame, double superviewLength) const;
};

}  // namespace instala::ui
