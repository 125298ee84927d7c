#pragma once

#include "DailyBackup.h"
#include "Forms.h"
#include "store/DataLock.h"

#include <QString>
#include <memory>

namespace vedaris {

// A running program on one data folder: its lock, its windows, its backups.
class Session
{
public:
    explicit Session(const QString &dataDir);
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    DataLock lock;
    std::unique_ptr<Forms> forms;
    std::unique_ptr<DailyBackup> backup; // none when open for viewing only

private:
    QString m_dir;
};

// Start-up up to the main window on screen: the folder's lock first (before any
// data file is created), then the playback of an operation a crash left
// unfinished, the windows (the main window creates missing data files), the
// window shown with its list, and the day's backup. Returns nothing when another
// copy runs on the folder: the message has been shown and no file touched. When
// the lock cannot be had otherwise, or the playback fails, the program opens for
// viewing only and writes nothing; one message says why.
std::unique_ptr<Session> startUp(const QString &dataDir);

} // namespace vedaris
