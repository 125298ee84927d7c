#pragma once

#include <QString>
#include <QStringList>

namespace vedaris::platform {

// Forces what was written through the descriptor onto the disk. False on failure
// (errno / the C runtime's error holds the reason).
bool syncFile(int fd);
// Forces the folder's entries (a file created or removed in it) onto the disk.
// POSIX only: elsewhere the file system keeps its entries itself, and this is true.
bool syncFolder(const QString &dir);
// Puts the file `from` in place of `to` in one step, replacing it; the move is
// on the disk when this returns true (Windows: write-through; POSIX: rename,
// then syncFolder). False on failure, with errno set.
bool replaceFile(const QString &from, const QString &to);
// Command-line programs: the console shows the UTF-8 they print.
void prepareConsole();
// The C runtime's text for the last failure of syncFile, syncFolder or replaceFile.
const char *lastErrorText();

// The system's text for a file failure (as QFile reports it) in the program's
// own Russian words when it is a known one; any other text passes unchanged.
QString russianReason(const QString &systemText);

// An exclusive lock the operating system keeps on an open file until the file is
// closed or the process ends, however it ends: no lock is ever left stale. The
// file is created empty when missing and never written, so taking the lock needs
// no disk space.
struct FileLock
{
    enum State { Taken, Busy, Failed };
    State state = Failed;
    qintptr handle = -1; // Taken: give it to unlockFile
    QString reason;      // Failed: why, in Russian
};
FileLock lockFile(const QString &path);
void unlockFile(qintptr handle);

// The desktop's opener of a file or link as a command, the path or address to
// be added as its last argument; empty where the system's shell call is used
// (Windows), whose own answer says whether anything opened it.
QStringList openerCommand();

} // namespace vedaris::platform
