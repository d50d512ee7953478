// A drawing with the default tool set, and calls that must succeed or be refused.
#pragma once

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "ORV.FMX.h"
#include "ORV.MCP.FMX.Tools.h"

namespace PlanoraTest {

struct TTools {
  Orv::Fmx::TPlanoraFMX doc;
  Orv::TPLNMCPServer server{&doc};
  TTools() { ORVMCPRegisterDefaultTools(&server); }

  QJsonObject Call(const QString& tool, const QJsonObject& args = {}) { return server.CallTool(tool, args); }
  // The text of a call that must succeed.
  QString Ok(const QString& tool, const QJsonObject& args = {}) {
    const QJsonObject r = Call(tool, args);
    EXPECT_FALSE(r["isError"].toBool()) << tool.toStdString() << ": " << Text(r).toStdString();
    return Text(r);
  }
  // The text of a call that must fail, leaving the drawing and its history exactly as they were.
  QString Refused(const QString& tool, const QJsonObject& args) {
    const QByteArray before = doc.ToJsonText();
    const int steps = doc.UndoCount();
    const QJsonObject r = Call(tool, args);
    EXPECT_TRUE(r["isError"].toBool()) << tool.toStdString() << " accepted "
                                       << QJsonDocument(args).toJson(QJsonDocument::Compact).left(200).toStdString();
    EXPECT_EQ(doc.ToJsonText(), before) << tool.toStdString() << ": a refused call changed the drawing";
    EXPECT_EQ(doc.UndoCount(), steps) << tool.toStdString() << ": a refused call left an undo step";
    return Text(r);
  }
  static QString Text(const QJsonObject& r) { return r["content"].toArray()[0].toObject()["text"].toString(); }
  Orv::TPLNBaseItem* Last() const { return doc.GetItem(doc.GetItemsCount()); }
  // A tool as tools/list gives it to a client (empty when it is not listed).
  QJsonObject Listed(const QString& tool) {
    const QByteArray reply = server.HandleMessage(R"({"jsonrpc":"2.0","id":1,"method":"tools/list"})");
    for (const QJsonValue& t : QJsonDocument::fromJson(reply).object()["result"].toObject()["tools"].toArray())
      if (t.toObject()["name"].toString() == tool) return t.toObject();
    return {};
  }
};

}  // namespace PlanoraTest
