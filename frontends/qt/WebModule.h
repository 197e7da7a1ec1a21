#pragma once
// Web pages and map tiles over HTTP, built in a module of its own (instala-web,
// a Qt plugin) so that Qt Network and the libraries it brings (Kerberos, proxy
// discovery) are loaded with the first map tile or document instead of at
// start-up. The program and the module share only this interface; without the
// module, tiles and documents fail to load as they would without a network.

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QtPlugin>

#include <functional>
#include <utility>
#include <vector>

namespace instala::desktop {

struct WebRequest {
  QUrl url;
  std::vector<std::pair<QByteArray, QByteArray>> headers;
  int timeoutMilliseconds = 60000;
};

// Redirects are followed unless they lead from https to http.
struct WebAnswer {
  QUrl url;             // where the answer came from, after redirects
  int status = 0;       // 0 when no answer came
  QString contentType;  // as the server sent it
  QByteArray body;
  QString error;  // empty unless the exchange failed (no answer, or an HTTP error status)
};

class WebModule {
 public:
  virtual ~WebModule() = default;

  // Starts a GET. `done` runs once, on the Qt thread, unless cancelled first.
  // The number names the exchange for cancel().
  virtual quint64 get(const WebRequest& request, std::function<void(const WebAnswer&)> done) = 0;
  // Ends an exchange under way without calling its `done`; an ended one is left alone.
  virtual void cancel(quint64 exchange) = 0;
};

}  // namespace instala::desktop

#define InstalaWebModule_iid "mx.instala.desktop.WebModule/1"
Q_DECLARE_INTERFACE(instala::desktop::WebModule, InstalaWebModule_iid)
