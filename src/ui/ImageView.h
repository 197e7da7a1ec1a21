#pragma once
// Shows an image (a named asset or a photo).

#include "ui/Image.h"
#include "ui/View.h"

namespace instala::ui {

class ImageView : public View {
 public:
  using Super = View;
  using View::View;

  const std::optional<Image>& image() const { return image_; }
  void setImage(std::optional<Image> image) {
    image_ = std::move(image);
    setNeedsDisplay();
  }

 private:
  std::optional<Image> image_;
};

}  // namespace instala::ui
