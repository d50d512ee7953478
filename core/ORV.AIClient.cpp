#include "ORV.AIClient.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <cmath>

namespace Orv {

namespace {

// Settings files are a few lines; anything bigger is not one.
constexpr qint64 kMaxSettingsBytes = 64 * 1024;
// How much of a provider's answer an error quotes.
constexpr int kExcerpt = 300;

QString Excerpt(const QByteArray& body) {
  QString s = QString::fromUtf8(body.left(kExcerpt * 4)).simplified();
  if (s.size() > kExcerpt) s = s.left(kExcerpt) + QStringLiteral("...");
  return s;
}

// A positive whole number from a JSON value or a text; 0 when it is none.
std::int64_t PositiveNumber(const QJsonValue& v) {
  double d = 0;
  if (v.isDouble()) {
    d = v.toDouble();
  } else if (v.isString()) {
    bool ok = false;
    d = v.toString().trimmed().toDouble(&ok);
    if (!ok) return 0;
  }
  if (!std::isfinite(d) || d < 1 || d > 1e15) return 0;
  return static_cast<std::int64_t>(d);
}

// The text of a chat-completion answer: choices[0].message.content, a string or a list of
// text parts.
bool AnswerText(const QJsonObject& root, QString* text) {
  const QJsonObject message = root.value(QLatin1String("choices")).toArray().at(0).toObject().value(QLatin1String("message")).toObject();
  const QJsonValue content = message.value(QLatin1String("content"));
  if (content.isString()) {
    *text = content.toString();
    return true;
  }
  if (content.isArray()) {
    QString all;
    for (const QJsonValue& part : content.toArray())
      if (part.toObject().value(QLatin1String("type")).toString() == QLatin1String("text"))
        all += part.toObject().value(QLatin1String("text")).toString();
    *text = all;
    return true;
  }
  return false;
}

}  // namespace

QString TMCPAIClient::DefaultSettingsFile() {
  QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.config");
  return base + QStringLiteral("/planora/ai.json");
}

TAIConfig TMCPAIClient::LoadConfig(const QString& settingsFile, const QProcessEnvironment& env) {
  TAIConfig c;
  auto text = [](const QJsonValue& v, QString& field) {
    if (v.isString() && !v.toString().trimmed().isEmpty()) field = v.toString().trimmed();
  };
  if (!settingsFile.isEmpty() && QFile::exists(settingsFile)) {
    QFile f(settingsFile);
    QJsonParseError err{};
    QJsonDocument doc;
    if (!f.open(QIODevice::ReadOnly)) {
      c.Problem = QStringLiteral("the AI settings file %1 cannot be read: %2").arg(settingsFile, f.errorString());
    } else if (f.size() > kMaxSettingsBytes) {
      c.Problem = QStringLiteral("the AI settings file %1 is too large to be a settings file").arg(settingsFile);
    } else if (doc = QJsonDocument::fromJson(f.readAll(), &err); !doc.isObject()) {
      c.Problem = QStringLiteral("the AI settings file %1 is not a JSON object%2")
                      .arg(settingsFile, err.error != QJsonParseError::NoError ? QStringLiteral(": ") + err.errorString() : QString());
    } else {
      const QJsonObject o = doc.object();
      text(o.value(QLatin1String("url")), c.Url);
      text(o.value(QLatin1String("model")), c.Model);
      text(o.value(QLatin1String("key")), c.Key);
      if (const auto t = PositiveNumber(o.value(QLatin1String("timeout"))); t > 0 && t <= 24 * 3600) c.TimeoutSeconds = int(t);
      if (const auto m = PositiveNumber(o.value(QLatin1String("max_image_bytes"))); m > 0) c.MaxImageBytes = m;
    }
  }
  text(env.value(QStringLiteral("PLANORA_AI_URL")), c.Url);
  text(env.value(QStringLiteral("PLANORA_AI_MODEL")), c.Model);
  text(env.value(QStringLiteral("PLANORA_AI_KEY")), c.Key);
  if (const auto t = PositiveNumber(env.value(QStringLiteral("PLANORA_AI_TIMEOUT"))); t > 0 && t <= 24 * 3600)
    c.TimeoutSeconds = int(t);
  if (const auto m = PositiveNumber(env.value(QStringLiteral("PLANORA_AI_MAX_IMAGE_BYTES"))); m > 0) c.MaxImageBytes = m;
  return c;
}

QJsonObject TMCPAIClient::MakeUserImageMessage(const QString& prompt, const QString& mediaType, const QString& base64) {
  const QJsonObject text{{QStringLiteral("type"), QStringLiteral("text")}, {QStringLiteral("text"), prompt}};
  const QJsonObject image{
      {QStringLiteral("type"), QStringLiteral("image_url")},
      {QStringLiteral("image_url"),
       QJsonObject{{QStringLiteral("url"), QStringLiteral("data:%1;base64,%2").arg(mediaType, base64)}}}};
  return QJsonObject{{QStringLiteral("role"), QStringLiteral("user")}, {QStringLiteral("content"), QJsonArray{text, image}}};
}

QString TMCPAIClient::Redact(QString text) const {
  const QString key = fConfig.Key.trimmed();
  if (!key.isEmpty()) text.replace(key, QStringLiteral("***"));
  return text;
}

bool TMCPAIClient::Send(const QJsonArray& messages, QString* answerText, QString* error) const {
  auto fail = [&](const QString& why) {
    if (error) *error = Redact(why);
    return false;
  };
  if (!HasKey()) {
    QString why = QStringLiteral("no AI API key is configured (set PLANORA_AI_KEY or \"key\" in %1)").arg(DefaultSettingsFile());
    if (!fConfig.Problem.isEmpty()) why += QStringLiteral("; ") + fConfig.Problem;
    return fail(why);
  }
  const QUrl url(fConfig.Url.trimmed(), QUrl::StrictMode);
  if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) || url.host().isEmpty())
    return fail(QStringLiteral("the AI endpoint \"%1\" is not an http or https address").arg(fConfig.Url));
  if (fConfig.Model.trimmed().isEmpty()) return fail(QStringLiteral("no AI model is configured (set PLANORA_AI_MODEL)"));
  const QString where = url.host() + (url.port() > 0 ? QStringLiteral(":%1").arg(url.port()) : QString());

  QNetworkAccessManager nam;
  QNetworkRequest request(url);
  request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
  request.setRawHeader("Authorization", "Bearer " + fConfig.Key.trimmed().toUtf8());
  // Redirects could carry the key to another host: none are followed.
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
  const QJsonObject body{{QStringLiteral("model"), fConfig.Model.trimmed()}, {QStringLiteral("messages"), messages}};
  QNetworkReply* reply = nam.post(request, QJsonDocument(body).toJson(QJsonDocument::Compact));

  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  bool timedOut = false;
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
    timedOut = true;
    reply->abort();
    loop.quit();
  });
  timer.start(std::max(1, fConfig.TimeoutSeconds) * 1000);
  if (!reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);
  timer.stop();

  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  const QNetworkReply::NetworkError netError = reply->error();
  const QString netText = reply->errorString();
  const QByteArray data = reply->isOpen() ? reply->readAll() : QByteArray();
  delete reply;

  if (timedOut)
    return fail(QStringLiteral("the AI provider at %1 did not answer within %2 seconds").arg(where).arg(fConfig.TimeoutSeconds));
  if (status == 0) {
    switch (netError) {
      case QNetworkReply::ConnectionRefusedError:
        return fail(QStringLiteral("could not connect to the AI provider at %1: connection refused").arg(where));
      case QNetworkReply::HostNotFoundError:
        return fail(QStringLiteral("could not connect to the AI provider: host %1 not found").arg(url.host()));
      default:
        return fail(QStringLiteral("could not reach the AI provider at %1: %2").arg(where, netText));
    }
  }
  if (status < 200 || status > 299) {
    // Providers explain a refusal in {"error": {"message": ...}}.
    const QJsonObject root = QJsonDocument::fromJson(data).object();
    QString detail = root.value(QLatin1String("error")).toObject().value(QLatin1String("message")).toString();
    if (detail.isEmpty()) detail = root.value(QLatin1String("error")).toString();
    if (detail.isEmpty()) detail = Excerpt(data);
    return fail(QStringLiteral("the AI provider at %1 answered HTTP %2%3")
                    .arg(where)
                    .arg(status)
                    .arg(detail.isEmpty() ? QString() : QStringLiteral(": ") + detail.left(kExcerpt)));
  }
  QJsonParseError err{};
  const QJsonDocument doc = QJsonDocument::fromJson(data, &err);
  if (!doc.isObject())
    return fail(QStringLiteral("the AI provider's answer is not JSON (%1): %2")
                    .arg(err.error != QJsonParseError::NoError ? err.errorString() : QStringLiteral("not an object"), Excerpt(data)));
  QString text;
  if (!AnswerText(doc.object(), &text))
    return fail(QStringLiteral("the AI provider's answer holds no choices[0].message.content: %1").arg(Excerpt(data)));
  if (text.trimmed().isEmpty()) {
    const QString reason = doc.object().value(QLatin1String("choices")).toArray().at(0).toObject().value(QLatin1String("finish_reason")).toString();
    return fail(QStringLiteral("the AI provider returned an empty answer%1")
                    .arg(reason.isEmpty() ? QString() : QStringLiteral(" (finish reason: %1)").arg(reason)));
  }
  if (answerText) *answerText = text;
  return true;
}

}  // namespace Orv
