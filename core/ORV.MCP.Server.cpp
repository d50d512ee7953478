#include "ORV.MCP.Server.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QMetaObject>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "ORV.AIClient.h"
#include "ORV.Utils.h"

namespace Orv {

namespace {

constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;

QByteArray Compact(const QJsonObject& o) { return QJsonDocument(o).toJson(QJsonDocument::Compact); }

QByteArray ErrorReply(const QJsonValue& id, int code, const QString& message) {
  return Compact(QJsonObject{{QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
                             {QStringLiteral("id"), id},
                             {QStringLiteral("error"), QJsonObject{{QStringLiteral("code"), code},
                                                                   {QStringLiteral("message"), message}}}});
}

QJsonObject ErrorResult(const QString& text) {
  return QJsonObject{
      {QStringLiteral("content"),
       QJsonArray{QJsonObject{{QStringLiteral("type"), QStringLiteral("text")}, {QStringLiteral("text"), text}}}},
      {QStringLiteral("isError"), true}};
}

// Raised inside request handling for a JSON-RPC error reply.
struct TRpcError {
  int Code;
  QString Message;
};

bool IsBlank(const QByteArray& line) {
  for (char c : line)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
  return true;
}

}  // namespace

const QStringList& TPLNMCPServer::ProtocolVersions() {
  static const QStringList versions{QStringLiteral("2025-11-25"), QStringLiteral("2025-06-18"),
                                    QStringLiteral("2025-03-26"), QStringLiteral("2024-11-05"),
                                    QStringLiteral("2024-10-07")};
  return versions;
}

TPLNMCPServer::TPLNMCPServer(TPLNBaseLabel* doc, QObject* parent) : QObject(parent), fDoc(doc) {}

TPLNMCPServer::~TPLNMCPServer() {
  Stop();
  if (fOwnedOutFd >= 0) ::close(fOwnedOutFd);
}

TMCPAIClient& TPLNMCPServer::AIClient() {
  if (!fAIClient) fAIClient = std::make_unique<TMCPAIClient>(TMCPAIClient::LoadConfig());
  return *fAIClient;
}

void TPLNMCPServer::RegisterTool(const QString& name, const QString& description, const QJsonObject& inputSchema,
                                 TPLNMCPToolHandler handler) {
  TTool tool{name, description, inputSchema, std::move(handler)};
  if (auto it = fIndex.find(name); it != fIndex.end()) {
    fTools[*it] = std::move(tool);
  } else {
    fIndex.insert(name, fTools.size());
    fTools.push_back(std::move(tool));
  }
  fToolListValid = false;
}

QStringList TPLNMCPServer::ToolNames() const {
  QStringList names;
  for (const TTool& t : fTools) names << t.Name;
  return names;
}

QJsonObject TPLNMCPServer::CallTool(const QString& name, const QJsonObject& args) {
  auto it = fIndex.constFind(name);
  if (it == fIndex.constEnd()) return ErrorResult(QStringLiteral("Unknown tool: %1").arg(Utils::QuoteForMessage(name, 80)));
  // Copied: a handler may register tools, which moves the table.
  const TPLNMCPToolHandler handler = fTools[*it].Handler;
  try {
    return handler(fDoc, args);
  } catch (const std::exception& e) {
    return ErrorResult(QString::fromUtf8(e.what()));
  } catch (...) {
    return ErrorResult(QStringLiteral("Tool %1 failed with an unknown error").arg(name));
  }
}

const QJsonArray& TPLNMCPServer::ToolList() {
  if (!fToolListValid) {
    fToolList = QJsonArray();
    for (const TTool& t : fTools)
      fToolList.append(QJsonObject{{QStringLiteral("name"), t.Name},
                                   {QStringLiteral("description"), t.Description},
                                   {QStringLiteral("inputSchema"), t.Schema}});
    fToolListValid = true;
  }
  return fToolList;
}

QJsonObject TPLNMCPServer::Initialize(const QJsonObject& params) const {
  const QString asked = params.value(QStringLiteral("protocolVersion")).toString();
  const QString version = ProtocolVersions().contains(asked) ? asked : ProtocolVersions().first();
  return QJsonObject{
      {QStringLiteral("protocolVersion"), version},
      {QStringLiteral("capabilities"),
       QJsonObject{{QStringLiteral("tools"), QJsonObject{{QStringLiteral("listChanged"), false}}}}},
      {QStringLiteral("serverInfo"),
       QJsonObject{{QStringLiteral("name"), ServerName}, {QStringLiteral("version"), ServerVersion}}}};
}

QJsonObject TPLNMCPServer::HandleRequest(const QString& method, const QJsonObject& params) {
  if (method == QLatin1String("initialize")) return Initialize(params);
  if (method == QLatin1String("ping")) return {};
  if (method == QLatin1String("tools/list")) return QJsonObject{{QStringLiteral("tools"), ToolList()}};
  if (method == QLatin1String("tools/call")) {
    const QJsonValue name = params.value(QStringLiteral("name"));
    if (!name.isString() || name.toString().isEmpty())
      throw TRpcError{kInvalidParams, QStringLiteral("Invalid params: \"name\" must be the name of a tool (see tools/list)")};
    if (!HasTool(name.toString()))
      throw TRpcError{kInvalidParams, QStringLiteral("Unknown tool: %1 (see tools/list)").arg(Utils::QuoteForMessage(name.toString(), 80))};
    const QJsonValue args = params.value(QStringLiteral("arguments"));
    if (!args.isUndefined() && !args.isNull() && !args.isObject())
      throw TRpcError{kInvalidParams, QStringLiteral("Invalid params: \"arguments\" must be an object of named arguments")};
    return CallTool(name.toString(), args.toObject());
  }
  throw TRpcError{kMethodNotFound, QStringLiteral("Method not found: %1").arg(Utils::QuoteForMessage(method, 80))};
}

QByteArray TPLNMCPServer::HandleMessage(const QByteArray& line) {
  if (IsBlank(line)) return {};
  QJsonParseError perr;
  const QJsonDocument doc = QJsonDocument::fromJson(line, &perr);
  if (perr.error != QJsonParseError::NoError)
    return ErrorReply(QJsonValue::Null, kParseError,
                      QStringLiteral("Parse error: %1 at offset %2; send one JSON-RPC message per line")
                          .arg(perr.errorString())
                          .arg(perr.offset));
  if (doc.isArray())
    return ErrorReply(QJsonValue::Null, kInvalidRequest,
                      QStringLiteral("Invalid Request: batches are not supported; send one message per line"));
  const QJsonObject msg = doc.object();
  const bool hasId = msg.contains(QStringLiteral("id"));
  const QJsonValue id = msg.value(QStringLiteral("id"));
  if (hasId && !id.isString() && !id.isDouble())
    return ErrorReply(QJsonValue::Null, kInvalidRequest, QStringLiteral("Invalid Request: \"id\" must be a string or a number"));
  if (msg.value(QStringLiteral("jsonrpc")).toString() != QLatin1String("2.0"))
    return ErrorReply(hasId ? id : QJsonValue::Null, kInvalidRequest,
                      QStringLiteral("Invalid Request: \"jsonrpc\" must be \"2.0\""));
  const QJsonValue method = msg.value(QStringLiteral("method"));
  if (method.isUndefined()) {
    // A reply to a request of ours: we send none, so there is nothing to match it with.
    if (msg.contains(QStringLiteral("result")) || msg.contains(QStringLiteral("error"))) return {};
    return ErrorReply(hasId ? id : QJsonValue::Null, kInvalidRequest, QStringLiteral("Invalid Request: \"method\" is missing"));
  }
  if (!method.isString())
    return ErrorReply(hasId ? id : QJsonValue::Null, kInvalidRequest, QStringLiteral("Invalid Request: \"method\" must be a string"));
  // Notifications (initialized, cancelled, progress...) need no answer and change nothing here.
  if (!hasId) return {};
  const QJsonValue params = msg.value(QStringLiteral("params"));
  if (!params.isUndefined() && !params.isNull() && !params.isObject())
    return ErrorReply(id, kInvalidParams, QStringLiteral("Invalid params: \"params\" must be an object"));
  try {
    const QJsonObject result = HandleRequest(method.toString(), params.toObject());
    return Compact(QJsonObject{{QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
                               {QStringLiteral("id"), id},
                               {QStringLiteral("result"), result}});
  } catch (const TRpcError& e) {
    return ErrorReply(id, e.Code, e.Message);
  }
}

// ---------------------------------------------------------------- transport

void TPLNMCPServer::Serve(int inFd, int outFd) {
  Stop();
  // A client that goes away must not kill us in the middle of a save.
  std::signal(SIGPIPE, SIG_IGN);
  fOutFd = outFd;
  if (::pipe(fWake) != 0) throw std::runtime_error(std::strerror(errno));
  const int wake = fWake[0];
  fReader = std::thread([this, inFd, wake] { ReadLoop(inFd, wake); });
}

void TPLNMCPServer::ServeStdio() {
  std::fflush(stdout);
  const int proto = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
  if (proto < 0) throw std::runtime_error(std::strerror(errno));
  ::dup2(STDERR_FILENO, STDOUT_FILENO);
  if (fOwnedOutFd >= 0) ::close(fOwnedOutFd);
  fOwnedOutFd = proto;
  Serve(STDIN_FILENO, proto);
}

void TPLNMCPServer::Stop() {
  if (fReader.joinable()) {
    const char c = 1;
    while (::write(fWake[1], &c, 1) < 0 && errno == EINTR) {
    }
    fReader.join();
  }
  for (int& fd : fWake) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
}

void TPLNMCPServer::ReadLoop(int inFd, int wakeFd) {
  QByteArray line;
  bool tooLong = false;
  std::vector<char> buf(1 << 16);
  pollfd fds[2] = {{inFd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
  for (;;) {
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[1].revents != 0) return;  // stopped: the owner no longer listens
    if (fds[0].revents == 0) continue;
    const ssize_t n = ::read(inFd, buf.data(), buf.size());
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) break;
    const char* p = buf.data();
    const char* end = p + n;
    while (p < end) {
      const char* nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
      const char* stop = nl ? nl : end;
      if (!tooLong) {
        if (static_cast<std::size_t>(line.size()) + static_cast<std::size_t>(stop - p) > kMaxMessageBytes) {
          // The rest of this line is skipped as it arrives, never held.
          tooLong = true;
          line = QByteArray();
        } else {
          line.append(p, stop - p);
        }
      }
      if (!nl) break;
      if (tooLong) Push({TInbound::TooLong, {}});
      else if (!IsBlank(line)) Push({TInbound::Line, line});
      line.clear();
      tooLong = false;
      p = nl + 1;
    }
  }
  // The last line may end without a newline.
  if (tooLong) Push({TInbound::TooLong, {}});
  else if (!IsBlank(line)) Push({TInbound::Line, line});
  Push({TInbound::End, {}});
}

void TPLNMCPServer::Push(TInbound&& in) {
  {
    std::lock_guard<std::mutex> lock(fLock);
    fQueue.push_back(std::move(in));
  }
  if (!fDrainPosted.exchange(true)) QMetaObject::invokeMethod(this, &TPLNMCPServer::Drain, Qt::QueuedConnection);
}

void TPLNMCPServer::Drain() {
  fDrainPosted = false;
  // A handler that runs an event loop (a map download) brings us back here: the messages behind
  // it wait, so calls never overlap and replies keep their order.
  if (fBusy) return;
  fBusy = true;
  for (;;) {
    TInbound in;
    {
      std::lock_guard<std::mutex> lock(fLock);
      if (fQueue.empty()) break;
      in = std::move(fQueue.front());
      fQueue.pop_front();
    }
    if (in.What == TInbound::End) {
      fBusy = false;
      emit InputClosed();
      return;
    }
    QByteArray reply;
    if (in.What == TInbound::TooLong) {
      reply = ErrorReply(QJsonValue::Null, kInvalidRequest,
                         QStringLiteral("Invalid Request: a message may hold at most %1 bytes; send less data per call")
                             .arg(kMaxMessageBytes));
    } else {
      try {
        reply = HandleMessage(in.Data);
      } catch (const std::exception& e) {
        reply = ErrorReply(QJsonValue::Null, -32603, QStringLiteral("Internal error: %1").arg(QString::fromUtf8(e.what())));
      }
    }
    if (!reply.isEmpty()) Write(reply);
  }
  fBusy = false;
}

void TPLNMCPServer::Write(const QByteArray& line) {
  if (fOutFd < 0) return;
  QByteArray out = line;
  out.append('\n');
  const char* p = out.constData();
  std::size_t left = static_cast<std::size_t>(out.size());
  while (left > 0) {
    const ssize_t n = ::write(fOutFd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      std::fprintf(stderr, "planora mcp: cannot write a reply: %s\n", std::strerror(errno));
      return;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
}

}  // namespace Orv
