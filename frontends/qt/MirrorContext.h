#pragma once
// What the mirrored widgets share: the model's window they draw, the fonts,
// the animation tracker, the map tiles, the web module (documents), and the
// way back into the model (taps, and the request to redraw after input).

#include "qt/AnimationTracker.h"
#include "qt/FontRegistry.h"
#include "qt/ModuleLoader.h"
#include "ui/Image.h"
#include "ui/Window.h"

#include <QImage>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace instala::desktop {

class TileCache;

class MirrorContext {
 public:
  MirrorContext(FontRegistry& fonts, AnimationTracker& animations, TileCache& tiles, WebModuleLoader& webModules);

  FontRegistry& fonts() { return fonts_; }
  AnimationTracker& animations() { return animations_; }
  TileCache& tiles() { return tiles_; }
  WebModuleLoader& webModules() { return webModules_; }

  // The window whose tree is mirrored.
  std::shared_ptr<ui::Window> window() const { return window_.lock(); }
  void setWindow(const std::shared_ptr<ui::Window>& window) { window_ = window; }

  // A tap on a model view goes through its window (gesture recognisers, views
  // covering it), then the window is redrawn. False when the window refused it.
  bool tap(ui::View& view);
  // Input changed the model: redraw on the next turn of the event loop.
  void modelChanged();
  void setRedrawRequest(std::function<void()> request) { redraw_ = std::move(request); }

  // An image of the model (asset or photo) at a size; null when it cannot be drawn.
  // Asset images are rendered from their SVG or PNG file and kept.
  QImage image(const ui::Image& image, QSize size);
  // The tint of controls that have none of their own.
  static QColor defaultTint();

 private:
  FontRegistry& fonts_;
  AnimationTracker& animations_;
  TileCache& tiles_;
  WebModuleLoader& webModules_;
  std::weak_ptr<ui::Window> window_;
  std::function<void()> redraw_;
  std::map<std::string, QImage> assetImages_;
};

}  // namespace instala::desktop
