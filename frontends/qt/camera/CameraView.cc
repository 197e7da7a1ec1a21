#include "qt/camera/CameraView.h"

#include <QBoxLayout>
#include <QCamera>
#include <QDir>
#include <QImageCapture>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QMediaRecorder>
#include <QPushButton>
#include <QUuid>
#include <QVideoWidget>

namespace instala::desktop {

CameraView::CameraView(bool photos, bool videos, CameraCallbacks callbacks, QWidget* parent)
    : QWidget(parent), callbacks_(std::move(callbacks)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  camera_ = new QCamera(QMediaDevices::defaultVideoInput(), this);
  session_ = new QMediaCaptureSession(this);
  session_->setCamera(camera_);
  auto* preview = new QVideoWidget(this);
  preview->setMinimumSize(320, 240);
  session_->setVideoOutput(preview);
  layout->addWidget(preview);
  auto* buttons = new QHBoxLayout();
  if (photos) {
    imageCapture_ = new QImageCapture(this);
    session_->setImageCapture(imageCapture_);
    auto* take = new QPushButton(QStringLiteral("Tomar foto"), this);
    connect(take, &QPushButton::clicked, imageCapture_, [this] { imageCapture_->capture(); });
    connect(imageCapture_, &QImageCapture::imageCaptured, this, [this](int, const QImage& image) {
      if (callbacks_.photoTaken) callbacks_.photoTaken(image);
    });
    connect(imageCapture_, &QImageCapture::errorOccurred, this,
            [this](int, QImageCapture::Error, const QString& message) {
              if (callbacks_.failed) callbacks_.failed(message);
            });
    buttons->addWidget(take);
  }
  if (videos) {
    recorder_ = new QMediaRecorder(this);
    session_->setRecorder(recorder_);
    recordButton_ = new QPushButton(QStringLiteral("Grabar"), this);
    connect(recordButton_, &QPushButton::clicked, this, &CameraView::toggleRecording);
    connect(recorder_, &QMediaRecorder::recorderStateChanged, this, [this](QMediaRecorder::RecorderState state) {
      recordButton_->setText(state == QMediaRecorder::RecordingState ? QStringLiteral("Detener")
                                                                      : QStringLiteral("Grabar"));
      if (state == QMediaRecorder::StoppedState && !recorder_->actualLocation().isEmpty() &&
          callbacks_.videoRecorded) {
        callbacks_.videoRecorded(recorder_->actualLocation().toLocalFile());
      }
    });
    connect(recorder_, &QMediaRecorder::errorOccurred, this, [this](QMediaRecorder::Error, const QString& message) {
      if (callbacks_.failed) callbacks_.failed(message);
    });
    buttons->addWidget(recordButton_);
  }
  auto* cancel = new QPushButton(QStringLiteral("Cancelar"), this);
  connect(cancel, &QPushButton::clicked, this, [this] {
    if (callbacks_.cancelled) callbacks_.cancelled();
  });
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  camera_->start();
}

CameraView::~CameraView() {
  // The dialog that holds the callbacks is going too: a recording stopped now is dropped.
  callbacks_ = {};
  if (recorder_ && recorder_->recorderState() != QMediaRecorder::StoppedState) recorder_->stop();
}

void CameraView::toggleRecording() {
  if (recorder_->recorderState() == QMediaRecorder::RecordingState) {
    recorder_->stop();
    return;
  }
  // Like the phone's camera, the recording goes to a temporary file that the model then refers to.
  const QString file = QDir(QDir::tempPath())
                           .filePath(QStringLiteral("instala-video-%1.mp4")
                                         .arg(QUuid::createUuid().toString(QUuid::WithoutBraces)));
  recorder_->setOutputLocation(QUrl::fromLocalFile(file));
  recorder_->record();
}

QString CameraPlugin::defaultCameraName() const {
  const auto inputs = QMediaDevices::videoInputs();
  if (inputs.isEmpty()) return {};
  const QString name = QMediaDevices::defaultVideoInput().description();
  return name.isEmpty() ? QStringLiteral("Cámara") : name;
}

QWidget* CameraPlugin::createCameraView(bool photos, bool videos, CameraCallbacks callbacks, QWidget* parent) {
  return new CameraView(photos, videos, std::move(callbacks), parent);
}

}  // namespace instala::desktop
