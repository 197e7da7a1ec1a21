#pragma once
// The web module's entry point: WebModule over one QNetworkAccessManager.

#include "qt/WebModule.h"

#include <QHash>
#include <QObject>
#include <QPointer>

class QNetworkAccessManager;
class QNetworkReply;

namespace instala::desktop {

class WebAccess : public QObject, public WebModule {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID InstalaWebModule_iid)
  Q_INTERFACES(instala::desktop::WebModule)

 public:
  quint64 get(const WebRequest& request, std::function<void(const WebAnswer&)> done) override;
  void cancel(quint64 exchange) override;

 private:
  // Made with the first request, as a child of the application, so that it
  // goes before Qt does (the module's own instance lives until the very end).
  QPointer<QNetworkAccessManager> network_;
  QHash<quint64, QNetworkReply*> running_;
  quint64 lastExchange_ = 0;
};

}  // namespace instala::desktop
