// Planora Studio: the desktop application around the drawing components.

#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "MainWindow.h"
#include "ORV.Data.h"
#include "ORV.FMX.Export.h"
#include "ORV.FMX.h"
#include "ORV.MCP.FMX.Tools.h"
#include "ORV.MCP.Server.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Ended by Ctrl+C or a kill in the middle of an export, the studio leaves no temporary file.
  Orv::Fmx::RemoveExportFilesOnSignal();
  QApplication::setOrganizationName(QStringLiteral("Planora"));
  QApplication::setApplicationName(QStringLiteral("Planora Studio"));
  QApplication::setApplicationVersion(QStringLiteral(PLANORA_VERSION));

  QCommandLineParser cli;
  cli.setApplicationDescription(QStringLiteral("Planora Studio: labels, technical drawings and diagrams."));
  cli.addHelpOption();
  cli.addVersionOption();
  cli.addPositionalArgument(QStringLiteral("drawing"), QStringLiteral("A drawing to open (.json or .eti)."));
  // For checks of a running studio: the screen as the window shows it, then quit.
  const QCommandLineOption shot(QStringLiteral("screenshot"),
                                QStringLiteral("Save a picture of the screen to FILE once the window shows, then quit."),
                                QStringLiteral("FILE"));
  cli.addOption(shot);
  // An AI agent drawing in the open window: its calls run on this thread, so the editor shows
  // every change as it happens.
  const QCommandLineOption mcp(QStringLiteral("mcp"),
                               QStringLiteral("Serve the drawing tools over the Model Context Protocol on stdin/stdout, "
                                              "working on the drawing in the window."));
  cli.addOption(mcp);
  const QCommandLineOption import(QStringLiteral("import"),
                                  QStringLiteral("Show FILE, a diagram or Gantt text, in the import dialog."),
                                  QStringLiteral("FILE"));
  cli.addOption(import);
  // Records for data-bound items (table columns, text fields), as the command line tool takes them.
  const QCommandLineOption data(QStringLiteral("data"), QStringLiteral("Read the records of FILE (.csv or .json)."),
                                QStringLiteral("FILE"));
  cli.addOption(data);
  cli.process(app);

  Planora::Studio::TMainWindow window;
  const QStringList files = cli.positionalArguments();
  if (!files.isEmpty()) window.OpenFile(files.first());
  if (cli.isSet(data)) {
    try {
      window.Document().SetDataSource(
          std::make_shared<Orv::TPLNDataSource>(Orv::TPLNDataSource::FromFile(cli.value(data))));
    } catch (const Orv::EPLNError& e) {
      std::fprintf(stderr, "planora-studio: %s\n", qPrintable(e.Message()));
    }
  }
  window.show();
  if (cli.isSet(import)) window.ImportFile(cli.value(import));
  if (cli.isSet(mcp)) {
    auto* server = new Orv::TPLNMCPServer(&window.Document(), &window);
    ORVMCPRegisterDefaultTools(server);
    server->ServeStdio();
  }
  if (cli.isSet(shot)) {
    const QString file = cli.value(shot);
    QTimer::singleShot(1500, &window, [&window, file] {
      const QPixmap screen = window.screen()->grabWindow(0);
      const bool ok = screen.save(file);
      if (!ok) std::fprintf(stderr, "planora-studio: cannot write %s\n", qPrintable(file));
      QApplication::exit(ok ? 0 : 1);
    });
  }
  return app.exec();
}
