#pragma once
// Raster map tiles in the OpenStreetMap scheme ({z}/{x}/{y}), fetched from the
// tile server of the bundle's Info.plist ("InstalaTileURLTemplate") with
// QNetworkAccessManager and kept in memory. The application's own request
// layer is not used here on purpose: it shows the loading overlay for every
// request and decodes JSON, while tiles are silent background images that
// only Qt draws. A tile that failed is not asked for again.

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>

class QNetworkAccessManager;

namespace instala::desktop {

class TileCache : public QObject {
  Q_OBJECT

 public:
  // An empty template means there is no tile server: every tile is missing.
  explicit TileCache(QString urlTemplate, QObject* parent = nullptr);

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
  QNetworkAccessManager* network_ = nullptr;
  QHash<QString, QImage> tiles_;
  QSet<QString> loading_;
  QSet<QString> failed_;
};

}  // namespace instala::desktop
