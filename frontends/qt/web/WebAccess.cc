#include "qt/web/WebAccess.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace instala::desktop {

quint64 WebAccess::get(const WebRequest& request, std::function<void(const WebAnswer&)> done) {
  QNetworkRequest networkRequest(request.url);
  networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
  networkRequest.setTransferTimeout(request.timeoutMilliseconds);
  for (const auto& [name, value] : request.headers) networkRequest.setRawHeader(name, value);
  if (!network_) network_ = new QNetworkAccessManager(QCoreApplication::instance());
  QNetworkReply* reply = network_->get(networkRequest);
  const quint64 exchange = ++lastExchange_;
  running_.insert(exchange, reply);
  connect(reply, &QNetworkReply::finished, this, [this, reply, exchange, done = std::move(done)] {
    reply->deleteLater();
    if (running_.take(exchange) != reply) return;  // cancelled
    WebAnswer answer;
    answer.url = reply->url();
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toString();
    if (reply->error() != QNetworkReply::NoError) answer.error = reply->errorString();
    answer.body = reply->readAll();
    done(answer);
  });
  return exchange;
}

void WebAccess::cancel(quint64 exchange) {
  if (QNetworkReply* reply = running_.take(exchange)) reply->abort();
}

}  // namespace instala::desktop
