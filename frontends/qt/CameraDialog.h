#pragma once
// The model's camera (ImagePickerController) as a dialog. Where the camera
// module is loaded and finds a camera, the dialog shows its picture and takes
// a photo or records a video (the media types the model asks for); otherwise
// it offers a file chooser for an image or a video file. A photo reaches the
// model as its RGB image (any format Qt reads, turned upright by its EXIF
// orientation); a video reaches it as its file's location. Cancelling cancels
// the model's camera.

#include <QDialog>

#include <filesystem>
#include <memory>
#include <optional>

class QFileDialog;
class QLabel;

namespace instala::ui {
class ImagePickerController;
}

namespace instala::desktop {

class CameraModule;
class MirrorContext;

class CameraDialog : public QDialog {
  Q_OBJECT

 public:
  // A null module (none could be loaded) means the file chooser.
  CameraDialog(const std::shared_ptr<ui::ImagePickerController>& picker, CameraModule* module,
               MirrorContext& context, QWidget* parent = nullptr);

  bool usesCamera() const { return cameraView_ != nullptr; }
  QWidget* cameraView() const { return cameraView_; }
  QFileDialog* fileChooser() const { return chooser_; }
  // The file filters offered for the model's media types.
  static QStringList filtersFor(const ui::ImagePickerController& picker);

  // A chosen file: a video file's location, or the image read from it. False
  // (and the dialog stays) when it is neither.
  bool choose(const QString& file);

 public slots:
  void reject() override;

 private:
  void buildCamera(CameraModule& module, const QString& cameraName);
  void buildChooser();
  void finishWithImage(const QImage& image);
  void finishWithVideo(const std::filesystem::path& file);

  std::weak_ptr<ui::ImagePickerController> picker_;
  MirrorContext& context_;
  bool answered_ = false;
  QLabel* status_ = nullptr;
  QFileDialog* chooser_ = nullptr;
  QWidget* cameraView_ = nullptr;
};

}  // namespace instala::desktop
