#pragma once
// Files written whole or not at all: saves and exports.

#include <QFile>
#include <QString>
#include <QTemporaryFile>
#include <functional>

namespace Orv::Fmx {

struct TTempSlot;

// A hidden temporary file beside the target, renamed over it by Commit, so a failure never
// leaves half a file and never touches the old one. Dropped without Commit, it is removed; ended
// by a signal first (RemoveExportFilesOnSignal), the handler removes it.
class TOutputFile {
 public:
  // `message` words a failure from its reason; by default "NAME: cannot write the file: WHY".
  explicit TOutputFile(const QString& target, std::function<QString(const QString& why)> message = {});
  ~TOutputFile();
  TOutputFile(const TOutputFile&) = delete;
  TOutputFile& operator=(const TOutputFile&) = delete;

  QFile& File() { return fTemp; }
  QString TempName() const { return fTemp.fileName(); }
  [[noreturn]] void Fail(const QString& why) const;
  // Flushes what is still open and renames the file over the target. A replaced file keeps its
  // permissions; a new one follows the umask like any other.
  void Commit();

 private:
  QString fTarget;
  std::function<QString(const QString&)> fMessage;
  QTemporaryFile fTemp;
  TTempSlot* fSlot = nullptr;
};

// Installs handlers for SIGINT and SIGTERM that remove the temporary files of saves and exports
// still being written, then end the process as the signal would have. For programs that have no
// handlers of their own; call once, early.
void RemoveExportFilesOnSignal();

}  // namespace Orv::Fmx
