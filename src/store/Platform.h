#pragma once

#include <QString>
#include <QStringList>

#include <optional>

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
// The same for a failure on `path`, which may be a folder where a file belongs.
QString russianReason(const QString &systemText, const QString &path);

// An exclusive lock the operating system keeps on an open file until the file is
// closed or the process ends, however it ends: no lock is ever left stale. The
// file is created empty when missing and never written, so taking the lock needs
// no disk space.
struct FileLock
{
    enum State { Taken, Busy, Failed };
    State state = Failed;
    qintptr handle = -1; // Taken: give it to unlockFile
    QString reason; // Failed: why, in Russian
};
// The lock file is created with the permissions the data files get (0666 less
// the umask, the folder's group) and locked through a read-only handle where
// the system allows, so any user who may write the data may take the lock. A
// file that is not a plain file (a FIFO, a device) is refused.
FileLock lockFile(const QString &path);
void unlockFile(qintptr handle);
// Whether `path` still names the file held as `handle` (the same file, not one
// put in its place since): device and inode, or volume and file index.
bool stillNames(qintptr handle, const QString &path);

// Empty when `path` names a plain file (through a link too) or nothing at all;
// otherwise why it cannot be read as a data file, in Russian ("это именованный
// канал (FIFO), а не обычный файл"). Opening a FIFO for reading would wait
// for a writer, and a device never ends.
QString notRegularFile(const QString &path);
// A process running as root gives what it creates in the data folder (the
// lock file, the backup folders and copies) to the folder's owner and group,
// so that one start as root does not shut the users out. Elsewhere nothing.
void giveToFolderOwner(const QString &path, const QString &folder);
// A symbolic link or, on Windows, a junction or other reparse point at `path`
// itself (not followed).
bool isLink(const QString &path);

// The desktop's opener of a file or link as a command, the path or address to
// be added as its last argument; empty where the system's shell call is used
// (Windows), whose own answer says whether anything opened it.
QStringList openerCommand();
// Windows: the shell opens a file with the application associated with its
// type, a folder in Explorer; false when nothing could. Elsewhere: nothing.
std::optional<bool> shellOpen(const QString &path);

} // namespace vedaris::platform
