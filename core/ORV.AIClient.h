#pragma once
// A client of an OpenAI-compatible chat-completions endpoint: the tools that turn an image into
// symbols ask it. One synchronous call at a time; the API key never appears in a message.

#include <QJsonArray>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QString>
#include <cstdint>

namespace Orv {

struct TAIConfig {
  QString Url = QStringLiteral("https://api.openai.com/v1/chat/completions");
  QString Model = QStringLiteral("gpt-4o-mini");
  QString Key;
  int TimeoutSeconds = 120;
  std::int64_t MaxImageBytes = 20 * 1024 * 1024;
  // Why the settings file was not used (it is missing: empty), for the error of a failed call.
  QString Problem;
};

class TMCPAIClient {
 public:
  TMCPAIClient() = default;
  explicit TMCPAIClient(TAIConfig config) : fConfig(std::move(config)) {}

  // The settings file (JSON: "url", "model", "key", "timeout", "max_image_bytes") overridden by
  // PLANORA_AI_URL, PLANORA_AI_MODEL, PLANORA_AI_KEY, PLANORA_AI_TIMEOUT and
  // PLANORA_AI_MAX_IMAGE_BYTES. Values that make no sense (a timeout of 0) keep the default.
  static TAIConfig LoadConfig(const QString& settingsFile, const QProcessEnvironment& env);
  static TAIConfig LoadConfig() { return LoadConfig(DefaultSettingsFile(), QProcessEnvironment::systemEnvironment()); }
  // ~/.config/planora/ai.json (the user's configuration folder).
  static QString DefaultSettingsFile();

  const TAIConfig& Config() const { return fConfig; }
  void SetConfig(const TAIConfig& config) { fConfig = config; }
  bool HasKey() const { return !fConfig.Key.trimmed().isEmpty(); }

  // {"role": "user", "content": [the prompt as text, the image as a data URL]}.
  static QJsonObject MakeUserImageMessage(const QString& prompt, const QString& mediaType, const QString& base64);

  // Posts the messages and waits, running a local event loop, for the model's answer or the
  // timeout. True with the answer's text; false with a readable reason in *error.
  bool Send(const QJsonArray& messages, QString* answerText, QString* error) const;

 private:
  QString Redact(QString text) const;
  TAIConfig fConfig;
};

}  // namespace Orv
