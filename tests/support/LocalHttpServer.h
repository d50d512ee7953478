#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for tests that fetch tiles or geocode: it answers on a
// thread of its own, so a test may block in another process (the CLI) while it serves.

#include <QByteArray>
#include <QMutex>
#include <QMutexLocker>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QUrl>
#include <functional>
#include <memory>

namespace PlanoraTest {

struct HttpAnswer {
  int Status = 200;
  QByteArray ContentType = "image/png";
  QByteArray Body;
  bool Silent = false;  // never answer (a server that hangs)
};

struct HttpRequest {
  QUrl Url;  // path and query as asked
  QByteArray UserAgent;
};

class LocalHttpServer {
 public:
  using Handler = std::function<HttpAnswer(const HttpRequest&)>;

  explicit LocalHttpServer(Handler handler) : fHandler(std::move(handler)) {
    fThread.start();
    fServer = new QTcpServer;
    fServer->moveToThread(&fThread);
    QMetaObject::invokeMethod(
        fServer,
        [this] {
          QObject::connect(fServer, &QTcpServer::newConnection, fServer, [this] {
            while (QTcpSocket* s = fServer->nextPendingConnection()) Serve(s);
          });
          fServer->listen(QHostAddress::LocalHost, 0);
          fPort = fServer->serverPort();
        },
        Qt::BlockingQueuedConnection);
  }
  ~LocalHttpServer() {
    QMetaObject::invokeMethod(fServer, [this] { delete fServer; }, Qt::BlockingQueuedConnection);
    fThread.quit();
    fThread.wait();
  }

  QString Base() const { return QStringLiteral("http://127.0.0.1:%1").arg(fPort); }
  int Requests() const {
    QMutexLocker lock(&fLock);
    return fRequests;
  }
  HttpRequest Last() const {
    QMutexLocker lock(&fLock);
    return fLast;
  }
  void SetHandler(Handler h) {
    QMutexLocker lock(&fLock);
    fHandler = std::move(h);
  }

 private:
  void Serve(QTcpSocket* s) {
    auto buffer = std::make_shared<QByteArray>();
    QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
    QObject::connect(s, &QTcpSocket::readyRead, s, [this, s, buffer] {
      buffer->append(s->readAll());
      // Requests are GETs without bodies: one ends with the empty line.
      while (true) {
        const int end = buffer->indexOf("\r\n\r\n");
        if (end < 0) return;
        const QByteArray head = buffer->left(end);
        buffer->remove(0, end + 4);
        HttpRequest req;
        const QList<QByteArray> lines = head.split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        req.Url = QUrl(QString::fromLatin1(first.value(1)));
        for (const QByteArray& l : lines)
          if (l.toLower().startsWith("user-agent:")) req.UserAgent = l.mid(11).trimmed();
        Handler h;
        {
          QMutexLocker lock(&fLock);
          ++fRequests;
          fLast = req;
          h = fHandler;
        }
        const HttpAnswer a = h(req);
        if (a.Silent) continue;
        QByteArray out = "HTTP/1.1 " + QByteArray::number(a.Status) + " X\r\n";
        if (!a.ContentType.isEmpty()) out += "Content-Type: " + a.ContentType + "\r\n";
        out += "Content-Length: " + QByteArray::number(a.Body.size()) + "\r\nConnection: keep-alive\r\n\r\n";
        out += a.Body;
        s->write(out);
      }
    });
  }

  Handler fHandler;
  QThread fThread;
  QTcpServer* fServer = nullptr;
  quint16 fPort = 0;
  mutable QMutex fLock;
  int fRequests = 0;
  HttpRequest fLast;
};

}  // namespace PlanoraTest
