#pragma once

#include <QString>
#include <QStringList>

class QFile;

// Every change the store makes on the disk passes through here: each write,
// sync, truncation and removal is one call. Tests count the calls and can end
// the process at any one of them, as a crash or a power cut would.
namespace vedaris::disk {

// As QFile::write.
qint64 write(QFile &file, const char *data, qint64 length);
// Flushes and forces the file's bytes onto the disk. False on failure (reason()).
bool sync(QFile &file);
// The folder's entries onto the disk (POSIX; elsewhere nothing to do). False on failure (reason()).
bool syncFolder(const QString &dir);
// As QFile::resize.
bool truncate(QFile &file, qint64 length);
// As QFile::remove.
bool remove(QFile &file);
// Puts the file `from` in place of `to` in one step (platform::replaceFile).
bool replace(const QString &from, const QString &to);
// The system's text for the last failed sync or syncFolder.
QString reason();

// Tests: the n-th call from now (1 is the next one) ends the process with
// _exit(StoppedExit) instead of running; a write first puts down half of its
// bytes, as a write cut short by the power going off. 0 disarms. Each stopAt
// starts the count afresh.
constexpr int StoppedExit = 86;
void stopAt(qint64 n);
qint64 calls(); // since the last stopAt
// Tests: syncs still count as calls but leave the disk alone. A process that
// dies keeps what it wrote in the system's cache; only a power cut needs them.
void skipSyncs(bool skip);
// Tests: what each call since the last stopAt did, as "write Base.dat",
// "sync Base.dat", "sync folder", "truncate Base.dat", "remove Vedaris.journal".
void recordCalls(bool on);
QStringList recordedCalls();

} // namespace vedaris::disk
