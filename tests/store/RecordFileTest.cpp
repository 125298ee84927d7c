#include "store/RecordFile.h"
#include "store/DataFiles.h"
#include "store/Platform.h"
#include "support/TempDataDir.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTranslator>
#include <gtest/gtest.h>

using namespace vedaris;

namespace {

QByteArray stockBytes(qint32 id, quint8 deleted = 0)
{
    StockRecord r;
    r.DrugName = QStringLiteral("D%1").arg(id);
    r.RecordId = id;
    r.Deleted = deleted;
    QByteArray out(StockRecord::Size, Qt::Uninitialized);
    encode(r, out.data());
    return out;
}

// A Base.dat of `n` records, those in `deleted` marked with 1.
void writeBase(const TempDataDir &dir, int n, std::initializer_list<int> deleted = {})
{
    QByteArray all;
    for (int i = 0; i < n; ++i)
        all += stockBytes(i, std::find(deleted.begin(), deleted.end(), i) != deleted.end());
    dir.write(files::Base, all);
}

} // namespace

TEST(RecordFile, AddTakesTheFirstDeletedSlotThenAppends)
{
    TempDataDir dir;
    writeBase(dir, 7, {2, 5});
    TypedFile<StockRecord> f(dir.file(files::Base));
    StockRecord r;
    r.RecordId = 99;
    EXPECT_EQ(f.add(r), 2);
    EXPECT_EQ(r.RecordId, 2);
    EXPECT_EQ(f.add(r), 5);
    EXPECT_EQ(f.add(r), 7);
    EXPECT_EQ(f.count(), 8);
    EXPECT_EQ(f.read(5).RecordId, 5);
    EXPECT_EQ(f.read(5).Deleted, 0);
}

TEST(RecordFile, OnlyAMarkOfExactlyOneIsReused)
{
    TempDataDir dir;
    QByteArray all = stockBytes(0, 2) + stockBytes(1, 1);
    dir.write(files::Base, all);
    TypedFile<StockRecord> f(dir.file(files::Base));
    StockRecord r;
    EXPECT_EQ(f.add(r), 1);
}

TEST(RecordFile, IncompleteTailIsIgnoredAndOverwrittenByAppend)
{
    TempDataDir dir;
    dir.write(files::Base, stockBytes(0) + stockBytes(1) + QByteArray(100, '\x01'));
    {
        TypedFile<StockRecord> f(dir.file(files::Base));
        EXPECT_EQ(f.count(), 2);
        int seen = 0;
        f.forEach([&](qint64, const StockRecord &) { return ++seen, true; });
        EXPECT_EQ(seen, 2);
        EXPECT_THROW(f.read(2), Error);
        StockRecord r;
        EXPECT_EQ(f.add(r), 2);
    }
    EXPECT_EQ(QFileInfo(dir.file(files::Base)).size(), 3 * StockRecord::Size);
}

TEST(RecordFile, ScanCrossesBlocksInOrderAndStops)
{
    TempDataDir dir;
    const int n = 5000; // more than one 2 MiB block of 560-byte records
    QByteArray all;
    for (int i = 0; i < n; ++i)
        all += stockBytes(i);
    dir.write(files::Base, all);
    RecordFile f(dir.file(files::Base), StockRecord::Size, RecordFile::ReadOnly);
    qint64 expect = 0;
    f.scan([&](qint64 index, const char *bytes) {
        EXPECT_EQ(index, expect);
        EXPECT_EQ(field::int32(bytes, StockRecord::IdOffset), expect);
        ++expect;
        return true;
    });
    EXPECT_EQ(expect, n);

    qint64 last = -1;
    f.scan(
        [&](qint64 index, const char *) {
            last = index;
            return index < 4000;
        },
        3990);
    EXPECT_EQ(last, 4000);
}

TEST(RecordFile, MarkDeletedChangesOnlyTheMark)
{
    TempDataDir dir;
    writeBase(dir, 3);
    const QByteArray before = dir.read(files::Base);
    {
        TypedFile<StockRecord> f(dir.file(files::Base));
        f.markDeleted(1);
        f.raw().sync();
        f.raw().close();
    }
    QByteArray expected = before;
    expected[StockRecord::Size + StockRecord::DeletedOffset] = 1;
    EXPECT_EQ(dir.read(files::Base), expected);
}

TEST(RecordFile, MissingFileThrowsAndIsNotCreated)
{
    TempDataDir dir;
    try {
        RecordFile f(dir.file(files::Rashod), IssueRecord::Size);
        FAIL() << "opened a missing file";
    } catch (const Error &e) {
        EXPECT_EQ(e.file(), dir.file(files::Rashod));
        EXPECT_FALSE(e.reason().isEmpty());
        EXPECT_TRUE(e.message().contains(files::Rashod));
    }
    EXPECT_FALSE(QFile::exists(dir.file(files::Rashod)));
}

TEST(RecordFile, WriteFailureNamesTheFileAndLeavesItUnchanged)
{
    TempDataDir dir;
    writeBase(dir, 2);
    const QByteArray before = dir.read(files::Base);

    RecordFile f(dir.file(files::Base), StockRecord::Size, RecordFile::ReadOnly);
    try {
        f.writeRaw(0, stockBytes(7));
        FAIL() << "wrote through a read-only handle";
    } catch (const Error &e) {
        EXPECT_EQ(e.file(), dir.file(files::Base));
        EXPECT_FALSE(e.reason().isEmpty());
    }
    EXPECT_THROW(f.markDeleted(0, StockRecord::DeletedOffset), Error);
    EXPECT_EQ(dir.read(files::Base), before);
}

// The program loads Qt's Russian texts, which then word some failures: the
// reasons shown stay the program's own either way.
TEST(RecordFile, FailureReasonsAreTheProgramsOwnWordsWithQtsTranslationOrWithout)
{
    const std::pair<int, const char *> cases[] = {{ENOENT, "файл не найден"},
                                                  {EACCES, "нет доступа к файлу"},
                                                  {ENOSPC, "на диске нет свободного места"},
                                                  {EMFILE, "открыто слишком много файлов"}};
    QTranslator russian;
    ASSERT_TRUE(russian.load(QStringLiteral("qtbase_ru.qm"), QStringLiteral(VEDARIS_DIST_DIR)));
    for (bool translated : {false, true}) {
        if (translated) {
            QCoreApplication::installTranslator(&russian);
            ASSERT_NE(qt_error_string(ENOENT), QLatin1String("No such file or directory"));
        }
        for (const auto &[code, words] : cases)
            EXPECT_EQ(platform::russianReason(qt_error_string(code)), QString::fromUtf8(words))
                << code << (translated ? " translated" : "");
        QFile folder(QStringLiteral(VEDARIS_DIST_DIR));
        EXPECT_FALSE(folder.open(QIODevice::ReadWrite));
        EXPECT_EQ(platform::russianReason(folder.errorString(), folder.fileName()),
                  QStringLiteral("на месте файла находится папка"))
            << folder.errorString().toStdString();
    }
    QCoreApplication::removeTranslator(&russian);
}

TEST(RecordFile, ReadOnlyFileCannotBeOpenedForWork)
{
    TempDataDir dir;
    writeBase(dir, 1);
    QFile::setPermissions(dir.file(files::Base), QFile::ReadOwner);
    QFile probe(dir.file(files::Base));
    if (probe.open(QIODevice::ReadWrite))
        GTEST_SKIP() << "file permissions are not enforced for this user";
    EXPECT_THROW(RecordFile(dir.file(files::Base), StockRecord::Size), Error);
}

TEST(DataFiles, FirstStartCreatesAllSixEmpty)
{
    TempDataDir dir;
    files::ensureExist(dir.path());
    for (const QString &name : files::All) {
        QFileInfo info(dir.file(name));
        EXPECT_TRUE(info.exists()) << name.toStdString();
        EXPECT_EQ(info.size(), 0) << name.toStdString();
    }
}

TEST(DataFiles, ExistingFilesAreNeverEmptied)
{
    TempDataDir dir;
    writeBase(dir, 2);
    dir.write(files::Otdelenie, QByteArray(60, '\x01'));
    const QByteArray base = dir.read(files::Base);
    files::ensureExist(dir.path());
    EXPECT_EQ(dir.read(files::Base), base);
    EXPECT_EQ(dir.read(files::Otdelenie), QByteArray(60, '\x01'));
    EXPECT_TRUE(QFile::exists(dir.file(files::Rashod)));
    EXPECT_EQ(QFileInfo(dir.file(files::Rashod)).size(), 0);
}
