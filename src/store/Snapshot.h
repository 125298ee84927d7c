#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <functional>

// The six data files read whole, for readers outside the program that may run
// while it is open: without the lock, and only between operations. A journal
// in the folder means an operation is under way (or was cut off and waits for
// the program's next start); a file whose size or modification time moved
// while it was read was written meanwhile. Either way the read is thrown away
// and tried again after a pause.
namespace vedaris::snapshot {

struct Files
{
    std::array<QByteArray, 6> bytes; // in the order of files::All
};

struct Retry
{
    int attempts = 5;
    int pauseMs = 1000;
    // Told before each pause why the read is repeated (for a progress line).
    std::function<void(const QString &why)> waiting;
};

// Opens every file read-only and never creates one. Throws Error: a file that
// cannot be read; a journal still present or the files still changing after
// the last attempt (the reason says which).
Files read(const QString &dataDir, const Retry &retry = {});

} // namespace vedaris::snapshot
