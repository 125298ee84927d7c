#include "DailyBackup.h"

#include "store/Clock.h"
#include "widgets/Messages.h"
#include "widgets/StatusBar.h"

#include <QCoreApplication>
#include <chrono>

namespace vedaris {

// A hospital's store of 100,000 batches and 1,000,000 issues is some 660 MB and
// takes seconds to copy; a few dozen megabytes take a fraction of one.
qint64 DailyBackup::backgroundFrom = 64LL * 1024 * 1024;

DailyBackup::DailyBackup(QString dataDir, QWidget *window, StatusBar *status)
    : m_dir(std::move(dataDir)), m_window(window), m_status(status)
{
    m_timer.setInterval(100);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
}

DailyBackup::~DailyBackup()
{
    if (m_thread.joinable()) {
        m_progress.cancel = true;
        m_thread.join();
        if (m_status)
            m_status->hideBackupProgress();
    }
    // The files as this program leaves them: a change found at the next start
    // was made by someone else, and today's copy is taken again.
    backup::noteState(m_dir);
}

void DailyBackup::atStartUp()
{
    m_day = Clock::today();
    if (backup::storeSize(m_dir) >= backgroundFrom) {
        start(backup::When::AtStart);
        return;
    }
    const QString message = backup::makeDaily(m_dir, nullptr, backup::When::AtStart);
    if (!message.isEmpty())
        Messages::error(m_window, message);
}

void DailyBackup::beforeWrite()
{
    if (m_thread.joinable())
        wait();
    if (Clock::today() != m_day) {
        m_day = Clock::today();
        start();
        wait();
    }
}

void DailyBackup::start(backup::When when)
{
    m_done = false;
    m_progress.percent = 0;
    m_thread = std::thread([this, when] {
        m_message = backup::makeDaily(m_dir, &m_progress, when);
        m_done = true;
    });
    if (m_status)
        m_status->showBackupProgress(0);
    m_timer.start();
}

// The window keeps painting; clicks and keys wait, so no second command starts.
void DailyBackup::wait()
{
    while (!m_done) {
        poll();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    finish();
}

void DailyBackup::poll()
{
    if (m_done) {
        finish();
        return;
    }
    if (m_status)
        m_status->showBackupProgress(m_progress.percent);
}

void DailyBackup::finish()
{
    if (!m_thread.joinable())
        return;
    m_thread.join();
    m_timer.stop();
    if (m_status)
        m_status->hideBackupProgress();
    if (!m_message.isEmpty())
        Messages::error(m_window, std::exchange(m_message, {}));
}

} // namespace vedaris
