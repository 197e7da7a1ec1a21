#include "qt/CameraDialog.h"

#include "qt/CameraModule.h"
#include "qt/Conversions.h"
#include "qt/MirrorContext.h"
#include "ui/ImagePickerController.h"

#include <QBoxLayout>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>

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

CameraDialog::CameraDialog(const std::shared_ptr<ui::ImagePickerController>& picker, CameraModule* module,
                           MirrorContext& context, QWidget* parent)
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
  const QString cameraName = module ? module->defaultCameraName() : QString();
  if (!cameraName.isEmpty()) {
    buildCamera(*module, cameraName);
  } else {
    buildChooser();
  }
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

void CameraDialog::buildCamera(CameraModule& module, const QString& cameraName) {
  auto picker = picker_.lock();
  status_->setText(cameraName);
  CameraCallbacks callbacks;
  callbacks.photoTaken = [this](const QImage& image) { finishWithImage(image); };
  callbacks.videoRecorded = [this](const QString& file) { finishWithVideo(file.toStdString()); };
  callbacks.failed = [this](const QString& message) { status_->setText(message); };
  callbacks.cancelled = [this] { reject(); };
  cameraView_ = module.createCameraView(picker && picker->acceptsMediaType(ui::mediaTypeImage),
                                        picker && picker->acceptsMediaType(ui::mediaTypeMovie), std::move(callbacks),
                                        this);
  layout()->addWidget(cameraView_);
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
