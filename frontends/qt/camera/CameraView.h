#pragma once
// The machine's default camera through Qt Multimedia: its picture, a button
// to take a photo and one to record a video (as asked), and "Cancelar".

#include "qt/CameraModule.h"

#include <QWidget>

class QCamera;
class QImageCapture;
class QMediaCaptureSession;
class QMediaRecorder;
class QPushButton;

namespace instala::desktop {

class CameraView : public QWidget {
  Q_OBJECT

 public:
  CameraView(bool photos, bool videos, CameraCallbacks callbacks, QWidget* parent = nullptr);
  ~CameraView() override;

 private:
  void toggleRecording();

  CameraCallbacks callbacks_;
  QCamera* camera_ = nullptr;
  QMediaCaptureSession* session_ = nullptr;
  QImageCapture* imageCapture_ = nullptr;
  QMediaRecorder* recorder_ = nullptr;
  QPushButton* recordButton_ = nullptr;
};

// The module's entry point, found by the program's plugin loader.
class CameraPlugin : public QObject, public CameraModule {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID InstalaCameraModule_iid)
  Q_INTERFACES(instala::desktop::CameraModule)

 public:
  QString defaultCameraName() const override;
  QWidget* createCameraView(bool photos, bool videos, CameraCallbacks callbacks, QWidget* parent) override;
};

}  // namespace instala::desktop
