#include "qt/ModuleLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>

namespace instala::desktop {

QStringList PluginLoader::defaultFolders() {
  const QDir program(QCoreApplication::applicationDirPath());
  return {QDir::cleanPath(program.filePath(QStringLiteral("../lib/instala"))), program.path()};
}

PluginLoader::PluginLoader(QString fileName, QStringList folders)
    : fileName_(std::move(fileName)), folders_(std::move(folders)) {}

// The plugin stays loaded: objects it made may still be alive, and Qt keeps plugins until exit anyway.
PluginLoader::~PluginLoader() = default;

QObject* PluginLoader::instance(const char* interfaceId, const QString& kind) {
  if (attempted_) return instance_;
  attempted_ = true;
  QStringList reasons;
  for (const QString& folder : folders_) {
    const QString file = QDir(folder).filePath(fileName_);
    if (!QFileInfo(file).isFile()) continue;
    auto loader = std::make_unique<QPluginLoader>(file);
    QObject* instance = loader->instance();
    if (!instance) {
      reasons << file + QStringLiteral(": ") + loader->errorString();
      continue;
    }
    if (!instance->qt_metacast(interfaceId)) {
      reasons << file + QStringLiteral(": not ") + kind;
      continue;
    }
    loader_ = std::move(loader);
    instance_ = instance;
    loadedFile_ = file;
    return instance_;
  }
  error_ = reasons.isEmpty() ? QStringLiteral("no %1 in %2").arg(fileName_, folders_.join(", "))
                             : reasons.join(QStringLiteral("; "));
  return nullptr;
}

}  // namespace instala::desktop
