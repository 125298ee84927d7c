#pragma once

#include "store/Backup.h"

#include <QDate>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <atomic>
#include <thread>

class QWidget;

namespace vedaris {

class StatusBar;

// The day's backup of a running program's data: at start-up, and again at the
// first write of a later day when the program stays open past midnight. A large
// store is copied in the background after the list is on screen, behind a
// progress bar on the status bar; every write waits until the copy is done, so
// a copy never mixes old and new records.
class DailyBackup
{
public:
    // From this store size on (bytes) the start-up copy runs in the background;
    // a smaller one is copied at once (well under a second).
    static qint64 backgroundFrom;

    // Messages go over `window`, the copy's progress onto `status`.
    DailyBackup(QString dataDir, QWidget *window, StatusBar *status);
    ~DailyBackup(); // stops a copy still running and waits for it
    DailyBackup(const DailyBackup &) = delete;
    DailyBackup &operator=(const DailyBackup &) = delete;

    void atStartUp();
    // Before every write: waits for a copy in progress; on a new day makes that
    // day's copy first.
    void beforeWrite();
    bool copying() const { return m_thread.joinable(); }

private:
    void start(backup::When when = backup::When::Daily);
    void wait();
    void poll();
    void finish();

    QString m_dir;
    QWidget *m_window;
    QPointer<StatusBar> m_status;
    QDate m_day; // of the last copy made or found
    backup::Progress m_progress;
    std::thread m_thread;
    std::atomic<bool> m_done{false};
    QString m_message; // the copy's, read once m_done is set
    QTimer m_timer;
};

} // namespace vedaris
