#pragma once
// A model map: raster tiles around the model's region, scaled so the whole
// region fits (the check-in screen asks for 300 m around the geocoded place),
// with a pin and its title at every annotation. Without tiles (no tile server,
// or it failed) the pins stand on a neutral background and the coordinates are
// written in the corner.

#include "qt/ViewWidget.h"
#include "ui/MapView.h"

#include <QString>

#include <optional>
#include <vector>

namespace instala::desktop {

class MapWidget : public ViewWidget {
  Q_OBJECT

 public:
  MapWidget(const std::shared_ptr<ui::View>& view, MirrorContext& context, QWidget* parent = nullptr);

  void syncFromModel(ui::View& view) override;

  struct Pin {
    QString title;
    ui::Coordinate coordinate;
    bool operator==(const Pin&) const = default;
  };
  const std::vector<Pin>& pins() const { return pins_; }
  const std::optional<ui::CoordinateRegion>& region() const { return region_; }
  // Whether the last painting had every tile it needed.
  bool hadAllTiles() const { return hadAllTiles_; }

  // The tile zoom and scale that fit a region into a size (exposed for tests).
  struct Fit {
    int zoom = 0;
    double scale = 1;
  };
  static Fit fit(const ui::CoordinateRegion& region, double width, double height);
  // A coordinate in world pixels of 256-pixel tiles at a zoom.
  static QPointF worldPixel(const ui::Coordinate& coordinate, int zoom);

 protected:
  void paintContent(QPainter& painter) override;
  bool highlightsRowOnPress() const override { return false; }

 private:
  std::optional<ui::CoordinateRegion> shownRegion() const;
  void paintTiles(QPainter& painter, const ui::CoordinateRegion& region);
  void paintPin(QPainter& painter, QPointF tip, const QString& title);

  std::vector<Pin> pins_;
  std::optional<ui::CoordinateRegion> region_;
  bool hadAllTiles_ = false;
};

}  // namespace instala::desktop
