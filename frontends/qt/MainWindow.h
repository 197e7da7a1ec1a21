#pragma once
// The application's one window, sized like a phone (390 by 844 points). It
// mirrors the key window of the model: the views through the view mirror, the
// bars and dialogs through the controller mirror. Model changes (input, tasks
// and timers of the main run loop, animations) ask for a redraw, which happens
// once on the next turn of the event loop: run the model's due work, let the
// model lay itself out, then bring the widgets up to date. A root switch
// dissolves the old screen into the new one over the model's duration (0.3 s).
// Ctrl+R turns the phone between portrait and landscape. While it exists the
// model measures label text with the fonts the window draws, so self-sizing
// rows are as tall as their text really is.

#include "qt/AnimationTracker.h"
#include "qt/ControllerMirror.h"
#include "qt/FontRegistry.h"
#include "qt/MirrorContext.h"
#include "qt/QtRunLoopDriver.h"
#include "qt/TileCache.h"
#include "qt/ViewMirror.h"

#include <QImage>
#include <QWidget>

#include <memory>

namespace instala::desktop {

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr int phoneWidth = 390;
  static constexpr int phoneHeight = 844;

  // fonts holds the bundle's fonts and outlives the window; tileTemplate is the
  // map tile server's URL template.
  MainWindow(QtRunLoopDriver& driver, FontRegistry& fonts, const QString& tileTemplate, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Asks for a redraw on the next turn of the event loop (several asks make one redraw).
  void requestSync();
  // Redraws now: the model's due work, its layout, then the widgets.
  void syncNow();
  std::size_t syncCount() const { return syncCount_; }

  // The window, with the dialogs on screen drawn over it as the user sees them.
  QImage screenshot();
  // Whether a cross-dissolve or another motion is still playing.
  bool isAnimating() const;
  // Turns the phone (Ctrl+R): the model's screen changes orientation and the window its shape.
  void rotate();

  // After the first frame drawn with nothing loading, fontconfig's light
  // start-up configuration gives way to the system's
  // (FontRegistry::useSystemConfiguration).
  void useSystemFontsAfterFirstFrame() { systemFontsPending_ = true; }

  MirrorContext& context() { return context_; }
  ViewMirror& views() { return views_; }
  ControllerMirror& controllers() { return controllers_; }
  QWidget* content() const { return content_; }

 signals:
  void synced();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void startCrossDissolve(double duration);

  QtRunLoopDriver& driver_;
  FontRegistry& fonts_;
  AnimationTracker animations_;
  // The web module (Qt Network) for tiles and documents, loaded with the first of them.
  WebModuleLoader webModules_;
  TileCache* tiles_;
  MirrorContext context_;
  QWidget* content_;
  ViewMirror views_;
  ControllerMirror controllers_;
  bool syncQueued_ = false;
  bool syncing_ = false;
  std::size_t syncCount_ = 0;
  QImage pendingDissolve_;
  double dissolveDuration_ = 0;
  QWidget* dissolve_ = nullptr;
  bool systemFontsPending_ = false;
};

}  // namespace instala::desktop
