// Test entry point for window tests: a QApplication on the offscreen platform, with settings
// kept apart from the user's.
#include <QApplication>
#include <QDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const QByteArray config = PLANORA_TEST_TMP "/config";
  QDir(QString::fromUtf8(config)).removeRecursively();
  qputenv("XDG_CONFIG_HOME", config);
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("PlanoraTest"));
  QApplication::setApplicationName(QStringLiteral("Studio"));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
