#include "qt/TileCache.h"

#include "platform/Bundle.h"


namespace instala::desktop {
namespace {
// Tiles are small; this is plenty for a phone-sized window and keeps memory flat.
constexpr int maximumTiles = 256;
}  // namespace

TileCache::TileCache(QString urlTemplate, WebModuleLoader& web, QObject* parent)
    : QObject(parent), template_(std::move(urlTemplate)), web_(web) {}

TileCache::~TileCache() {
  if (loading_.isEmpty()) return;
  if (WebModule* web = web_.module()) {
    for (const quint64 exchange : std::as_const(loading_)) web->cancel(exchange);
  }
}

QString TileCache::templateFromBundle() {
  auto value = platform::Bundle::main().infoString("InstalaTileURLTemplate");
  return value ? QString::fromStdString(*value) : QString();
}

QString TileCache::key(int zoom, int x, int y) { return QStringLiteral("%1/%2/%3").arg(zoom).arg(x).arg(y); }

QString TileCache::urlFor(int zoom, int x, int y) const {
  QString url = template_;
  url.replace(QStringLiteral("{z}"), QString::number(zoom));
  url.replace(QStringLiteral("{x}"), QString::number(x));
  url.replace(QStringLiteral("{y}"), QString::number(y));
  return url;
}

TileCache::State TileCache::state(int zoom, int x, int y) const {
  const QString k = key(zoom, x, y);
  if (tiles_.contains(k)) return State::loaded;
  if (loading_.contains(k)) return State::loading;
  if (failed_.contains(k) || template_.isEmpty()) return State::failed;
  return State::missing;
}

QImage TileCache::tile(int zoom, int x, int y) {
  const QString k = key(zoom, x, y);
  if (auto found = tiles_.constFind(k); found != tiles_.constEnd()) return *found;
  if (template_.isEmpty() || loading_.contains(k) || failed_.contains(k)) return {};
  const QUrl url(urlFor(zoom, x, y));
  if (!url.isValid() || url.scheme().isEmpty()) {
    failed_.insert(k);
    return {};
  }
  WebModule* web = web_.module();
  if (!web) {
    failed_.insert(k);
    return {};
  }
  WebRequest request;
  request.url = url;
  // Tile servers ask every client to name itself.
  request.headers = {{"User-Agent", "Instala/1.0 (desktop)"}};
  request.timeoutMilliseconds = 15000;
  loading_.insert(k, web->get(request, [this, k](const WebAnswer& answer) {
    loading_.remove(k);
    QImage image;
    if (answer.error.isEmpty() && answer.status == 200) image.loadFromData(answer.body);
    if (image.isNull()) {
      failed_.insert(k);
    } else {
      if (tiles_.size() >= maximumTiles) tiles_.clear();
      tiles_.insert(k, image);
    }
    emit tileArrived();
  }));
  return {};
}

}  // namespace instala::desktop
