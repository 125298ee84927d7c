#include "store/DataLock.h"
#include "support/TempDataDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace vedaris;

namespace {

// The lock is per process, so the other copy of the program is this test
// binary run again, into DataLockChild.TakeAndHold only.
class OtherCopy
{
public:
    OtherCopy(const QString &dataDir, const char *mode)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VEDARIS_LOCK_DIR"), dataDir);
        env.insert(QStringLiteral("VEDARIS_LOCK_MODE"), QString::fromLatin1(mode));
        m_p.setProcessEnvironment(env);
        m_p.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--gtest_filter=DataLockChild.TakeAndHold")});
    }
    ~OtherCopy() { finish(); }

    // Waits until the child reports the state of its lock.
    QByteArray state()
    {
        while (!m_out.contains("LOCK:") || !m_out.mid(m_out.indexOf("LOCK:")).contains('\n')) {
            if (!m_p.waitForReadyRead(10000))
                return "no answer: " + m_out;
            m_out += m_p.readAllStandardOutput();
        }
        const qsizetype at = m_out.indexOf("LOCK:") + 5;
        return m_out.mid(at, m_out.indexOf('\n', at) - at);
    }
    void finish()
    {
        if (m_p.state() == QProcess::NotRunning)
            return;
        m_p.closeWriteChannel();
        m_p.waitForFinished(10000);
    }

private:
    QProcess m_p;
    QByteArray m_out;
};

} // namespace

TEST(DataLockChild, TakeAndHold)
{
    const QByteArray dir = qgetenv("VEDARIS_LOCK_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "runs only as the other copy of DataLock tests";
    DataLock lock(QString::fromLocal8Bit(dir));
    const DataLock::State s = lock.take();
    std::printf("LOCK:%s\n", s == DataLock::State::Taken ? "taken" : s == DataLock::State::Busy ? "busy" : "failed");
    std::fflush(stdout);
    if (qgetenv("VEDARIS_LOCK_MODE") == "crash")
        std::_Exit(0); // dies holding the lock: no destructor, the lock file stays
    std::getchar();    // holds the lock until the parent lets go
}

TEST(DataLock, SecondCopyIsRefusedWithoutTouchingTheFolder)
{
    TempDataDir dir;
    DataLock mine(dir.path());
    ASSERT_EQ(mine.take(), DataLock::State::Taken);
    {
        OtherCopy other(dir.path(), "hold");
        EXPECT_EQ(other.state(), "busy");
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{DataLock::FileName});
}

TEST(DataLock, LockIsHeldUntilItsOwnerEnds)
{
    TempDataDir dir;
    {
        OtherCopy other(dir.path(), "hold");
        ASSERT_EQ(other.state(), "taken");
        EXPECT_EQ(DataLock(dir.path()).take(), DataLock::State::Busy);
        EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).contains(DataLock::FileName));
    }
    EXPECT_EQ(DataLock(dir.path()).take(), DataLock::State::Taken);
}

TEST(DataLock, LockOfACrashedRunIsTakenOver)
{
    TempDataDir dir;
    {
        OtherCopy crashed(dir.path(), "crash");
        ASSERT_EQ(crashed.state(), "taken");
        crashed.finish();
    }
    ASSERT_TRUE(QFile::exists(dir.file(DataLock::FileName)));
    EXPECT_EQ(DataLock(dir.path()).take(), DataLock::State::Taken);
}

TEST(DataLock, FolderThatCannotHoldALockFailsWithAReason)
{
    TempDataDir dir;
    DataLock lock(dir.file(QStringLiteral("no-such-folder")));
    EXPECT_EQ(lock.take(), DataLock::State::Failed);
    EXPECT_TRUE(lock.errorText().contains(DataLock::FileName)) << lock.errorText().toStdString();
}
