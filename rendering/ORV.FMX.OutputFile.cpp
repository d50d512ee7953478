#include "ORV.FMX.OutputFile.h"

#include <QDir>
#include <QFileInfo>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "ORV.BinaryIO.h"

namespace Orv::Fmx {

// Temporary files being written, readable from a signal handler: a slot is taken with `Taken`,
// filled, and only then published with `Live`; the handler reads only live slots.
struct TTempSlot {
  std::atomic<bool> Taken{false};
  std::atomic<bool> Live{false};
  char Path[4096];
};

namespace {

TTempSlot gTempSlots[64];

void OnEndSignal(int sig) {
  for (TTempSlot& slot : gTempSlots)
    if (slot.Live.load(std::memory_order_acquire)) ::unlink(slot.Path);
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

// Read without umask(2), which would change the mask for every thread while it looks.
mode_t ProcessUmask() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (status.open(QIODevice::ReadOnly)) {
    for (const QByteArray& line : status.readAll().split('\n')) {
      if (line.startsWith("Umask:")) {
        bool ok = false;
        const uint m = line.mid(6).trimmed().toUInt(&ok, 8);
        if (ok) return static_cast<mode_t>(m);
      }
    }
  }
  return 022;
}

}  // namespace

TOutputFile::TOutputFile(const QString& target, std::function<QString(const QString&)> message)
    : fTarget(target),
      fMessage(std::move(message)),
      fTemp(QFileInfo(target).absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(QFileInfo(target).fileName()))) {
  // Renaming would replace a file its owner made read-only: refuse as writing into it would.
  const QByteArray targetName = QFile::encodeName(target);
  if (::access(targetName.constData(), F_OK) == 0 && ::access(targetName.constData(), W_OK) != 0)
    Fail(QString::fromLocal8Bit(std::strerror(errno)));
  if (!fTemp.open()) Fail(fTemp.errorString());
  const QByteArray path = QFile::encodeName(fTemp.fileName());
  for (TTempSlot& slot : gTempSlots) {
    bool expected = false;
    if (std::size_t(path.size()) >= sizeof slot.Path || !slot.Taken.compare_exchange_strong(expected, true)) continue;
    std::memcpy(slot.Path, path.constData(), std::size_t(path.size()) + 1);
    slot.Live.store(true, std::memory_order_release);
    fSlot = &slot;
    break;
  }
}

TOutputFile::~TOutputFile() {
  if (fSlot) {
    fSlot->Live.store(false, std::memory_order_release);
    fSlot->Taken.store(false, std::memory_order_release);
  }
}

void TOutputFile::Fail(const QString& why) const {
  throw EPLNError(fMessage ? fMessage(why)
                           : QStringLiteral("%1: cannot write the file: %2").arg(QFileInfo(fTarget).fileName(), why));
}

void TOutputFile::Commit() {
  // A full disk shows on the flush of the last buffered write, not on close.
  if (fTemp.isOpen() && !fTemp.flush()) Fail(fTemp.errorString());
  fTemp.close();
  const QByteArray target = QFile::encodeName(fTarget);
  // QTemporaryFile creates files private to the user; the result is an ordinary file.
  struct stat old {};
  const mode_t mode = ::stat(target.constData(), &old) == 0 ? (old.st_mode & 07777) : (0666 & ~ProcessUmask());
  if (std::rename(QFile::encodeName(fTemp.fileName()).constData(), target.constData()) != 0)
    Fail(QString::fromLocal8Bit(std::strerror(errno)));
  fTemp.setAutoRemove(false);
  ::chmod(target.constData(), mode);
}

void RemoveExportFilesOnSignal() {
  struct sigaction sa {};
  sa.sa_handler = OnEndSignal;
  sigemptyset(&sa.sa_mask);
  ::sigaction(SIGINT, &sa, nullptr);
  ::sigaction(SIGTERM, &sa, nullptr);
}

}  // namespace Orv::Fmx
