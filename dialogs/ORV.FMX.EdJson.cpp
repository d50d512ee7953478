#include "ORV.FMX.EdJson.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ORV.FMX.DialogServices.h"
#include "ORV.Msg.h"

namespace Orv::Fmx {

namespace {
QJsonDocument Parse(const QString& text, bool* ok) {
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &error);
  *ok = !text.trimmed().isEmpty() && error.error == QJsonParseError::NoError && doc.isObject();
  return doc;
}

// Indented, every line ending in CR LF.
QString Indented(const QJsonDocument& doc) {
  QString s = QString::fromUtf8(doc.toJson(QJsonDocument::Indented));
  while (s.endsWith(QLatin1Char('\n'))) s.chop(1);
  s.replace(QLatin1String("\n"), QLatin1String("\r\n"));
  return s;
}
}  // namespace

TfJsonData::TfJsonData(QWidget* parent, std::shared_ptr<TDialogServices> services)
    : QDialog(parent), fServices(services ? std::move(services) : TDialogServices::Default()) {
  setObjectName(QStringLiteral("fJsonData"));
  auto* root = new QVBoxLayout(this);
  fMemo = new QPlainTextEdit;
  fMemo->setObjectName(QStringLiteral("Memo"));
  fMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
  QFont mono(QStringLiteral("monospace"));
  mono.setStyleHint(QFont::Monospace);
  fMemo->setFont(mono);
  root->addWidget(fMemo);
  auto* row = new QHBoxLayout;
  const auto button = [&](const char* name, auto slot) {
    auto* b = new QPushButton;
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, slot);
    row->addWidget(b);
    return b;
  };
  fLoad = button("btnLoad", [this] { Load(); });
  fFormat = button("btnFormat", [this] { Format(); });
  row->addStretch();
  fOk = button("btnOk", [this] { accept(); });
  fCancel = button("btnCancel", [this] { reject(); });
  root->addLayout(row);
  resize(520, 420);
}

bool TfJsonData::IsValid(const QString& text) {
  bool ok = false;
  Parse(text, &ok);
  return ok;
}

QString TfJsonData::Formatted(const QString& text) {
  bool ok = false;
  const QJsonDocument doc = Parse(text, &ok);
  return ok ? Indented(doc) : QString();
}

void TfJsonData::IniDialog(const QString& json) {
  setWindowTitle(QStringLiteral("JSON"));
  fOk->setText(TPLNMsg::GetDialogsValue(QStringLiteral("Ok")));
  fCancel->setText(TPLNMsg::GetDialogsValue(QStringLiteral("Cancel")));
  fLoad->setText(QStringLiteral("  ") + TPLNMsg::GetDialogsValue(QStringLiteral("LoadJson")));
  fFormat->setText(TPLNMsg::GetDialogsValue(QStringLiteral("Format")));
  bool ok = false;
  const QJsonDocument doc = Parse(json, &ok);
  fMemo->setPlainText(ok ? Indented(doc) : json);
}

QString TfJsonData::GetJson() const {
  bool ok = false;
  const QJsonDocument doc = Parse(fMemo->toPlainText(), &ok);
  return ok ? QString::fromUtf8(doc.toJson(QJsonDocument::Compact)) : QString();
}

void TfJsonData::NotValid() {
  fServices->Error(this, windowTitle(), TPLNMsg::GetDialogsValue(QStringLiteral("JsonNotValid")));
}

void TfJsonData::Format() {
  bool ok = false;
  const QJsonDocument doc = Parse(fMemo->toPlainText(), &ok);
  if (!ok) return NotValid();
  fMemo->setPlainText(Indented(doc));
}

bool TfJsonData::Load() {
  // The filter is kept in the message table in the "Name|*.ext" form; Qt wants "Name (*.ext)".
  QString filter = TPLNMsg::GetDialogsValue(QStringLiteral("FilterJson"));
  const QStringList parts = filter.split(QLatin1Char('|'));
  if (parts.size() == 2) filter = QStringLiteral("%1 (%2)").arg(parts[0], parts[1]);
  const QString path = fServices->OpenFileName(this, TPLNMsg::GetDialogsValue(QStringLiteral("LoadJson")), QDir::currentPath(), filter);
  if (path.isEmpty()) return false;
  // A name typed without extension means a .json file.
  return LoadFile(QFileInfo(path).suffix().isEmpty() ? path + QStringLiteral(".json") : path);
}

bool TfJsonData::LoadFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    fServices->Error(this, windowTitle(), TPLNMsg::GetErrorValue(QStringLiteral("FileRead")) + QStringLiteral(": ") + QDir::toNativeSeparators(path));
    return false;
  }
  fMemo->setPlainText(QString::fromUtf8(f.readAll()));
  return true;
}

void TfJsonData::accept() {
  const QString text = fMemo->toPlainText();
  if (text.trimmed().isEmpty()) return reject();
  if (!IsValid(text)) return NotValid();
  QDialog::accept();
}

}  // namespace Orv::Fmx
