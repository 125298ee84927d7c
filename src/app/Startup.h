#pragma once

#include "Forms.h"
#include "store/DataLock.h"

#include <QString>
#include <memory>

namespace vedaris {

// A running program on one data folder: its lock, then its windows.
class Session
{
public:
    explicit Session(const QString &dataDir) : lock(dataDir) {}
    DataLock lock;
    std::unique_ptr<Forms> forms;
};

// Start-up up to the main window on screen: the folder's lock first (before any
// data file is created), the windows (the main window creates missing data
// files), the day's backup, the window shown. Returns nothing when another copy
// runs on the folder: the message has been shown and no file touched. A failed
// lock or backup is shown once and start-up goes on.
std::unique_ptr<Session> startUp(const QString &dataDir);

} // namespace vedaris
