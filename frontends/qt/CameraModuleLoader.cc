#include "qt/CameraModuleLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>

namespace instala::desktop {

QStringList CameraModuleLoader::defaultFolders() {
  const QDir program(QCoreApplication::applicationDirPath());
  return {QDir::cleanPath(program.filePath(QStringLiteral("../lib/instala"))), program.path()};
}

CameraModuleLoader::CameraModuleLoader(QStringList folders) : folders_(std::move(folders)) {}

// The plugin stays loaded: views it made may still be alive, and Qt keeps plugins until exit anyway.
CameraModuleLoader::~CameraModuleLoader() = default;

CameraModule* CameraModuleLoader::module() {
  if (attempted_) return module_;
  attempted_ = true;
  QStringList reasons;
  for (const QString& folder : folders_) {
    const QString file = QDir(folder).filePath(QString::fromLatin1(fileName));
    if (!QFileInfo(file).isFile()) continue;
    auto loader = std::make_unique<QPluginLoader>(file);
    auto* module = qobject_cast<CameraModule*>(loader->instance());
    if (!module) {
      reasons << file + QStringLiteral(": ") +
                     (loader->errorString().isEmpty() ? QStringLiteral("not a camera module") : loader->errorString());
      continue;
    }
    loader_ = std::move(loader);
    module_ = module;
    loadedFile_ = file;
    return module_;
  }
  error_ = reasons.isEmpty() ? QStringLiteral("no %1 in %2").arg(QString::fromLatin1(fileName), folders_.join(", "))
                             : reasons.join(QStringLiteral("; "));
  return nullptr;
}

}  // namespace instala::desktop
