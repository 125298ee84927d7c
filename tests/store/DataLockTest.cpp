#include "store/DataLock.h"
#include "support/OtherCopy.h"
#include "support/TempDataDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#ifdef __linux__
#include <sys/mount.h>
#endif
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
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
        while (filler.write(block) == block.size()) { }
    }

    { // The first start on a full disk: the lock, and the second copy refused.
        DataLock mine(dir.path());
        ASSERT_EQ(mine.take(), DataLock::State::Taken);
        OtherCopy other(dir.path(), "hold");
        EXPECT_EQ(other.state(), "busy");
    }
    { // A run that crashed on the full disk does not lock the next one out.
        OtherCopy crashed(dir.path(), "crash");
        ASSERT_EQ(crashed.state(), "taken");
    }
    EXPECT_EQ(DataLock(dir.path()).take(), DataLock::State::Taken);

    ASSERT_EQ(mount("tmpfs", at.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr), 0);
    DataLock readOnly(dir.path());
    EXPECT_EQ(readOnly.take(), DataLock::State::Failed);
    EXPECT_EQ(
        readOnly.errorText(),
        QStringLiteral(
            "не удалось заблокировать файл \"Vedaris.lock\": диск доступен только для чтения"));
    OtherCopy other(dir.path(), "hold");
    EXPECT_EQ(other.state(), "failed");
}
#endif

TEST(DataLock, NoticesWhenItsFileIsDeletedOrReplaced)
{
    TempDataDir dir;
    DataLock lock(dir.path());
    ASSERT_EQ(lock.take(), DataLock::State::Taken);
    EXPECT_TRUE(lock.stillHeld());
    ASSERT_TRUE(QFile::remove(dir.file(DataLock::FileName)));
#ifdef _WIN32
    // A file deleted while open may keep its name until it is closed (Wine,
    // and Windows on disks that do not delete the POSIX way); then it is still
    // the file the lock is on, and another copy finds it locked. Either way
    // the two copies never both hold the lock.
    [[maybe_unused]] const bool put =
        QFile(dir.file(DataLock::FileName)).open(QIODevice::WriteOnly); // may be refused
    const bool held = lock.stillHeld();
    OtherCopy other(dir.path(), "hold");
    EXPECT_EQ(other.state(), held ? "busy" : "taken");
#else
    EXPECT_FALSE(lock.stillHeld());
    dir.write(DataLock::FileName, {}); // a sync or a restore puts a file back
    EXPECT_FALSE(lock.stillHeld());
    // And another copy would lock that one.
    OtherCopy other(dir.path(), "hold");
    EXPECT_EQ(other.state(), "taken");
#endif
}

#ifndef _WIN32
TEST(DataLock, LockFileTakesTheUmaskAndAnotherUserCanLockIt)
{
    TempDataDir dir;
    const mode_t old = ::umask(002); // a shared group folder
    {
        DataLock lock(dir.path());
        ASSERT_EQ(lock.take(), DataLock::State::Taken);
    }
    ::umask(old);
    struct stat st
    { };
    ASSERT_EQ(::stat(QFile::encodeName(dir.file(DataLock::FileName)).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0664u);

    // The file of one user (root here, 0644) does not shut another user out.
    if (geteuid() != 0)
        GTEST_SKIP() << "switching users needs root";
    ASSERT_EQ(::chmod(QFile::encodeName(dir.file(DataLock::FileName)).constData(), 0644), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    int taken[2], release[2];
    ASSERT_EQ(::pipe(taken), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        ::close(taken[0]);
        ::close(release[1]);
        char state = 'U';
        DataLock lock(dir.path()); // held until the parent lets go
        if (::setgid(65534) == 0 && ::setuid(65534) == 0)
            state = lock.take() == DataLock::State::Taken ? 'T' : 'F';
        [[maybe_unused]] const auto w = ::write(taken[1], &state, 1);
        char c;
        [[maybe_unused]] const auto r = ::read(release[0], &c, 1);
        std::_Exit(0);
    }
    ::close(taken[1]);
    ::close(release[0]);
    char state = 0;
    const auto got = ::read(taken[0], &state, 1);
    ::close(taken[0]);
    if (got != 1) {
        ::close(release[1]);
        waitpid(pid, nullptr, 0);
        FAIL() << "the other user's process ended without an answer";
    }
    EXPECT_EQ(state, 'T') << "the other user could not lock";
    // While that user holds it, this one is refused as a second copy.
    EXPECT_EQ(DataLock(dir.path()).take(), DataLock::State::Busy);
    ::close(release[1]);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_EQ(DataLock(dir.path()).take(), DataLock::State::Taken);
}
#endif
