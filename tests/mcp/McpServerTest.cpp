// The MCP server: JSON-RPC framing and errors, dispatch to tools, serving over pipes, and the
// `planora mcp` command's stdout.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTimer>
#include <fcntl.h>
#include <stdexcept>
#include <thread>
#include <unistd.h>

#include "ORV.FMX.h"
#include "ORV.MCP.Server.h"

using namespace Orv;

namespace {

QJsonObject Parse(const QByteArray& line) {
  QJsonParseError err;
  const QJsonDocument d = QJsonDocument::fromJson(line, &err);
  EXPECT_EQ(err.error, QJsonParseError::NoError) << line.left(300).toStdString();
  EXPECT_TRUE(d.isObject()) << line.left(300).toStdString();
  return d.object();
}

QByteArray Request(const QJsonValue& id, const QString& method, const QJsonObject& params = {}) {
  return QJsonDocument(QJsonObject{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}})
      .toJson(QJsonDocument::Compact);
}

int ErrorCode(const QJsonObject& reply) { return reply["error"].toObject()["code"].toInt(); }
QString ErrorText(const QJsonObject& reply) { return reply["error"].toObject()["message"].toString(); }
QString ResultText(const QJsonObject& reply) {
  return reply["result"].toObject()["content"].toArray()[0].toObject()["text"].toString();
}

QJsonObject TextOf(const QString& t) {
  return QJsonObject{{"content", QJsonArray{QJsonObject{{"type", "text"}, {"text", t}}}}};
}

// A server with a few tools of our own: the protocol is tested apart from the drawing tools.
struct TServer {
  Fmx::TPlanoraFMX doc;
  TPLNMCPServer server{&doc};
  TServer() {
    server.RegisterTool("echo", "Echoes", QJsonObject{{"type", "object"}}, [](TPLNBaseLabel*, const QJsonObject& args) {
      QJsonObject r = TextOf(QString::fromUtf8(QJsonDocument(args).toJson(QJsonDocument::Compact)));
      r["structuredContent"] = args;
      r["_meta"] = QJsonObject{{"kept", true}};
      return r;
    });
    server.RegisterTool("boom", "Raises", QJsonObject{{"type", "object"}}, [](TPLNBaseLabel*, const QJsonObject&) -> QJsonObject {
      throw std::runtime_error("boom: the disk is on fire");
    });
    // Runs an event loop of its own, as the map download does.
    server.RegisterTool("slow", "Waits", QJsonObject{{"type", "object"}}, [](TPLNBaseLabel* d, const QJsonObject&) {
      QEventLoop loop;
      QTimer::singleShot(100, &loop, &QEventLoop::quit);
      loop.exec();
      return TextOf(QStringLiteral("slept with %1 items").arg(d->GetItemsCount()));
    });
  }
  QJsonObject Send(const QByteArray& line) { return Parse(server.HandleMessage(line)); }
};

}  // namespace

TEST(McpServer, InitializeNegotiatesTheVersionAndAnnouncesTools) {
  TServer s;
  for (const char* v : {"2025-11-25", "2025-06-18", "2025-03-26", "2024-11-05"}) {
    const QJsonObject r = s.Send(Request(1, "initialize", {{"protocolVersion", v}, {"capabilities", QJsonObject{}}}));
    EXPECT_EQ(r["result"].toObject()["protocolVersion"].toString(), v);
  }
  // A version we do not speak gets our newest, for the client to accept or refuse.
  const QJsonObject r = s.Send(Request("a", "initialize", {{"protocolVersion", "1999-01-01"}}));
  EXPECT_EQ(r["id"].toString(), "a");
  EXPECT_EQ(r["result"].toObject()["protocolVersion"].toString(), "2025-11-25");
  EXPECT_TRUE(r["result"].toObject()["capabilities"].toObject()["tools"].isObject());
  EXPECT_EQ(r["result"].toObject()["serverInfo"].toObject()["name"].toString(), "planora");
  EXPECT_EQ(s.Send(Request(7, "ping"))["result"].toObject(), QJsonObject());
}

TEST(McpServer, MalformedMessagesGetJsonRpcErrorsAndNotificationsNoReply) {
  TServer s;
  QJsonObject r = s.Send("{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":");
  EXPECT_EQ(ErrorCode(r), -32700);
  EXPECT_TRUE(r["id"].isNull());
  EXPECT_EQ(ErrorCode(s.Send("[{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"ping\"}]")), -32600);
  r = s.Send("{\"jsonrpc\":\"1.0\",\"id\":4,\"method\":\"ping\"}");
  EXPECT_EQ(ErrorCode(r), -32600);
  EXPECT_EQ(r["id"].toInt(), 4);
  r = s.Send("{\"jsonrpc\":\"2.0\",\"id\":{\"x\":1},\"method\":\"ping\"}");
  EXPECT_EQ(ErrorCode(r), -32600);
  EXPECT_TRUE(r["id"].isNull());
  EXPECT_EQ(ErrorCode(s.Send("{\"jsonrpc\":\"2.0\",\"id\":5}")), -32600);
  EXPECT_EQ(ErrorCode(s.Send("{\"jsonrpc\":\"2.0\",\"id\":5,\"method\":7}")), -32600);
  r = s.Send(Request(6, "resources/list"));
  EXPECT_EQ(ErrorCode(r), -32601);
  EXPECT_EQ(ErrorText(r), "Method not found: resources/list");
  r = s.Send(Request(8, "tools/call", {{"name", "nope"}}));
  EXPECT_EQ(ErrorCode(r), -32602);
  EXPECT_TRUE(ErrorText(r).startsWith("Unknown tool: nope"));
  EXPECT_EQ(ErrorCode(s.Send(Request(9, "tools/call", {{"name", "echo"}, {"arguments", QJsonArray{1}}}))), -32602);
  EXPECT_EQ(ErrorCode(s.Send(R"({"jsonrpc":"2.0","id":10,"method":"tools/list","params":5})")), -32602);

  // Notifications, replies from the client and blank lines are answered with nothing.
  for (const char* quiet : {R"({"jsonrpc":"2.0","method":"notifications/initialized"})",
                            R"({"jsonrpc":"2.0","method":"notifications/whatever","params":{"x":1}})",
                            R"({"jsonrpc":"2.0","id":11,"result":{}})", "   ", ""})
    EXPECT_TRUE(s.server.HandleMessage(quiet).isEmpty()) << quiet;
}

TEST(McpServer, ToolsListInRegistrationOrderAndCallsPassResultsUnchanged) {
  TServer s;
  s.server.RegisterTool("alpha", "A", QJsonObject{{"type", "object"}}, [](TPLNBaseLabel*, const QJsonObject&) { return TextOf("a"); });
  // Registered again: replaced where it stood.
  s.server.RegisterTool("echo", "Echoes again", QJsonObject{{"type", "object"}},
                        [](TPLNBaseLabel*, const QJsonObject& args) { return TextOf(args["say"].toString()); });
  const QJsonArray tools = s.Send(Request(1, "tools/list"))["result"].toObject()["tools"].toArray();
  QStringList names;
  for (const QJsonValue& t : tools) names << t.toObject()["name"].toString();
  EXPECT_EQ(names, QStringList({"echo", "boom", "slow", "alpha"}));
  EXPECT_EQ(tools[0].toObject()["description"].toString(), "Echoes again");
  EXPECT_EQ(tools[0].toObject()["inputSchema"].toObject()["type"].toString(), "object");

  EXPECT_EQ(ResultText(s.Send(Request(2, "tools/call", {{"name", "echo"}, {"arguments", QJsonObject{{"say", "hi"}}}}))), "hi");
  // Arguments may be left out.
  EXPECT_EQ(ResultText(s.Send(Request(3, "tools/call", {{"name", "echo"}}))), "");

  TServer fresh;
  const QJsonObject result = fresh.Send(Request(4, "tools/call", {{"name", "echo"}, {"arguments", QJsonObject{{"k", 1}}}}))["result"].toObject();
  EXPECT_EQ(result["structuredContent"].toObject(), QJsonObject({{"k", 1}}));
  EXPECT_EQ(result["_meta"].toObject(), QJsonObject({{"kept", true}}));

  // A handler that raises is an error result, and the server goes on.
  const QJsonObject boom = fresh.Send(Request(5, "tools/call", {{"name", "boom"}}))["result"].toObject();
  EXPECT_TRUE(boom["isError"].toBool());
  EXPECT_EQ(boom["content"].toArray()[0].toObject()["text"].toString(), "boom: the disk is on fire");
  EXPECT_EQ(fresh.Send(Request(6, "ping"))["id"].toInt(), 6);
}

namespace {

// Serves `input` through pipes, then the input ends; the reply lines in the order written.
QList<QByteArray> ServeOverPipes(TServer& s, const std::function<void(int)>& writeInput) {
  int in[2], out[2];
  EXPECT_EQ(::pipe(in), 0);
  EXPECT_EQ(::pipe(out), 0);
  // Replies are read as they come so a full pipe never blocks the server.
  QByteArray replies;
  std::thread collector([&] {
    char buf[65536];
    ssize_t n;
    while ((n = ::read(out[0], buf, sizeof buf)) > 0) replies.append(buf, n);
  });
  bool closed = false;
  QObject::connect(&s.server, &TPLNMCPServer::InputClosed, [&] { closed = true; });
  s.server.Serve(in[0], out[1]);
  std::thread writer([&] {
    writeInput(in[1]);
    ::close(in[1]);
  });
  QEventLoop loop;
  QObject::connect(&s.server, &TPLNMCPServer::InputClosed, &loop, &QEventLoop::quit);
  QTimer::singleShot(30000, &loop, &QEventLoop::quit);
  loop.exec();
  writer.join();
  s.server.Stop();
  ::close(out[1]);
  collector.join();
  ::close(in[0]);
  ::close(out[0]);
  EXPECT_TRUE(closed) << "the end of the input was not reported";
  QList<QByteArray> lines = replies.split('\n');
  EXPECT_TRUE(lines.isEmpty() || lines.last().isEmpty()) << "every reply ends with a newline";
  if (!lines.isEmpty()) lines.removeLast();
  return lines;
}

void WriteAll(int fd, const QByteArray& data) {
  const char* p = data.constData();
  qsizetype left = data.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
    if (n <= 0) return;
    p += n;
    left -= n;
  }
}

}  // namespace

TEST(McpServer, ServesLinesInOrderAcrossBrokenInputAndNestedEventLoops) {
  TServer s;
  const QList<QByteArray> lines = ServeOverPipes(s, [](int fd) {
    // Split writes and several messages in one write: framing is by newline only.
    WriteAll(fd, Request(1, "initialize", {{"protocolVersion", "2025-06-18"}}).left(20));
    usleep(20000);
    WriteAll(fd, Request(1, "initialize", {{"protocolVersion", "2025-06-18"}}).mid(20) + "\n");
    WriteAll(fd, "{\"jsonrpc\":\"2.0\",\"method\":\"notifications/initialized\"}\n\nthis is not json\n");
    // The slow call runs an event loop while the next messages arrive; they wait their turn.
    WriteAll(fd, Request(2, "tools/call", {{"name", "slow"}}) + "\r\n" + Request(3, "ping") + "\n" +
                     "{\"jsonrpc\":\"2.0\",\"method\":\"notifications/cancelled\",\"params\":{\"requestId\":2}}\n" +
                     Request(4, "tools/call", {{"name", "echo"}, {"arguments", QJsonObject{{"x", "é ✓"}}}}) + "\n");
    // The last message may end without a newline.
    WriteAll(fd, Request(5, "ping"));
  });
  ASSERT_EQ(lines.size(), 6);
  QList<QJsonValue> ids;
  for (const QByteArray& l : lines) ids << Parse(l)["id"];
  EXPECT_EQ(ids, (QList<QJsonValue>{1, QJsonValue::Null, 2, 3, 4, 5}));
  EXPECT_EQ(ErrorCode(Parse(lines[1])), -32700);
  EXPECT_EQ(ResultText(Parse(lines[2])), "slept with 0 items");
  EXPECT_EQ(Parse(lines[4])["result"].toObject()["structuredContent"].toObject()["x"].toString(), QString::fromUtf8("é ✓"));
}

TEST(McpServer, AnOversizedMessageIsRefusedAndServingGoesOn) {
  TServer s;
  const QList<QByteArray> lines = ServeOverPipes(s, [](int fd) {
    const QByteArray chunk(1 << 20, 'x');
    for (std::size_t sent = 0; sent <= TPLNMCPServer::kMaxMessageBytes; sent += chunk.size()) WriteAll(fd, chunk);
    WriteAll(fd, "\n" + Request(2, "ping") + "\n");
  });
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(ErrorCode(Parse(lines[0])), -32600);
  EXPECT_TRUE(ErrorText(Parse(lines[0])).contains("at most")) << ErrorText(Parse(lines[0])).toStdString();
  EXPECT_EQ(Parse(lines[1])["id"].toInt(), 2);
}

TEST(McpCli, StdoutCarriesOnlyProtocolAndSigtermStillSaves) {
  const QString dir = QStringLiteral(PLANORA_TEST_TMP) + "/cli";
  QDir(dir).removeRecursively();
  QDir().mkpath(dir);
  const QString file = dir + "/agent.eti";

  QProcess p;
  p.setProcessEnvironment([] {
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    return env;
  }());
  p.start(PLANORA_CLI, {"mcp", "--document", file, "--save-on-exit"});
  ASSERT_TRUE(p.waitForStarted());
  p.write(Request(1, "initialize", {{"protocolVersion", "2025-06-18"}}) + "\n");
  p.write("{oops\n");
  p.write(Request(2, "tools/call", {{"name", "add_rectangle"}, {"arguments", QJsonObject{{"x", 1}, {"y", 2}}}}) + "\n");
  p.write(Request(3, "tools/call", {{"name", "add_text"}, {"arguments", QJsonObject{{"text", "hello"}, {"font_size", "big"}}}}) + "\n");
  p.write(Request(4, "tools/call", {{"name", "add_text"}, {"arguments", QJsonObject{{"text", "hello"}}}}) + "\n");
  QByteArray out;
  while (out.count('\n') < 5 && p.waitForReadyRead(20000)) out += p.readAllStandardOutput();
  // Input still open: the drawing must be saved on the signal alone.
  p.terminate();
  ASSERT_TRUE(p.waitForFinished(20000));
  out += p.readAllStandardOutput();
  EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();

  const QList<QByteArray> lines = out.trimmed().split('\n');
  ASSERT_EQ(lines.size(), 5) << out.toStdString();
  for (const QByteArray& l : lines) EXPECT_EQ(Parse(l)["jsonrpc"].toString(), "2.0");
  EXPECT_EQ(ErrorCode(Parse(lines[1])), -32700);
  EXPECT_TRUE(Parse(lines[3])["result"].toObject()["isError"].toBool());

  Fmx::TPlanoraFMX saved;
  ASSERT_TRUE(saved.LoadFromFile(file));
  ASSERT_EQ(saved.GetItemsCount(), 2);
  EXPECT_EQ(saved.GetItem(1)->KindCode(), Kind::Rectangle);
  EXPECT_EQ(saved.GetItem(2)->KindCode(), Kind::Text);

  // A usage mistake is reported on stderr and nothing reaches stdout.
  QProcess bad;
  bad.start(PLANORA_CLI, {"mcp", "--save-on-exit"});
  ASSERT_TRUE(bad.waitForFinished(20000));
  EXPECT_EQ(bad.exitCode(), 2);
  EXPECT_TRUE(bad.readAllStandardOutput().isEmpty());
  EXPECT_TRUE(bad.readAllStandardError().contains("--document"));
}
