#include "store/Backup.h"
#include "store/Clock.h"
#include "store/DataFiles.h"
#include "store/Error.h"
#include "store/Records.h"
#include "support/TempDataDir.h"

#include <QDir>
#include <gtest/gtest.h>

#ifdef __linux__
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <QTemporaryDir>

using namespace vedaris;

namespace {

const QStringList &DataFiles = vedaris::files::All;

class Backup : public ::testing::Test
{
protected:
    Backup()
    {
        for (const QString &name : DataFiles)
            dir.write(name, name.toLatin1().repeated(3));
        setToday(QDate(2024, 3, 10));
    }
    ~Backup() override
    {
        Clock::setFixedToday(std::nullopt);
        backup::setFreeSpaceForTests(std::nullopt);
    }

    void setToday(QDate d) { Clock::setFixedToday(d); }
    QString backupFile(const QString &folder, const QString &name) const
    {
        return QDir(backup::folder(dir.path())).filePath(folder + "/" + name);
    }
    QStringList folders() const
    {
        return QDir(backup::folder(dir.path()))
            .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    }

    TempDataDir dir;
};

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

TEST_F(Backup, CopiesTheSixFilesOncePerDay)
{
    EXPECT_EQ(backup::makeDaily(dir.path()), QString());
    ASSERT_EQ(folders(), QStringList{"2024-03-10"});
    for (const QString &name : DataFiles)
        EXPECT_EQ(readAll(backupFile("2024-03-10", name)), dir.read(name)) << name.toStdString();

    // Later the same day: the morning's copy stands.
    dir.write(files::Base, "changed");
    EXPECT_EQ(backup::makeDaily(dir.path()), QString());
    EXPECT_EQ(readAll(backupFile("2024-03-10", files::Base)), "Base.datBase.datBase.dat");

    setToday(QDate(2024, 3, 11));
    EXPECT_EQ(backup::makeDaily(dir.path()), QString());
    EXPECT_EQ(folders(), (QStringList{"2024-03-10", "2024-03-11"}));
    EXPECT_EQ(readAll(backupFile("2024-03-11", files::Base)), "changed");
}

TEST_F(Backup, KeepsTheTenNewestAndOnlyTouchesDatedFolders)
{
    QDir root(backup::folder(dir.path()));
    for (int day = 1; day <= 12; ++day)
        root.mkpath(QDate(2024, 2, day).toString("yyyy-MM-dd"));
    root.mkpath("notes");
    root.mkpath("2024-03-10.part"); // a copy interrupted by a crash
    dir.write("backup/2024-03-10.part/Base.dat", "half");
    root.mkpath("2030-01-01"); // the clock was wrong once

    const QString message = backup::makeDaily(dir.path());
    // Ten dated backups remain: the nine newest of February and today's. The
    // future one is kept but not counted, and named in the message.
    const QStringList expected = {"2024-02-04", "2024-02-05", "2024-02-06", "2024-02-07",
                                  "2024-02-08", "2024-02-09", "2024-02-10", "2024-02-11",
                                  "2024-02-12", "2024-03-10", "2030-01-01", "notes"};
    EXPECT_EQ(folders(), expected);
    EXPECT_TRUE(message.contains("2030-01-01")) << message.toStdString();
    EXPECT_EQ(readAll(backupFile("2024-03-10", files::Base)), dir.read(files::Base));
}

TEST_F(Backup, FailureIsReportedOnceAndLeavesNoBackupBehind)
{
    // A folder where Rashod.dat should be: the copy cannot be made.
    QFile::remove(dir.file(files::Rashod));
    QDir(dir.path()).mkdir(files::Rashod);

    const QString message = backup::makeDaily(dir.path());
    EXPECT_TRUE(message.startsWith("Не удалось сделать резервную копию данных"))
        << message.toStdString();
    EXPECT_TRUE(message.contains(files::Rashod)) << message.toStdString();
    EXPECT_TRUE(folders().isEmpty()) << folders().join(' ').toStdString();
    EXPECT_EQ(dir.read(files::Base), "Base.datBase.datBase.dat");
}

TEST_F(Backup, SkippedWithTheSpaceNeededWhenTheDiskWouldBeLeftNearlyFull)
{
    qint64 store = 0;
    for (const QString &name : DataFiles)
        store += dir.read(name).size();
    const qint64 needed =
        2 * store + backup::SpareBytes; // the copy, then the store and 64 MiB still free

    backup::setFreeSpaceForTests(needed - 1);
    const QString message = backup::makeDaily(dir.path());
    EXPECT_TRUE(message.startsWith(
        QStringLiteral("Резервная копия данных не сделана: на диске свободно 65 МБ, "
                       "а нужно не меньше 65 МБ")))
        << message.toStdString();
    EXPECT_TRUE(folders().isEmpty());

    backup::setFreeSpaceForTests(needed);
    EXPECT_EQ(backup::makeDaily(dir.path()), QString());
    EXPECT_EQ(folders(), QStringList{"2024-03-10"});
}

TEST_F(Backup, DamagedStoreIsCopiedApartAndNeverPushesOutTheSoundCopies)
{
    QDir root(backup::folder(dir.path()));
    for (int day = 1; day <= 10; ++day)
        root.mkpath(QDate(2024, 2, day).toString("yyyy-MM-dd"));
    for (int day = 1; day <= 10; ++day)
        root.mkpath(QDate(2024, 3, day).toString("yyyy-MM-dd") + "-damaged");
    // One batch claiming to be record 7.
    StockRecord r;
    r.DrugName = QStringLiteral("Бинт");
    r.RecordId = 7;
    QByteArray base(StockRecord::Size, '\0');
    encode(r, base.data());
    dir.write(files::Base, base);
    setToday(QDate(2024, 3, 11));

    const QString message = backup::makeDaily(dir.path());
    EXPECT_TRUE(message.startsWith(QStringLiteral("Резервная копия данных сохранена в папку")))
        << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("2024-03-11-damaged")));
    EXPECT_TRUE(message.contains(QStringLiteral("Запустите vedaris-check")));
    EXPECT_EQ(readAll(backupFile("2024-03-11-damaged", files::Base)), base);
    // Ten of each kind: the oldest damaged copy went, every sound one stayed.
    EXPECT_EQ(backup::existing(dir.path()).size(), 10);
    EXPECT_FALSE(folders().contains("2024-03-01-damaged"));
    EXPECT_TRUE(folders().contains("2024-03-02-damaged"));
    // Today is done: no second copy, no second message.
    EXPECT_EQ(backup::makeDaily(dir.path()), QString());
}

#ifdef __linux__
TEST_F(Backup, OldCopyThatCannotBeRemovedIsReported)
{
    // A mount point cannot be removed: a small file system of the test's own on
    // the oldest copy, which only root may mount.
    QDir root(backup::folder(dir.path()));
    for (int day = 1; day <= 10; ++day)
        root.mkpath(QDate(2024, 2, day).toString("yyyy-MM-dd"));
    const QByteArray oldest = QFile::encodeName(root.filePath("2024-02-01"));
    if (geteuid() != 0 || mount("tmpfs", oldest.constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "mounting a small file system needs root";
    struct Unmount
    {
        QByteArray at;
        ~Unmount() { umount2(at.constData(), MNT_DETACH); }
    } unmount{oldest};

    const QString message = backup::makeDaily(dir.path());
    EXPECT_EQ(message,
              QStringLiteral("Не удалось удалить старую резервную копию \"%1\": она по-прежнему "
                             "занимает место на диске.")
                  .arg(QDir::toNativeSeparators(QString::fromLocal8Bit(oldest))));
    EXPECT_TRUE(folders().contains("2024-03-10"));
}
#endif

#ifndef _WIN32
TEST_F(Backup, LinksNamedLikeCopiesAreNeverCountedFollowedOrRemoved)
{
    // A link named like the oldest copy pointing at the data folder itself, a
    // link in place of an interrupted copy, and ten real copies besides today's.
    QDir root(backup::folder(dir.path()));
    for (int day = 1; day <= 10; ++day)
        root.mkpath(QDate(2024, 2, day + 1).toString("yyyy-MM-dd"));
    ASSERT_TRUE(QFile::link(dir.path(), root.filePath("2024-01-01")));
    QTemporaryDir elsewhere;
    QFile(elsewhere.filePath("keep.txt")).open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::link(elsewhere.path(), root.filePath("2024-02-01.part")));
    const auto before = [&] {
        QMap<QString, QByteArray> all;
        for (const QString &name : DataFiles)
            all[name] = dir.read(name);
        return all;
    }();

    EXPECT_EQ(backup::makeDaily(dir.path()), QString());
    for (const QString &name : DataFiles)
        EXPECT_EQ(dir.read(name), before[name]) << name.toStdString();
    EXPECT_TRUE(QFileInfo(elsewhere.filePath("keep.txt")).exists());
    EXPECT_TRUE(
        QFileInfo(root.filePath("2024-01-01")).isSymLink()); // left alone, not pruned through
    EXPECT_FALSE(QFileInfo(root.filePath("2024-02-01.part")).isSymLink())
        << "the leftover link itself goes";
    // The link is not a copy: the oldest of the eleven real ones went.
    EXPECT_EQ(backup::existing(dir.path()).size(), 10);
    EXPECT_FALSE(root.exists("2024-02-02"));
    EXPECT_TRUE(root.exists("2024-02-03"));
}
#endif

TEST_F(Backup, FutureCopiesAreNotCountedAndNamedOnce)
{
    // Ten starts a year ahead: without care every later day's copy would be made and deleted at once.
    QDir root(backup::folder(dir.path()));
    for (int day = 1; day <= 10; ++day)
        root.mkpath(QDate(2025, 3, day).toString("yyyy-MM-dd"));
    const QString first = backup::makeDaily(dir.path());
    EXPECT_TRUE(first.contains("2025-03-01") && first.contains("2025-03-10"))
        << first.toStdString();
    EXPECT_TRUE(root.exists("2024-03-10"));
    setToday(QDate(2024, 3, 11));
    EXPECT_EQ(backup::makeDaily(dir.path()), QString()) << "named once";
    EXPECT_TRUE(root.exists("2024-03-10"));
    EXPECT_TRUE(root.exists("2024-03-11"));
    EXPECT_EQ(backup::existing(dir.path()).size(), 12);
}

TEST_F(Backup, LeftoverPartialCopiesOfEarlierDaysAreRemoved)
{
    QDir root(backup::folder(dir.path()));
    for (const char *name : {"2024-03-01.part", "2024-03-09-2.part", "notes.part"}) {
        root.mkpath(name);
        dir.write(QStringLiteral("backup/%1/Base.dat").arg(QLatin1String(name)),
                  QByteArray(1000, 'x'));
    }
    EXPECT_EQ(backup::makeDaily(dir.path()), QString());
    EXPECT_EQ(folders(), (QStringList{"2024-03-10", "notes.part"}));
}

TEST_F(Backup, FilesChangedBehindTheProgramAreCopiedAgainAtStart)
{
    EXPECT_EQ(backup::makeDaily(dir.path(), nullptr, backup::When::AtStart), QString());
    // The program itself wrote and noted the files at its end: no second copy.
    dir.write(files::Base, "written by the program");
    backup::noteState(dir.path());
    EXPECT_EQ(backup::makeDaily(dir.path(), nullptr, backup::When::AtStart), QString());
    EXPECT_EQ(folders(), QStringList{"2024-03-10"});

    // Old data brought in the same day: copied again at the next start, under the next number.
    dir.write(files::Base, "the old program's store");
    EXPECT_EQ(backup::makeDaily(dir.path()), QString()) << "not before a write";
    EXPECT_EQ(backup::makeDaily(dir.path(), nullptr, backup::When::AtStart), QString());
    EXPECT_EQ(folders(), (QStringList{"2024-03-10", "2024-03-10-2"}));
    EXPECT_EQ(readAll(backupFile("2024-03-10-2", files::Base)), "the old program's store");
    EXPECT_EQ(backup::makeDaily(dir.path(), nullptr, backup::When::AtStart), QString());
    dir.write(files::Rashod, "restored by hand");
    EXPECT_EQ(backup::makeDaily(dir.path(), nullptr, backup::When::AtStart), QString());
    EXPECT_EQ(folders(), (QStringList{"2024-03-10", "2024-03-10-2", "2024-03-10-3"}));
}

#ifdef __linux__
TEST_F(Backup, ZeroFilledStretchStaysAHoleInTheCopy)
{
    // 64 MB of zeros after one record, as a sparse or zero-filled Base.dat.
    QFile base(dir.file(files::Base));
    ASSERT_TRUE(base.open(QIODevice::ReadWrite | QIODevice::Truncate));
    base.write(QByteArray(StockRecord::Size, '\1'));
    ASSERT_TRUE(base.resize(StockRecord::Size * 120000LL));
    base.close();
    backup::makeDaily(dir.path());
    const QString copy = backupFile("2024-03-10-damaged", files::Base);
    ASSERT_EQ(QFileInfo(copy).size(), StockRecord::Size * 120000LL);
    struct stat st
    { };
    ASSERT_EQ(::stat(QFile::encodeName(copy).constData(), &st), 0);
    EXPECT_LT(qint64(st.st_blocks) * 512, 4LL * 1024 * 1024) << "copied dense";
}
#endif

TEST_F(Backup, RestorePutsTheCopyBackAfterKeepingTodaysFiles)
{
    EXPECT_EQ(backup::makeDaily(dir.path()), QString());
    dir.write(files::Base, "a longer Base.dat, written later in the day");
    dir.write(files::Otdelenie, "x");
    const QString kept = backup::restore(dir.path(), "2024-03-10");
    EXPECT_EQ(kept, "2024-03-10-2");
    for (const QString &name : DataFiles)
        EXPECT_EQ(dir.read(name), readAll(backupFile("2024-03-10", name))) << name.toStdString();
    EXPECT_EQ(readAll(backupFile("2024-03-10-2", files::Base)),
              "a longer Base.dat, written later in the day");
    EXPECT_EQ(readAll(backupFile("2024-03-10-2", files::Otdelenie)), "x");
    EXPECT_FALSE(QFile::exists(dir.file("Vedaris.journal")));
    const QVector<backup::DatedCopy> listed = backup::copies(dir.path());
    ASSERT_EQ(listed.size(), 2);
    EXPECT_EQ(listed[0].name, "2024-03-10-2");
    EXPECT_EQ(listed[1].name, "2024-03-10");

    QDir(backup::folder(dir.path())).mkpath("notes");
    EXPECT_THROW(backup::restore(dir.path(), "notes"), Error);
    EXPECT_THROW(backup::restore(dir.path(), "../backup/2024-03-10"), Error);
}
