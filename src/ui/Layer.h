#pragma once
// A view's drawing layer: the style properties the screens set (corners,
// shadow, border, clipping) and plain sublayers such as the text field's
// underlines. Defaults are the phone toolkit's.

#include "ui/Color.h"
#include "ui/Geometry.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace instala::ui {

class Layer {
 public:
  Rect frame;
  std::optional<Color> backgroundColor;
  double cornerRadius = 0;
  bool masksToBounds = false;
  std::optional<Color> shadowColor = Color::black();
  Size shadowOffset{0, -3};
  double shadowRadius = 3;
  double shadowOpacity = 0;
  double borderWidth = 0;
  std::optional<Color> borderColor = Color::black();

  const std::vector<std::shared_ptr<Layer>>& sublayers() const { return sublayers_; }
  // Adds on top; a sublayer added again moves to the top.
  void addSublayer(const std::shared_ptr<Layer>& layer) {
    std::erase(sublayers_, layer);
    sublayers_.push_back(layer);
  }
  void removeSublayer(const std::shared_ptr<Layer>& layer) { std::erase(sublayers_, layer); }

 private:
  std::vector<std::shared_ptr<Layer>> sublayers_;
};

}  // namespace instala::ui
