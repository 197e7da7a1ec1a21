#pragma once
// Mirrors the model window's controllers where they are more than views:
// the navigation bar of every navigation controller on screen, the tab bar of
// the tabbed screen, and the screens that the window shows in dialogs of
// their own instead of in the window (alerts, the camera, the document
// viewer), and the submission's progress under step three's "Finalizar".
// It also gives the screens inside containers the room their bars
// leave, in the model itself, so the model lays out its tables and rows in
// the space the user actually sees.

#include "qt/ModuleLoader.h"
#include "qt/NavigationBarWidget.h"
#include "qt/TabBarWidget.h"
#include "ui/Window.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace instala::ui {
class ImagePickerController;
class SafariViewController;
}  // namespace instala::ui

namespace instala::desktop {

class AlertDialog;
class MirrorContext;
class UploadProgressWidget;
class ViewMirror;

class ControllerMirror {
 public:
  // A presenter shows a screen in a dialog (returned, or null when it answered the model at once).
  using CameraPresenter = std::function<QDialog*(const std::shared_ptr<ui::ImagePickerController>&, QWidget* parent)>;
  using BrowserPresenter = std::function<QDialog*(const std::shared_ptr<ui::SafariViewController>&, QWidget* parent)>;

  ControllerMirror(MirrorContext& context, QWidget* dialogParent);
  ~ControllerMirror();
  ControllerMirror(const ControllerMirror&) = delete;
  ControllerMirror& operator=(const ControllerMirror&) = delete;

  // Moves the screens inside navigation and tab containers clear of the bars.
  // Returns whether a frame changed (the model then needs another layout pass).
  bool layoutContent(ui::Window& window);
  // The views the view mirror leaves out: screens shown in dialogs, and
  // screens covered by a full-screen presentation.
  std::set<const ui::View*> hiddenViews(ui::Window& window) const;
  // Bars onto the mirrored containers; dialogs opened and closed with their screens.
  void sync(ui::Window& window, ViewMirror& views);

  void setCameraPresenter(CameraPresenter presenter) { camera_ = std::move(presenter); }
  // The default camera loads the camera module when the model first opens its camera.
  CameraModuleLoader& cameraModules() { return cameraModules_; }
  void setBrowserPresenter(BrowserPresenter presenter) { browser_ = std::move(presenter); }

  std::vector<NavigationBarWidget*> navigationBars() const;
  TabBarWidget* tabBar() const;
  // The dialogs on screen, oldest first.
  std::vector<QDialog*> dialogs() const;
  AlertDialog* alertDialog() const;
  // The submission's progress under "Finalizar", while step three uploads.
  UploadProgressWidget* uploadProgress() const;

 private:
  template <typename Widget>
  struct Bar {
    std::weak_ptr<ui::ViewController> controller;
    QPointer<Widget> widget;
  };
  struct Shown {
    std::weak_ptr<ui::ViewController> controller;
    QPointer<QDialog> dialog;
    std::uint64_t order = 0;
  };
  QDialog* present(const std::shared_ptr<ui::ViewController>& controller);
  static bool showsInDialog(const ui::ViewController& controller);
  void syncUploadProgress(const std::vector<std::shared_ptr<ui::ViewController>>& visible, ViewMirror& views);

  MirrorContext& context_;
  QWidget* dialogParent_;
  CameraModuleLoader cameraModules_;
  CameraPresenter camera_;
  BrowserPresenter browser_;
  std::map<const ui::ViewController*, Bar<NavigationBarWidget>> navigationBars_;
  std::map<const ui::ViewController*, Bar<TabBarWidget>> tabBars_;
  std::map<const ui::ViewController*, Shown> shown_;
  std::uint64_t nextOrder_ = 0;
  QPointer<UploadProgressWidget> uploadProgress_;
};

}  // namespace instala::desktop
