#include "qt/CameraDialog.h"

#include "qt/Conversions.h"
#include "qt/MirrorContext.h"
#include "ui/ImagePickerController.h"

#include <QBoxLayout>
#include <QCamera>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageCapture>
#include <QImageReader>
#include <QLabel>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QMediaRecorder>
#include <QPushButton>
#include <QUuid>
#include <QVideoWidget>

namespace instala::desktop {
namespace {

const QStringList videoSuffixes{"mp4", "mov", "m4v", "avi", "mkv", "webm", "3gp"};
const QStringList imageSuffixes{"jpg", "jpeg", "png", "bmp", "gif", "webp", "tif", "tiff"};

QString patterns(const QStringList& suffixes) {
  QStringList result;
  for (const auto& suffix : suffixes) result << QStringLiteral("*.") + suffix << QStringLiteral("*.") + suffix.toUpper();
  return result.join(QLatin1Char(' '));
}

}  // namespace

QStringList CameraDialog::filtersFor(const ui::ImagePickerController& picker) {
  QStringList filters;
  if (picker.acceptsMediaType(ui::mediaTypeImage)) filters << QStringLiteral("Fotos (%1)").arg(patterns(imageSuffixes));
  if (picker.acceptsMediaType(ui::mediaTypeMovie)) filters << QStringLiteral("Videos (%1)").arg(patterns(videoSuffixes));
  return filters;
}

CameraDialog::CameraDialog(const std::shared_ptr<ui::ImagePickerController>& picker, MirrorContext& context,
                           QWidget* parent)
    : QDialog(parent), picker_(picker), context_(context) {
  setWindowModality(Qt::WindowModal);
  const bool video = picker->acceptsMediaType(ui::mediaTypeMovie);
  setWindowTitle(video && !picker->acceptsMediaType(ui::mediaTypeImage) ? QStringLiteral("Grabar video")
                                                                        : QStringLiteral("Tomar foto"));
  auto* layout = new QVBoxLayout(this);
  status_ = new QLabel(this);
  status_->setWordWrap(true);
  status_->setFont(context.fonts().systemFont(14));
  layout->addWidget(status_);
  if (!QMediaDevices::videoInputs().isEmpty()) {
    buildCamera();
  } else {
    buildChooser();
  }
}

CameraDialog::~CameraDialog() {
  if (recorder_ && recorder_->recorderState() != QMediaRecorder::StoppedState) recorder_->stop();
}

void CameraDialog::buildChooser() {
  auto picker = picker_.lock();
  status_->setText(QStringLiteral("No se encontró una cámara. Elige un archivo."));
  chooser_ = new QFileDialog(this, windowTitle(), QDir::homePath());
  chooser_->setWindowFlags(Qt::Widget);
  chooser_->setOption(QFileDialog::DontUseNativeDialog);
  chooser_->setFileMode(QFileDialog::ExistingFile);
  chooser_->setAcceptMode(QFileDialog::AcceptOpen);
  if (picker) chooser_->setNameFilters(filtersFor(*picker));
  layout()->addWidget(chooser_);
  connect(chooser_, &QFileDialog::fileSelected, this, [this](const QString& file) {
    if (!choose(file)) chooser_->show();
  });
  connect(chooser_, &QFileDialog::rejected, this, &CameraDialog::reject);
  resize(640, 480);
}

void CameraDialog::buildCamera() {
  auto picker = picker_.lock();
  const bool photos = picker && picker->acceptsMediaType(ui::mediaTypeImage);
  const bool videos = picker && picker->acceptsMediaType(ui::mediaTypeMovie);
  status_->setText(QMediaDevices::defaultVideoInput().description());
  camera_ = new QCamera(QMediaDevices::defaultVideoInput(), this);
  session_ = new QMediaCaptureSession(this);
  session_->setCamera(camera_);
  auto* preview = new QVideoWidget(this);
  preview->setMinimumSize(320, 240);
  session_->setVideoOutput(preview);
  layout()->addWidget(preview);
  auto* buttons = new QHBoxLayout();
  if (photos) {
    imageCapture_ = new QImageCapture(this);
    session_->setImageCapture(imageCapture_);
    auto* take = new QPushButton(QStringLiteral("Tomar foto"), this);
    connect(take, &QPushButton::clicked, imageCapture_, [this] { imageCapture_->capture(); });
    connect(imageCapture_, &QImageCapture::imageCaptured, this,
            [this](int, const QImage& image) { finishWithImage(image); });
    connect(imageCapture_, &QImageCapture::errorOccurred, this,
            [this](int, QImageCapture::Error, const QString& message) { status_->setText(message); });
    buttons->addWidget(take);
  }
  if (videos) {
    recorder_ = new QMediaRecorder(this);
    session_->setRecorder(recorder_);
    recordButton_ = new QPushButton(QStringLiteral("Grabar"), this);
    connect(recordButton_, &QPushButton::clicked, this, &CameraDialog::toggleRecording);
    connect(recorder_, &QMediaRecorder::recorderStateChanged, this, [this](QMediaRecorder::RecorderState state) {
      recordButton_->setText(state == QMediaRecorder::RecordingState ? QStringLiteral("Detener")
                                                                      : QStringLiteral("Grabar"));
      if (state == QMediaRecorder::StoppedState && !recorder_->actualLocation().isEmpty()) {
        finishWithVideo(recorder_->actualLocation().toLocalFile().toStdString());
      }
    });
    connect(recorder_, &QMediaRecorder::errorOccurred, this,
            [this](QMediaRecorder::Error, const QString& message) { status_->setText(message); });
    buttons->addWidget(recordButton_);
  }
  auto* cancel = new QPushButton(QStringLiteral("Cancelar"), this);
  connect(cancel, &QPushButton::clicked, this, &CameraDialog::reject);
  buttons->addWidget(cancel);
  static_cast<QVBoxLayout*>(layout())->addLayout(buttons);
  camera_->start();
}

void CameraDialog::toggleRecording() {
  if (!recorder_) return;
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

bool CameraDialog::choose(const QString& file) {
  auto picker = picker_.lock();
  if (!picker) return false;
  const QString suffix = QFileInfo(file).suffix().toLower();
  if (picker->acceptsMediaType(ui::mediaTypeMovie) && videoSuffixes.contains(suffix)) {
    finishWithVideo(std::filesystem::path(file.toStdString()));
    return true;
  }
  if (picker->acceptsMediaType(ui::mediaTypeImage)) {
    QImageReader reader(file);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (!image.isNull()) {
      finishWithImage(image);
      return true;
    }
  }
  status_->setText(QStringLiteral("No se pudo usar «%1». Elige otro archivo.").arg(QFileInfo(file).fileName()));
  return false;
}

void CameraDialog::finishWithImage(const QImage& image) {
  auto picker = picker_.lock();
  auto pixels = toPlatformImage(image);
  if (!picker || !pixels || answered_) return;
  answered_ = true;
  ui::ImagePickerMediaInfo info;
  info.originalImage = ui::Image(std::move(*pixels));
  picker->finishPicking(info);
  context_.modelChanged();
  hide();
}

void CameraDialog::finishWithVideo(const std::filesystem::path& file) {
  auto picker = picker_.lock();
  if (!picker || answered_) return;
  answered_ = true;
  ui::ImagePickerMediaInfo info;
  info.mediaURL = file;
  picker->finishPicking(info);
  context_.modelChanged();
  hide();
}

void CameraDialog::reject() {
  if (!answered_) {
    answered_ = true;
    if (auto picker = picker_.lock()) picker->cancel();
    context_.modelChanged();
  }
  hide();
}

}  // namespace instala::desktop
