#pragma once
// A model image view: an asset image (SVG or PNG) or a photo, fitted into the
// frame with its proportions kept.

#include "qt/ViewWidget.h"
#include "ui/Image.h"

#include <optional>

namespace instala::desktop {

class ImageViewWidget : public ViewWidget {
  Q_OBJECT

 public:
  using ViewWidget::ViewWidget;

  void syncFromModel(ui::View& view) override;
  // The asset name shown; empty for a photo or no image.
  QString imageName() const;

 protected:
  void paintContent(QPainter& painter) override;

 private:
  std::optional<ui::Image> image_;
};

}  // namespace instala::desktop
