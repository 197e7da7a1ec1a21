#pragma once
// A tiny HTTP server on 127.0.0.1 for the Qt tests: fixed answers by path,
// every request's path recorded. One request per connection. While holding,
// requests are read (bodies included) but answered only on release().

#include <QByteArray>
#include <QHash>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QPointer>

#include <utility>
#include <vector>

namespace instala::testing {

class LoopbackHttpServer : public QObject {
 public:
  struct Answer {
    int status = 200;
    QByteArray contentType;
    QByteArray body;
  };

  LoopbackHttpServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      }
    });
  }

  QString baseURL() const { return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort()); }
  void route(const QString& path, Answer answer) { answers_.insert(path, std::move(answer)); }
  void hold() { holding_ = true; }
  void release() {
    holding_ = false;
    const auto held = held_;
    held_.clear();
    for (const auto& [socket, path] : held) {
      if (socket) respond(socket, path);
    }
  }
  const QStringList& requested() const { return requested_; }

 private:
  void answer(QTcpSocket* socket) {
    QByteArray& buffer = pending_[socket];
    buffer += socket->readAll();
    if (!buffer.contains("\r\n\r\n")) return;
    const QList<QByteArray> requestLine = buffer.left(buffer.indexOf("\r\n")).split(' ');
    pending_.remove(socket);
    const QString path = requestLine.size() > 1 ? QString::fromUtf8(requestLine[1]) : QString();
    requested_ << path;
    if (holding_) {
      // Keep reading what comes (the body) without answering.
      disconnect(socket, &QTcpSocket::readyRead, socket, nullptr);
      connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->readAll(); });
      held_.push_back({socket, path});
      return;
    }
    respond(socket, path);
  }

  void respond(QTcpSocket* socket, const QString& path) {
    const Answer found = answers_.value(path, Answer{404, "text/plain", "no such path"});
    QByteArray response = "HTTP/1.1 " + QByteArray::number(found.status) + " X\r\n";
    response += "Content-Type: " + found.contentType + "\r\n";
    response += "Content-Length: " + QByteArray::number(found.body.size()) + "\r\n";
    response += "Connection: close\r\n\r\n" + found.body;
    socket->write(response);
    socket->disconnectFromHost();
  }

  QTcpServer server_;
  QHash<QString, Answer> answers_;
  QHash<QTcpSocket*, QByteArray> pending_;
  QStringList requested_;
  bool holding_ = false;
  std::vector<std::pair<QPointer<QTcpSocket>, QString>> held_;
};

}  // namespace instala::testing
