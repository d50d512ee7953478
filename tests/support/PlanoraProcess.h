// Runs a program to the end and keeps its exit status and output: the command-line tool and the
// spooler's own tools, run from tests.
#pragma once

#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

namespace PlanoraTest {

struct TRun {
  int code = -1;
  QString out, err;
};

// `input`, when given, is written to the program's standard input, which is then closed.
inline TRun RunProgram(const QString& program, const QStringList& args, int timeoutMs = 120000,
                       const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
                       const QByteArray* input = nullptr) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(program, args);
  if (input) {
    p.write(*input);
    p.closeWriteChannel();
  }
  TRun r;
  if (!p.waitForFinished(timeoutMs) || p.exitStatus() != QProcess::NormalExit) {
    ADD_FAILURE() << program.toStdString() << " " << args.join(' ').toStdString() << " did not finish normally";
    p.kill();
    p.waitForFinished();
    return r;
  }
  r.code = p.exitCode();
  r.out = QString::fromUtf8(p.readAllStandardOutput());
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

}  // namespace PlanoraTest
