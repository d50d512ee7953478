#pragma once
// A real `planora mcp` process spoken to over stdio, one request at a time.

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <stdexcept>

namespace PlanoraBench {

class TMcpClient {
 public:
  // `args` follow "mcp" on the command line (e.g. --document FILE).
  explicit TMcpClient(const QStringList& args = {}) {
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    fProcess.setProcessEnvironment(env);
    fProcess.start(QCoreApplication::applicationDirPath() + "/../bin/planora", QStringList{"mcp"} + args);
    if (!fProcess.waitForStarted()) throw std::runtime_error("planora mcp did not start");
    Request("initialize", {{"protocolVersion", "2025-06-18"}});
  }
  ~TMcpClient() {
    fProcess.closeWriteChannel();
    fProcess.waitForFinished(10000);
  }
  TMcpClient(const TMcpClient&) = delete;
  TMcpClient& operator=(const TMcpClient&) = delete;

  QByteArray Request(const char* method, const QJsonObject& params) {
    const QJsonObject msg{{"jsonrpc", "2.0"}, {"id", ++fId}, {"method", method}, {"params", params}};
    fProcess.write(QJsonDocument(msg).toJson(QJsonDocument::Compact) + '\n');
    while (!fBuffer.contains('\n')) {
      // A large drawing takes a while to open before the first answer.
      if (!fProcess.waitForReadyRead(60000)) throw std::runtime_error("planora mcp stopped answering");
      fBuffer += fProcess.readAllStandardOutput();
    }
    const qsizetype nl = fBuffer.indexOf('\n');
    QByteArray line = fBuffer.left(nl);
    fBuffer.remove(0, nl + 1);
    return line;
  }
  // A tool call that must succeed.
  QByteArray Call(const char* tool, const QJsonObject& args) {
    QByteArray reply = Request("tools/call", {{"name", tool}, {"arguments", args}});
    if (reply.contains("\"isError\":true")) throw std::runtime_error(reply.toStdString());
    return reply;
  }

 private:
  QProcess fProcess;
  QByteArray fBuffer;
  int fId = 0;
};

}  // namespace PlanoraBench
