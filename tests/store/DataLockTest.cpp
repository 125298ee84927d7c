#include "store/DataLock.h"
#include "support/OtherCopy.h"
#include "support/TempDataDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#ifdef __linux__
#include <sys/mount.h>
#include <unistd.h>
#endif

using namespace vedaris;

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

#ifdef __linux__
// The lock on a disk with no byte free, and on one mounted read-only: a small
// file system of the test's own, which only root may mount.
TEST(DataLock, FullDiskStillLocksAndReadOnlyDiskNeverLocks)
{
    TempDataDir dir;
    const QByteArray at = QFile::encodeName(dir.path());
    if (geteuid() != 0 || mount("tmpfs", at.constData(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "mounting a small file system needs root";
    struct Unmount
    {
        QByteArray at;
        ~Unmount() { umount2(at.constData(), MNT_DETACH); }
    } unmount{at};
    {
        QFile filler(dir.file(QStringLiteral("filler")));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {
        }
    }

    {   // The first start on a full disk: the lock, and the second copy refused.
        DataLock mine(dir.path());
        ASSERT_EQ(mine.take(), DataLock::State::Taken);
        OtherCopy other(dir.path(), "hold");
        EXPECT_EQ(other.state(), "busy");
    }
    {   // A run that crashed on the full disk does not lock the next one out.
        OtherCopy crashed(dir.path(), "crash");
        ASSERT_EQ(crashed.state(), "taken");
    }
    EXPECT_EQ(DataLock(dir.path()).take(), DataLock::State::Taken);

    ASSERT_EQ(mount("tmpfs", at.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr), 0);
    DataLock readOnly(dir.path());
    EXPECT_EQ(readOnly.take(), DataLock::State::Failed);
    EXPECT_EQ(readOnly.errorText(),
              QStringLiteral("не удалось заблокировать файл \"Vedaris.lock\": диск доступен только для чтения"));
    OtherCopy other(dir.path(), "hold");
    EXPECT_EQ(other.state(), "failed");
}
#endif
