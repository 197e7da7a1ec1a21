// The camera: without a camera on the machine a file chooser answers the
// model's camera with a photo (its RGB image) or a video (its file).

#include "MirrorHarness.h"
#include "QtTests.h"
#include "qt/CameraDialog.h"
#include "support/TempDir.h"
#include "ui/ImagePickerController.h"

#include <QFileDialog>
#include <QImageWriter>
#include <QTest>
#include <QTransform>

namespace instala::testing {
namespace {

class RecordingPickerDelegate : public ui::ImagePickerControllerDelegate {
 public:
  void imagePickerControllerDidFinishPickingMedia(ui::ImagePickerController&,
                                                  const ui::ImagePickerMediaInfo& info) override {
    results.push_back(info);
  }
  void imagePickerControllerDidCancel(ui::ImagePickerController&) override { ++cancels; }
  std::vector<ui::ImagePickerMediaInfo> results;
  int cancels = 0;
};

}  // namespace

class CameraDialogTest : public QObject {
  Q_OBJECT

 private:
  struct Camera {
    std::shared_ptr<ui::ImagePickerController> picker = std::make_shared<ui::ImagePickerController>();
    std::shared_ptr<RecordingPickerDelegate> delegate = std::make_shared<RecordingPickerDelegate>();
  };
  static Camera camera(std::vector<std::string> types) {
    Camera result;
    result.picker->setSourceType(ui::ImagePickerController::SourceType::camera);
    result.picker->setMediaTypes(std::move(types));
    result.picker->setDelegate(result.delegate);
    return result;
  }

 private slots:
  void theFileChooserOffersTheModelsMediaTypes() {
    auto photos = camera({ui::mediaTypeImage});
    auto videos = camera({ui::mediaTypeMovie});
    QCOMPARE(desktop::CameraDialog::filtersFor(*photos.picker).size(), 1);
    QVERIFY(desktop::CameraDialog::filtersFor(*photos.picker).front().startsWith(QStringLiteral("Fotos (*.jpg")));
    QVERIFY(desktop::CameraDialog::filtersFor(*videos.picker).front().contains(QStringLiteral("*.mp4")));
  }

  void aChosenImageReachesTheModelAsItsUprightRgbImage() {
    MirrorHarness harness;
    harness.show(std::make_shared<ui::ViewController>());
    auto photo = camera({ui::mediaTypeImage});
    desktop::CameraDialog dialog(photo.picker, harness.window->context());
    if (dialog.usesCamera()) QSKIP("this machine has a camera; the file chooser is not used");
    QVERIFY(dialog.fileChooser());
    TempDir dir;
    QImage picture(40, 20, QImage::Format_ARGB32);
    picture.fill(QColor(200, 30, 40));
    const QString file = QString::fromStdString((dir / "foto.png").string());
    QVERIFY(picture.save(file));
    QVERIFY(dialog.choose(file));
    QCOMPARE(photo.delegate->results.size(), 1u);
    const auto& info = photo.delegate->results.front();
    QVERIFY(!info.mediaURL);
    QVERIFY(info.originalImage && info.originalImage->pixels());
    QCOMPARE(info.originalImage->size(), ui::Size(40, 20));
    QCOMPARE(info.originalImage->pixels()->pixels().at(0), std::uint8_t{200});
    // One answer per camera: a second choice changes nothing.
    QVERIFY(dialog.choose(file));
    QCOMPARE(photo.delegate->results.size(), 1u);
  }

  void aChosenVideoReachesTheModelAsItsFile() {
    MirrorHarness harness;
    harness.show(std::make_shared<ui::ViewController>());
    auto video = camera({ui::mediaTypeMovie});
    desktop::CameraDialog dialog(video.picker, harness.window->context());
    if (dialog.usesCamera()) QSKIP("this machine has a camera; the file chooser is not used");
    TempDir dir;
    const auto clip = dir.write("clip.MP4", "not really a movie");
    QVERIFY(dialog.choose(QString::fromStdString(clip.string())));
    QCOMPARE(video.delegate->results.size(), 1u);
    QCOMPARE(video.delegate->results.front().mediaURL, std::optional<std::filesystem::path>(clip));
    QVERIFY(!video.delegate->results.front().originalImage);
  }

  void aFileThatIsNeitherKeepsTheDialogOpenAndCancelCancels() {
    MirrorHarness harness;
    harness.show(std::make_shared<ui::ViewController>());
    auto photo = camera({ui::mediaTypeImage});
    desktop::CameraDialog dialog(photo.picker, harness.window->context());
    if (dialog.usesCamera()) QSKIP("this machine has a camera; the file chooser is not used");
    TempDir dir;
    const auto text = dir.write("notas.txt", "hola");
    QVERIFY(!dialog.choose(QString::fromStdString(text.string())));
    QVERIFY(photo.delegate->results.empty());
    dialog.reject();
    QCOMPARE(photo.delegate->cancels, 1);
    dialog.reject();
    QCOMPARE(photo.delegate->cancels, 1);
  }
};

INSTALA_QT_TEST(CameraDialogTest)

}  // namespace instala::testing

#include "CameraDialogTest.moc"
