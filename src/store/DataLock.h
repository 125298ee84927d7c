#pragma once

#include <QLockFile>
#include <QString>

namespace vedaris {

// One running program per data folder: two copies on the same files could both
// take the same free slot and lose a receipt or an issue. The lock is a file in
// the data folder, held for the program's life; the lock of a run that crashed is
// taken over (its process no longer exists).
class DataLock
{
public:
    enum class State { Taken, Busy, Failed };

    static const QString FileName; // "Vedaris.lock"
    static QString busyMessage();  // what a second copy shows before it exits

    explicit DataLock(const QString &dataDir);
    DataLock(const DataLock &) = delete;
    DataLock &operator=(const DataLock &) = delete;

    // Never waits. Busy: another running copy holds it; nothing was written.
    // Failed: the folder does not allow a lock file (errorText() says why).
    State take();
    QString errorText() const;

private:
    QString m_path;
    QLockFile m_lock;
};

} // namespace vedaris
