#pragma once
// The live camera, built in a module of its own (instala-camera, a Qt plugin)
// so that Qt Multimedia is loaded when the camera is first opened instead of
// at start-up. The program and the module share only this interface; where
// the module is missing or finds no camera, the program offers a file chooser.

#include <QString>
#include <QtPlugin>

#include <functional>

class QImage;
class QWidget;

namespace instala::desktop {

// What the camera's picture reports. The callbacks run on the Qt thread.
struct CameraCallbacks {
  std::function<void(const QImage& photo)> photoTaken;
  std::function<void(const QString& file)> videoRecorded;  // a local file
  std::function<void(const QString& message)> failed;      // the camera stays open
  std::function<void()> cancelled;
};

class CameraModule {
 public:
  virtual ~CameraModule() = default;

  // The description of the machine's default camera; empty when it has none.
  virtual QString defaultCameraName() const = 0;
  // The default camera's running picture with its buttons: "Tomar foto" when
  // photos are wanted, "Grabar"/"Detener" when videos are, and "Cancelar".
  // A recording goes to a new temporary file. Owned by the parent.
  virtual QWidget* createCameraView(bool photos, bool videos, CameraCallbacks callbacks, QWidget* parent) = 0;
};

}  // namespace instala::desktop

#define InstalaCameraModule_iid "mx.instala.desktop.CameraModule/1"
Q_DECLARE_INTERFACE(instala::desktop::CameraModule, InstalaCameraModule_iid)
