#pragma once

#include "store/History.h"

#include <QString>
#include <optional>

// Undo of the last operation from the history (Vedaris.history): the records
// an operation touched get back the bytes they had before it, as one more
// all-or-nothing operation that the history records too. An undo itself is
// never undone; undoing again goes on to the operation before.
namespace vedaris::ops {

// The newest entry no undo has put back yet (undo entries themselves
// skipped), or nothing.
std::optional<history::Entry> lastUndoable(const QString &dataDir);

// Why `e` cannot be undone now, or nothing when it can: every record it
// touched must still hold what it wrote, and a received batch must have no
// issues. The reason names what changed since: a later operation from the
// history, or another program.
QString undoRefusal(const QString &dataDir, const history::Entry &e);

struct UndoResult
{
    bool done = false;
    std::optional<history::Entry> entry; // the operation put back, or the one refused
    QString text; // done: what was undone; else why not
};

// Undoes the newest operation not yet undone, or says why not. Throws Error
// on a failure of the files.
UndoResult undoLast(const QString &dataDir);

} // namespace vedaris::ops
