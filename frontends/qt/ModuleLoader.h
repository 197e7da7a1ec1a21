#pragma once
// Loads a module of our own (a Qt plugin: the camera, instala-camera.so, or
// the web access, instala-web.so) the first time it is needed, so that the
// libraries it brings are not loaded at start-up. It is looked for in the
// program's ../lib/instala folder (an installed program) and then next to the
// program (the build tree). A missing or unusable module is not an error for
// the caller: the camera offers a file chooser instead, tiles and documents
// fail to load.

#include "qt/CameraModule.h"
#include "qt/WebModule.h"

#include <QString>
#include <QStringList>

#include <memory>

class QObject;
class QPluginLoader;

namespace instala::desktop {

// The plugin, loaded from the first folder that holds a usable one; the
// untyped part of ModuleLoader.
class PluginLoader {
 public:
  // The folders searched, in order: the program's ../lib/instala, then its own folder.
  static QStringList defaultFolders();

  PluginLoader(QString fileName, QStringList folders);
  ~PluginLoader();
  PluginLoader(const PluginLoader&) = delete;
  PluginLoader& operator=(const PluginLoader&) = delete;

  // The plugin's instance, loaded on the first call only, when it implements
  // the interface `interfaceId` ("a camera module" in messages is its `kind`);
  // null when no folder holds a usable one.
  QObject* instance(const char* interfaceId, const QString& kind);
  bool attempted() const { return attempted_; }
  const QString& loadedFile() const { return loadedFile_; }
  const QString& errorString() const { return error_; }

 private:
  QString fileName_;
  QStringList folders_;
  std::unique_ptr<QPluginLoader> loader_;
  QObject* instance_ = nullptr;
  bool attempted_ = false;
  QString loadedFile_;
  QString error_;
};

template <typename Module>
struct ModuleFile;
template <>
struct ModuleFile<CameraModule> {
  static constexpr const char* name = "instala-camera.so";
  static constexpr const char* kind = "a camera module";
};
template <>
struct ModuleFile<WebModule> {
  static constexpr const char* name = "instala-web.so";
  static constexpr const char* kind = "a web module";
};

template <typename Module>
class ModuleLoader {
 public:
  // The file name the build gives the module.
  static constexpr const char* fileName = ModuleFile<Module>::name;
  static QStringList defaultFolders() { return PluginLoader::defaultFolders(); }

  explicit ModuleLoader(QStringList folders = defaultFolders())
      : plugin_(QString::fromLatin1(fileName), std::move(folders)) {}

  // The module, loaded on the first call only; null when no folder holds a usable one.
  Module* module() {
    return qobject_cast<Module*>(
        plugin_.instance(qobject_interface_iid<Module*>(), QString::fromLatin1(ModuleFile<Module>::kind)));
  }
  bool attempted() const { return plugin_.attempted(); }
  // The file the module came from, or why none could be used.
  const QString& loadedFile() const { return plugin_.loadedFile(); }
  const QString& errorString() const { return plugin_.errorString(); }

 private:
  PluginLoader plugin_;
};

using CameraModuleLoader = ModuleLoader<CameraModule>;
using WebModuleLoader = ModuleLoader<WebModule>;

}  // namespace instala::desktop
