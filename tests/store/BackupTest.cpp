#include "store/Backup.h"
#include "store/Clock.h"
#include "store/DataFiles.h"
#include "store/Records.h"
#include "support/TempDataDir.h"

#include <QDir>
#include <gtest/gtest.h>

#ifdef __linux__
#include <sys/mount.h>
#include <unistd.h>
#endif

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
        return QDir(backup::folder(dir.path())).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
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
    root.mkpath("2030-01-01");      // the clock was wrong once

    EXPECT_EQ(backup::makeDaily(dir.path()), QString());
    // Ten dated backups remain: the eight newest of February, today's and the future one.
    const QStringList expected = {"2024-02-05", "2024-02-06", "2024-02-07", "2024-02-08", "2024-02-09",
                "2024-02-10", "2024-02-11", "2024-02-12", "2024-03-10", "2030-01-01", "notes"};
    EXPECT_EQ(folders(), expected);
    EXPECT_EQ(readAll(backupFile("2024-03-10", files::Base)), dir.read(files::Base));
}

TEST_F(Backup, FailureIsReportedOnceAndLeavesNoBackupBehind)
{
    // A folder where Rashod.dat should be: the copy cannot be made.
    QFile::remove(dir.file(files::Rashod));
    QDir(dir.path()).mkdir(files::Rashod);

    const QString message = backup::makeDaily(dir.path());
    EXPECT_TRUE(message.startsWith("Не удалось сделать резервную копию данных")) << message.toStdString();
    EXPECT_TRUE(message.contains(files::Rashod)) << message.toStdString();
    EXPECT_TRUE(folders().isEmpty()) << folders().join(' ').toStdString();
    EXPECT_EQ(dir.read(files::Base), "Base.datBase.datBase.dat");
}

TEST_F(Backup, SkippedWithTheSpaceNeededWhenTheDiskWouldBeLeftNearlyFull)
{
    qint64 store = 0;
    for (const QString &name : DataFiles)
        store += dir.read(name).size();
    const qint64 needed = 2 * store + backup::SpareBytes; // the copy, then the store and 64 MiB still free

    backup::setFreeSpaceForTests(needed - 1);
    const QString message = backup::makeDaily(dir.path());
    EXPECT_TRUE(message.startsWith(QStringLiteral("Резервная копия данных не сделана: на диске свободно 65 МБ, "
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
    EXPECT_EQ(message, QStringLiteral("Не удалось удалить старую резервную копию \"%1\": она по-прежнему "
                                      "занимает место на диске.")
                           .arg(QDir::toNativeSeparators(QString::fromLocal8Bit(oldest))));
    EXPECT_TRUE(folders().contains("2024-03-10"));
}
#endif
