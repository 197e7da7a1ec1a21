// The camera: with the camera module and a camera, the module's picture
// answers the model's camera; without either, a file chooser answers it with
// a photo (its RGB image) or a video (its file). The module itself is loaded
// from the build's folder only when first asked for.

#include "MirrorHarness.h"
#include "QtTests.h"
#include "qt/CameraDialog.h"
#include "qt/ModuleLoader.h"
#include "support/TempDir.h"
#include "ui/ImagePickerController.h"

#include <QFile>
#include <QFileDialog>
#include <QImageWriter>
#include <QLabel>
#include <QTest>
#include <QTransform>

#include <fstream>

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

// A module with a camera of its own making: it records what the dialog asked for
// and lets the test play the camera's part through the callbacks.
class FakeCameraModule : public desktop::CameraModule {
 public:
  explicit FakeCameraModule(QString name) : name_(std::move(name)) {}
  QString defaultCameraName() const override { return name_; }
  QWidget* createCameraView(bool photos, bool videos, desktop::CameraCallbacks callbacks, QWidget* parent) override {
    asked.push_back({photos, videos});
    this->callbacks = std::move(callbacks);
    return new QWidget(parent);
  }
  std::vector<std::pair<bool, bool>> asked;
  desktop::CameraCallbacks callbacks;

 private:
  QString name_;
};

// Whether a library whose file name contains the text is mapped into this process.
bool isMapped(const char* library) {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    if (line.find(library) != std::string::npos) return true;
  }
  return false;
}

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
    desktop::CameraDialog dialog(photo.picker, nullptr, harness.window->context());
    QVERIFY(!dialog.usesCamera());
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
    QCOMPARE(info.originalImage->size(), (ui::Size{40, 20}));
    QCOMPARE(info.originalImage->pixels()->pixels().at(0), std::uint8_t{200});
    // One answer per camera: a second choice changes nothing.
    QVERIFY(dialog.choose(file));
    QCOMPARE(photo.delegate->results.size(), 1u);
  }

  void aChosenVideoReachesTheModelAsItsFile() {
    MirrorHarness harness;
    harness.show(std::make_shared<ui::ViewController>());
    auto video = camera({ui::mediaTypeMovie});
    desktop::CameraDialog dialog(video.picker, nullptr, harness.window->context());
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
    desktop::CameraDialog dialog(photo.picker, nullptr, harness.window->context());
    TempDir dir;
    const auto text = dir.write("notas.txt", "hola");
    QVERIFY(!dialog.choose(QString::fromStdString(text.string())));
    QVERIFY(photo.delegate->results.empty());
    dialog.reject();
    QCOMPARE(photo.delegate->cancels, 1);
    dialog.reject();
    QCOMPARE(photo.delegate->cancels, 1);
  }

  void aModuleWithACameraShowsItsPictureAndItsAnswersReachTheModel() {
    MirrorHarness harness;
    harness.show(std::make_shared<ui::ViewController>());
    struct Case {
      std::vector<std::string> types;
      std::pair<bool, bool> asked;  // photos, videos
    };
    const Case cases[] = {{{ui::mediaTypeImage}, {true, false}},
                          {{ui::mediaTypeMovie}, {false, true}},
                          {{ui::mediaTypeImage, ui::mediaTypeMovie}, {true, true}}};
    for (const auto& c : cases) {
      FakeCameraModule module(QStringLiteral("Cámara frontal"));
      auto camera = this->camera(c.types);
      desktop::CameraDialog dialog(camera.picker, &module, harness.window->context());
      QVERIFY(dialog.usesCamera());
      QVERIFY(!dialog.fileChooser());
      QCOMPARE(module.asked, (std::vector<std::pair<bool, bool>>{c.asked}));
      QCOMPARE(dialog.cameraView()->parent(), &dialog);
      QVERIFY(dialog.findChild<QLabel*>()->text() == QStringLiteral("Cámara frontal"));
      // A failure is shown and the camera stays open.
      module.callbacks.failed(QStringLiteral("La cámara está ocupada"));
      QVERIFY(dialog.findChild<QLabel*>()->text() == QStringLiteral("La cámara está ocupada"));
      QVERIFY(camera.delegate->results.empty());
      QCOMPARE(camera.delegate->cancels, 0);
    }

    FakeCameraModule module(QStringLiteral("Cámara"));
    auto photo = camera({ui::mediaTypeImage});
    desktop::CameraDialog photoDialog(photo.picker, &module, harness.window->context());
    QImage picture(8, 6, QImage::Format_RGB32);
    picture.fill(QColor(10, 200, 30));
    module.callbacks.photoTaken(picture);
    QCOMPARE(photo.delegate->results.size(), 1u);
    QCOMPARE(photo.delegate->results.front().originalImage->size(), (ui::Size{8, 6}));
    QCOMPARE(photo.delegate->results.front().originalImage->pixels()->pixels().at(1), std::uint8_t{200});
    // Answered once: a late cancel changes nothing.
    module.callbacks.cancelled();
    QCOMPARE(photo.delegate->cancels, 0);

    auto video = camera({ui::mediaTypeMovie});
    desktop::CameraDialog videoDialog(video.picker, &module, harness.window->context());
    module.callbacks.videoRecorded(QStringLiteral("/tmp/instala-video-1.mp4"));
    QCOMPARE(video.delegate->results.size(), 1u);
    QCOMPARE(video.delegate->results.front().mediaURL,
             std::optional<std::filesystem::path>("/tmp/instala-video-1.mp4"));

    auto cancelled = camera({ui::mediaTypeImage});
    desktop::CameraDialog cancelledDialog(cancelled.picker, &module, harness.window->context());
    module.callbacks.cancelled();
    QCOMPARE(cancelled.delegate->cancels, 1);
    QVERIFY(cancelled.delegate->results.empty());
  }

  void aModuleThatFindsNoCameraLeavesTheFileChooser() {
    MirrorHarness harness;
    harness.show(std::make_shared<ui::ViewController>());
    FakeCameraModule module{QString()};
    auto photo = camera({ui::mediaTypeImage});
    desktop::CameraDialog dialog(photo.picker, &module, harness.window->context());
    QVERIFY(!dialog.usesCamera());
    QVERIFY(dialog.fileChooser());
    QVERIFY(module.asked.empty());
  }
};

// The camera module: found next to the program, loaded on first use only,
// and skipped (leaving the file chooser) where it is missing or broken.
class CameraModuleTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    // This process links no Qt Multimedia: only the module brings it.
    QVERIFY(!isMapped("libQt6Multimedia"));
  }

  void theInstalledFolderIsSearchedBeforeTheProgramsOwn() {
    const QString program = QCoreApplication::applicationDirPath();
    QCOMPARE(desktop::CameraModuleLoader::defaultFolders(),
             (QStringList{QDir::cleanPath(program + QStringLiteral("/../lib/instala")), program}));
  }

  void theModuleIsLoadedOnFirstUseAndOnlyOnce() {
    desktop::CameraModuleLoader loader;
    QVERIFY(!loader.attempted());
    QVERIFY(!isMapped("instala-camera.so"));
    auto* module = loader.module();
    QVERIFY2(module, qPrintable(loader.errorString()));
    QVERIFY(loader.attempted());
    QCOMPARE(loader.loadedFile(), QDir(QCoreApplication::applicationDirPath()).filePath("instala-camera.so"));
    QVERIFY(isMapped("instala-camera.so"));
    QVERIFY(isMapped("libQt6Multimedia"));
    QCOMPARE(loader.module(), module);
    // A machine without a camera device has no default camera to offer.
    if (!QFile::exists(QStringLiteral("/dev/video0"))) QVERIFY(module->defaultCameraName().isEmpty());
  }

  void aMissingOrBrokenModuleIsSkipped() {
    TempDir empty;
    TempDir broken;
    broken.write("instala-camera.so", "not a shared library");
    // A module of ours, but of another kind (the web access under the camera's name).
    TempDir otherKind;
    std::filesystem::copy_file(binaryDirectory() / "instala-web.so", otherKind / "instala-camera.so");
    const QString otherFolder = QString::fromStdString(otherKind.path().string());
    const QString emptyFolder = QString::fromStdString(empty.path().string());
    const QString brokenFolder = QString::fromStdString(broken.path().string());
    const QString program = QCoreApplication::applicationDirPath();
    struct Case {
      const char* name;
      QStringList folders;
      bool found;
      QString reason;  // part of the error when nothing was found
    };
    const Case cases[] = {
        {"no folder holds it", {emptyFolder}, false, QStringLiteral("no instala-camera.so in ") + emptyFolder},
        {"only a broken file", {brokenFolder}, false, brokenFolder + QStringLiteral("/instala-camera.so: ")},
        {"a module of another kind", {otherFolder}, false,
         otherFolder + QStringLiteral("/instala-camera.so: not a camera module")},
        {"a broken file, then the real one", {emptyFolder, brokenFolder, program}, true, QString()},
    };
    for (const auto& c : cases) {
      desktop::CameraModuleLoader loader(c.folders);
      auto* module = loader.module();
      QVERIFY2((module != nullptr) == c.found, c.name);
      if (c.found) {
        QCOMPARE(loader.loadedFile(), QDir(program).filePath("instala-camera.so"));
      } else {
        QVERIFY2(loader.errorString().startsWith(c.reason), qPrintable(c.name + (": " + loader.errorString())));
        QCOMPARE(loader.module(), nullptr);
      }
    }
  }

  void theWindowLoadsTheModuleWhenTheModelFirstOpensItsCamera() {
    MirrorHarness harness;
    auto screen = std::make_shared<ui::ViewController>();
    harness.show(screen);
    auto& modules = harness.window->controllers().cameraModules();
    QVERIFY(!modules.attempted());
    auto picker = std::make_shared<ui::ImagePickerController>();
    picker->setSourceType(ui::ImagePickerController::SourceType::camera);
    picker->setMediaTypes({ui::mediaTypeImage});
    harness.onMainQueue([&] { screen->present(picker, true); });
    QTRY_VERIFY(modules.attempted());
    QVERIFY2(modules.module(), qPrintable(modules.errorString()));
    QTRY_VERIFY(!harness.window->controllers().dialogs().empty());
    auto* dialog = qobject_cast<desktop::CameraDialog*>(harness.window->controllers().dialogs().front());
    QVERIFY(dialog);
    QCOMPARE(dialog->usesCamera(), !modules.module()->defaultCameraName().isEmpty());
  }
};

}  // namespace

INSTALA_QT_TEST(CameraDialogTest)
INSTALA_QT_TEST(CameraModuleTest)

}  // namespace instala::testing

#include "CameraDialogTest.moc"
