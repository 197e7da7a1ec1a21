#pragma once
// Raster map tiles in the OpenStreetMap scheme ({z}/{x}/{y}), fetched from the
// tile server of the bundle's Info.plist ("InstalaTileURLTemplate") through
// the web module and kept in memory. The application's own request
// layer is not used here on purpose: it shows the loading overlay for every
// request and decodes JSON, while tiles are silent background images that
// only Qt draws. A tile that failed is not asked for again.

#include "qt/ModuleLoader.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>

namespace instala::desktop {

class TileCache : public QObject {
  Q_OBJECT

 public:
  // An empty template means there is no tile server: every tile is missing.
  // The web module is loaded with the first tile asked for.
  TileCache(QString urlTemplate, WebModuleLoader& web, QObject* parent = nullptr);
  // Tiles still loading are cancelled.
  ~TileCache() override;

  // The bundle's template, or empty when the key is missing.
  static QString templateFromBundle();

  // The tile when it has arrived; a null image while loading or when it failed.
  // Asking for a tile that is not here starts loading it.
  QImage tile(int zoom, int x, int y);
  enum class State { missing, loading, loaded, failed };
  State state(int zoom, int x, int y) const;
  QString urlFor(int zoom, int x, int y) const;
  const QString& urlTemplate() const { return template_; }

 signals:
  void tileArrived();

 private:
  static QString key(int zoom, int x, int y);

  QString template_;
  WebModuleLoader& web_;
  QHash<QString, QImage> tiles_;
  QHash<QString, quint64> loading_;  // the web module's exchange of each tile on its way
  QSet<QString> failed_;
};

}  // namespace instala::desktop
