#pragma once

#include <QString>

namespace vedaris {

// One running program per data folder: two copies on the same files could both
// take the same free slot and lose a receipt or an issue. The lock is the
// operating system's, held on the open file Vedaris.lock in the data folder for
// the program's life. It needs no disk space, and it ends with the process that
// holds it, so there is never a stale lock to take over.
class DataLock
{
public:
    enum class State { Taken, Busy, Failed };

    static const QString FileName; // "Vedaris.lock"
    static QString busyMessage(); // what a second copy shows before it exits

    explicit DataLock(const QString &dataDir);
    ~DataLock();
    DataLock(const DataLock &) = delete;
    DataLock &operator=(const DataLock &) = delete;

    // Never waits. Busy: another running copy holds it; nothing was written.
    // Failed: the lock could not be had for another reason (a read-only folder,
    // a file system without locks); errorText() says why. Without the lock the
    // program must not write.
    State take();
    QString errorText() const;
    // Whether Vedaris.lock in the folder is still the file this lock holds.
    // Deleted, or replaced by a restore or a sync, it locks nothing: a second
    // copy would create a new one and lock that. Checked before every write.
    bool stillHeld() const;
    // What the user is told when it is not.
    QString lostText() const;

    // Tests: the next take() fails for this reason.
    static void failNextTake(const QString &reason);

private:
    QString m_path;
    qintptr m_handle = -1;
    QString m_reason;
};

} // namespace vedaris
