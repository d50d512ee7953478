#pragma once
// The Model Context Protocol server: JSON-RPC 2.0, one compact message per line, over a pair of
// file descriptors (stdin and stdout for `planora mcp`). Messages are read on a thread of their
// own and handled one after the other on the thread that owns the server, the document's thread,
// so views that observe the document see every change a tool makes.

#include <QByteArray>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace Orv {

class TPLNBaseLabel;
class TMCPAIClient;

// A tool's handler: the document and the call's arguments in, a tool result out
// ({"content": [...]}, with "isError": true on failure). What it raises becomes an error result.
using TPLNMCPToolHandler = std::function<QJsonObject(TPLNBaseLabel* doc, const QJsonObject& args)>;

class TPLNMCPServer : public QObject {
  Q_OBJECT

 public:
  // Protocol versions we speak, newest first; a client asking for another gets the newest.
  static const QStringList& ProtocolVersions();
  // A line longer than this is refused unread (its bytes are skipped up to the next newline).
  static constexpr std::size_t kMaxMessageBytes = 64u << 20;

  explicit TPLNMCPServer(TPLNBaseLabel* doc, QObject* parent = nullptr);
  ~TPLNMCPServer() override;

  TPLNBaseLabel* Document() const { return fDoc; }
  QString ServerName = QStringLiteral("planora");
  QString ServerVersion = QStringLiteral("0.1.0");

  // Adds a tool; tools/list gives them in the order they were registered. A second tool of the
  // same name replaces the first in place.
  void RegisterTool(const QString& name, const QString& description, const QJsonObject& inputSchema,
                    TPLNMCPToolHandler handler);
  int ToolCount() const { return static_cast<int>(fTools.size()); }
  // The AI provider the tools may ask (images to symbols), configured from the environment and
  // the settings file when first asked for.
  TMCPAIClient& AIClient();
  QStringList ToolNames() const;
  bool HasTool(const QString& name) const { return fIndex.contains(name); }
  // Runs a tool as tools/call does: a handler that raises gives an error result.
  QJsonObject CallTool(const QString& name, const QJsonObject& args);

  // One message (a line without its newline) in; the reply line out, without a newline, or
  // empty for notifications and for replies the client sends us.
  QByteArray HandleMessage(const QByteArray& line);

  // Serves the protocol: reads messages from inFd on a thread of its own, handles each on this
  // object's thread in the order they came, and writes the replies to outFd. Returns at once.
  // InputClosed follows the last message when the input ends. The descriptors stay open.
  void Serve(int inFd, int outFd);
  // Serve on the process's stdin and stdout. From then on descriptor 1 is the standard error,
  // so a stray print can never corrupt the protocol; the protocol keeps a copy of the old one.
  void ServeStdio();
  // Stops reading (messages already read are still handled). Waits for the reader thread.
  void Stop();
  bool IsServing() const { return fReader.joinable(); }

 signals:
  void InputClosed();

 private:
  struct TTool {
    QString Name;
    QString Description;
    QJsonObject Schema;
    TPLNMCPToolHandler Handler;
  };
  // What the reader hands over: a line, a line that was too long, or the end of the input.
  struct TInbound {
    enum Kind { Line, TooLong, End } What = Line;
    QByteArray Data;
  };

  QJsonObject HandleRequest(const QString& method, const QJsonObject& params);
  QJsonObject Initialize(const QJsonObject& params) const;
  const QJsonArray& ToolList();
  void ReadLoop(int inFd, int wakeFd);
  void Push(TInbound&& in);
  void Drain();
  void Write(const QByteArray& line);

  TPLNBaseLabel* fDoc;
  std::unique_ptr<TMCPAIClient> fAIClient;
  std::vector<TTool> fTools;
  QHash<QString, std::size_t> fIndex;
  QJsonArray fToolList;
  bool fToolListValid = false;

  std::thread fReader;
  int fWake[2] = {-1, -1};  // tells the reader to stop
  int fOutFd = -1;
  int fOwnedOutFd = -1;  // the copy of stdout that ServeStdio keeps for the protocol
  std::mutex fLock;
  std::deque<TInbound> fQueue;
  std::atomic<bool> fDrainPosted{false};
  bool fBusy = false;  // a handler runs (perhaps inside a nested event loop): calls wait their turn
};

}  // namespace Orv
