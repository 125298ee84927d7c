#include "store/Snapshot.h"
#include "store/DataFiles.h"
#include "store/Error.h"
#include "store/Journal.h"
#include "support/TempDataDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace vedaris;

TEST(Snapshot, ReadsTheSixFilesWholeInTheirOrder)
{
    TempDataDir dir;
    for (int i = 0; i < 6; ++i)
        dir.write(files::All[i], QByteArray(i * 7 + 1, char('a' + i)));
    const snapshot::Files got = snapshot::read(dir.path());
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(got.bytes[size_t(i)], QByteArray(i * 7 + 1, char('a' + i))) << i;
}

TEST(Snapshot, AJournalMakesItWaitThenRefuseAndAMissingFileIsNeverCreated)
{
    TempDataDir dir;
    dir.createEmptyFiles();
    dir.write(Transaction::FileName, "x");
    snapshot::Retry retry;
    retry.attempts = 3;
    retry.pauseMs = 10;
    QStringList waits;
    retry.waiting = [&](const QString &why) { waits << why; };
    try {
        snapshot::read(dir.path(), retry);
        FAIL() << "read under a journal";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(Transaction::FileName)) << e.message().toStdString();
    }
    EXPECT_EQ(waits.size(), 2);

    // The journal goes while it waits: the second attempt reads.
    waits.clear();
    retry.waiting = [&](const QString &why) {
        waits << why;
        QFile::remove(dir.file(Transaction::FileName));
    };
    EXPECT_NO_THROW(snapshot::read(dir.path(), retry));
    EXPECT_EQ(waits.size(), 1);

    QFile::remove(dir.file(files::Otdelenie));
    EXPECT_THROW(snapshot::read(dir.path(), retry), Error);
    EXPECT_FALSE(QFile::exists(dir.file(files::Otdelenie)));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 5);
}

TEST(Snapshot, AFileWrittenDuringAnAttemptMakesItUndoneAndMadeAgain)
{
    TempDataDir dir;
    dir.createEmptyFiles();
    dir.write(files::Base, QByteArray(560, 'a'));
    snapshot::Retry retry;
    retry.pauseMs = 10;
    int attempts = 0, undone = 0;
    QByteArray seen;
    snapshot::consistently(
        dir.path(), retry,
        [&](snapshot::Reader &reader) {
            ++attempts;
            seen.clear();
            reader.scan(0, 560, [&](qint64, const char *b, qint64 n) { seen.append(b, n * 560); });
            if (attempts == 1)
                dir.write(files::Base, QByteArray(1120, 'b')); // an operation appends meanwhile
        },
        [&] { ++undone; });
    EXPECT_EQ(attempts, 2);
    EXPECT_EQ(undone, 1);
    EXPECT_EQ(seen, QByteArray(1120, 'b'));

    // A caller that sees a record change between its passes asks for another attempt too.
    attempts = undone = 0;
    snapshot::consistently(
        dir.path(), retry,
        [&](snapshot::Reader &reader) {
            if (++attempts == 1)
                reader.moved();
        },
        [&] { ++undone; });
    EXPECT_EQ(attempts, 2);
    EXPECT_EQ(undone, 1);
}
