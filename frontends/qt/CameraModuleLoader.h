#pragma once
// Loads the camera module (instala-camera.so) the first time the camera is
// opened. It is looked for in the program's ../lib/instala folder (an
// installed program) and then next to the program (the build tree). A
// missing or unusable module is not an error for the caller: the camera
// offers a file chooser instead.

#include "qt/CameraModule.h"

#include <QString>
#include <QStringList>

#include <memory>

class QPluginLoader;

namespace instala::desktop {

class CameraModuleLoader {
 public:
  // The file name the build gives the module.
  static constexpr const char* fileName = "instala-camera.so";

  // The folders searched, in order: the program's ../lib/instala, then its own folder.
  static QStringList defaultFolders();

  explicit CameraModuleLoader(QStringList folders = defaultFolders());
  ~CameraModuleLoader();
  CameraModuleLoader(const CameraModuleLoader&) = delete;
  CameraModuleLoader& operator=(const CameraModuleLoader&) = delete;

  // The module, loaded on the first call only; null when no folder holds a usable one.
  CameraModule* module();
  bool attempted() const { return attempted_; }
  // The file the module came from, or why none could be used.
  const QString& loadedFile() const { return loadedFile_; }
  const QString& errorString() const { return error_; }

 private:
  QStringList folders_;
  std::unique_ptr<QPluginLoader> loader_;
  CameraModule* module_ = nullptr;
  bool attempted_ = false;
  QString loadedFile_;
  QString error_;
};

}  // namespace instala::desktop
