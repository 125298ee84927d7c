// The history every operation leaves, and the undo that puts it back: one
// table of operations, each recorded, each undone, each refused after a later
// change of its records.

#include "store/History.h"
#include "operations/StockOperations.h"
#include "operations/Undo.h"
#include "store/Backup.h"
#include "store/Clock.h"
#include "store/DataFiles.h"
#include "store/Error.h"
#include "store/IntegrityCheck.h"
#include "store/Journal.h"
#include "store/ReferenceLists.h"
#include "store/WriteGate.h"
#include "support/Batches.h"
#include "support/TempDataDir.h"

#include <QDir>
#include <functional>
#include <gtest/gtest.h>

using namespace vedaris;

namespace {

const auto input = [](const QString &name, const QString &qty) {
    return test::batchInput(name, qty);
};
const auto issue = test::issueToSurgery;

using Files = QMap<QString, QByteArray>;

Files dataFiles(const TempDataDir &dir)
{
    Files s;
    for (const QString &f : files::All)
        s[f] = dir.read(f);
    return s;
}

// Batches 0..2, issues from 0 and 1, a department: written by the operations.
void build(const TempDataDir &dir)
{
    dir.createEmptyFiles();
    for (const char *name : {"Анальгин", "Бинт", "Вата"})
        ops::storeReceipt(dir.path(), input(QString::fromUtf8(name), QStringLiteral("10")));
    issue(dir.path(), 0, QStringLiteral("1"));
    issue(dir.path(), 1, QStringLiteral("2"));
    ReferenceList(dir.path(), RefKind::Departments).add(QStringLiteral("Хирургия"));
    ReferenceList(dir.path(), RefKind::DrugNames).add(QStringLiteral("Бинт"), QStringLiteral("шт"));
}

std::vector<history::Entry> entries(const QString &dir)
{
    std::vector<history::Entry> out;
    history::Reader r(dir);
    r.newestFirst([&](const history::Entry &e) {
        out.push_back(e);
        return true;
    });
    return out;
}

struct Case
{
    const char *name;
    QString kind;
    const char *title; // the start of the entry's title
    std::function<void(const QString &)> run;
    QStringList files; // the data files the entry names records of
    // A later operation that changes a record of this one: the undo is refused.
    std::function<void(const QString &)> later;
};

const std::vector<Case> &cases()
{
    using namespace history::kind;
    static const std::vector<Case> all = {
        {"receipt",
         Receipt,
         "Приход 5 уп препарата \"Йод\"",
         [](const QString &d) { ops::storeReceipt(d, input("Йод", "5")); },
         {files::Base},
         [](const QString &d) { issue(d, 3, "1"); }},
        {"edit",
         Edit,
         "Изменение записи \"Правка\"",
         [](const QString &d) { ops::storeEdit(d, 2, input("Правка", "7")); },
         {files::Base},
         [](const QString &d) { issue(d, 2, "1"); }},
        {"issue",
         Issue,
         "Выдача 3 уп препарата \"Анальгин\" в отделение \"Хирургия\"",
         [](const QString &d) { issue(d, 0, "3"); },
         {files::Base, files::Rashod},
         [](const QString &d) { issue(d, 0, "1"); }},
        {"write-off",
         WriteOff,
         "Списание 1 уп препарата \"Бинт\" (Повреждение)",
         [](const QString &d) {
             ops::storeWriteOff(d, 1, ops::readBatch(d, 1), "1", QStringLiteral("Повреждение"),
                                QDate(2024, 3, 1));
         },
         {files::Base, files::Rashod, files::Otdelenie},
         [](const QString &d) { issue(d, 1, "1"); }},
        {"delete",
         Delete,
         "Удаление записи \"Анальгин\" вместе с её выдачами (1)",
         [](const QString &d) { ops::deleteBatch(d, 0); },
         {files::Base, files::Rashod},
         [](const QString &d) {
             ops::storeReceipt(d, input("Новый", "1"));
         }}, // takes the freed slot
        {"department added",
         ReferenceAdd,
         "Добавление отделения \"Терапия\"",
         [](const QString &d) {
             ReferenceList(d, RefKind::Departments).add(QStringLiteral("Терапия"));
         },
         {files::Otdelenie},
         [](const QString &d) { ReferenceList(d, RefKind::Departments).remove(1); }},
        {"drug name removed",
         ReferenceDelete,
         "Удаление препарата \"Бинт\"",
         [](const QString &d) { ReferenceList(d, RefKind::DrugNames).remove(0); },
         {files::NamePreparat},
         [](const QString &d) {
             ReferenceList(d, RefKind::DrugNames).add(QStringLiteral("Йод"), "фл");
         }},
        {"restore of a copy",
         Restore,
         "Восстановление данных из резервной копии \"2020-01-01\"",
         [](const QString &d) {
             const QString copy = backup::folder(d) + QStringLiteral("/2020-01-01");
             QDir().mkpath(copy);
             for (const QString &f : files::All)
                 QFile::copy(files::path(d, f), copy + QLatin1Char('/') + f);
             // The copy has one batch less than the files it replaces.
             QFile base(copy + QStringLiteral("/Base.dat"));
             base.open(QIODevice::ReadWrite);
             base.resize(2 * StockRecord::Size);
             base.close();
             backup::restore(d, QStringLiteral("2020-01-01"));
         },
         {files::Base},
         [](const QString &d) { ops::storeReceipt(d, input("Новый", "1")); }},
    };
    return all;
}

class HistoryOf : public testing::TestWithParam<Case>
{
protected:
    void SetUp() override
    {
        Clock::setFixedNow(QDateTime(QDate(2026, 12, 9), QTime(10, 30)));
        build(dir);
    }
    void TearDown() override { Clock::setFixedToday(std::nullopt); }
    TempDataDir dir;
};

TEST_P(HistoryOf, AnEntryWithEveryRecordBeforeAndAfter)
{
    const Case &c = GetParam();
    const Files before = dataFiles(dir);
    const size_t count = entries(dir.path()).size();
    c.run(dir.path());
    const Files after = dataFiles(dir);
    const auto all = entries(dir.path());
    ASSERT_EQ(all.size(), count + 1);
    const history::Entry &e = all.front();
    EXPECT_EQ(e.number, count + 1);
    EXPECT_EQ(e.kind, c.kind);
    EXPECT_TRUE(e.title().startsWith(QString::fromUtf8(c.title))) << e.title().toStdString();
    EXPECT_FALSE(e.title().contains(QStringLiteral("отмен"))) << e.title().toStdString();
    EXPECT_EQ(e.when, QDateTime(QDate(2026, 12, 9), QTime(10, 30)));
    EXPECT_EQ(e.undoes, -1);
    // Every record that differs is named with both its images, and no other.
    QStringList named;
    for (const history::RecordChange &r : e.records) {
        const int size = history::recordSize(r.file);
        EXPECT_EQ(r.before, before[r.file].mid(r.index * size, size))
            << r.file.toStdString() << " " << r.index;
        EXPECT_EQ(r.after, after[r.file].mid(r.index * size, size))
            << r.file.toStdString() << " " << r.index;
        EXPECT_NE(r.before, r.after);
        if (!named.contains(r.file))
            named << r.file;
    }
    for (const QString &f : files::All) {
        const int size = history::recordSize(f);
        for (qint64 i = 0; i * size < std::max(before[f].size(), after[f].size()); ++i) {
            const bool differs = before[f].mid(i * size, size) != after[f].mid(i * size, size);
            const bool listed = std::any_of(e.records.begin(), e.records.end(), [&](const auto &r) {
                return r.file == f && r.index == i;
            });
            EXPECT_EQ(differs, listed) << f.toStdString() << " record " << i;
        }
    }
    named.sort();
    QStringList expected = c.files;
    expected.sort();
    EXPECT_EQ(named, expected);
    EXPECT_TRUE(history::verify(dir.path()).problems.isEmpty());
}

TEST_P(HistoryOf, UndoPutsEveryByteBackAndIsRecorded)
{
    const Case &c = GetParam();
    const Files before = dataFiles(dir);
    c.run(dir.path());
    const auto target = entries(dir.path()).front();

    const ops::UndoResult undone = ops::undoLast(dir.path());
    ASSERT_TRUE(undone.done) << undone.text.toStdString();
    EXPECT_EQ(dataFiles(dir), before);
    EXPECT_TRUE(check::run(dir.path()).findings.isEmpty());
    const auto all = entries(dir.path());
    EXPECT_EQ(all.front().kind, history::kind::Undo);
    EXPECT_EQ(all.front().undoes, target.offset);
    EXPECT_TRUE(history::verify(dir.path()).problems.isEmpty());
    // The next undo goes on to the operation before: the department added by build().
    const auto next = ops::lastUndoable(dir.path());
    ASSERT_TRUE(next);
    EXPECT_EQ(next->number, target.number - 1);
}

TEST_P(HistoryOf, UndoIsRefusedAfterALaterChangeOfItsRecords)
{
    const Case &c = GetParam();
    c.run(dir.path());
    c.later(dir.path());
    const auto all = entries(dir.path());
    const history::Entry &later = all[0], &target = all[1];
    const QString why = ops::undoRefusal(dir.path(), target);
    EXPECT_TRUE(why.contains(QStringLiteral("операцией \"%1\"").arg(later.title())))
        << why.toStdString();
    // The later operation is the one undone first; then the way is clear.
    const Files before = dataFiles(dir);
    ASSERT_TRUE(ops::undoLast(dir.path()).done);
    EXPECT_NE(dataFiles(dir), before);
    EXPECT_EQ(ops::undoRefusal(dir.path(), target), QString());
}

INSTANTIATE_TEST_SUITE_P(Operations, HistoryOf, testing::ValuesIn(cases()),
                         [](const testing::TestParamInfo<Case> &i) {
                             std::string n = i.param.name;
                             for (char &ch : n)
                                 if (!isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return n;
                         });

TEST(Undo, RefusedByAnotherProgramAndWritesNothing)
{
    TempDataDir dir;
    build(dir);
    ops::storeEdit(dir.path(), 2, input("Правка", "7"));
    QByteArray base = dir.read(files::Base);
    base[2 * StockRecord::Size + 1] = 'X'; // the old program changed the name
    dir.write(files::Base, base);
    const size_t count = entries(dir.path()).size();
    const ops::UndoResult r = ops::undoLast(dir.path());
    EXPECT_FALSE(r.done);
    EXPECT_TRUE(r.text.contains(QStringLiteral("другой программой"))) << r.text.toStdString();
    EXPECT_EQ(dir.read(files::Base), base);
    EXPECT_EQ(entries(dir.path()).size(), count);
}

TEST(Undo, ReceiptRefusedWhileItsBatchHasIssues)
{
    TempDataDir dir;
    build(dir);
    ops::storeReceipt(dir.path(), input("Йод", "5"));
    // An issue of the new batch that left the batch's record alone (written
    // by another program): the receipt still may not go.
    QByteArray rashod = dir.read(files::Rashod);
    QByteArray issue = rashod.left(IssueRecord::Size);
    issue[IssueRecord::StockRecordIdOffset] = 3;
    dir.write(files::Rashod, rashod + issue);
    const ops::UndoResult r = ops::undoLast(dir.path());
    EXPECT_FALSE(r.done);
    EXPECT_TRUE(r.text.contains(QStringLiteral("уже есть выдачи"))) << r.text.toStdString();
    dir.write(files::Rashod, rashod);
    EXPECT_TRUE(ops::undoLast(dir.path()).done);
}

TEST(Undo, DeletionBringsTheBatchAndItsIssuesBackAcrossARestart)
{
    TempDataDir dir;
    build(dir);
    issue(dir.path(), 0, "2");
    const Files before = dataFiles(dir);
    ops::deleteBatch(dir.path(), 0);
    // A restart: the journal's recovery and the history's tail check run, no state is kept.
    journal::recover(dir.path());
    EXPECT_TRUE(history::repairTail(dir.path()).isEmpty());
    const ops::UndoResult r = ops::undoLast(dir.path());
    ASSERT_TRUE(r.done) << r.text.toStdString();
    EXPECT_EQ(dataFiles(dir), before);
    // Two undos in a row walk back: the issue goes next.
    ASSERT_TRUE(ops::undoLast(dir.path()).done);
    EXPECT_EQ(dir.read(files::Rashod).size(), before[files::Rashod].size() - IssueRecord::Size);
}

TEST(Undo, NothingToUndoAndViewOnly)
{
    TempDataDir dir;
    dir.createEmptyFiles();
    EXPECT_FALSE(ops::undoLast(dir.path()).done);
    ops::storeReceipt(dir.path(), input("Йод", "5"));
    writes::forbid(dir.path(), QStringLiteral("только просмотр"));
    EXPECT_THROW(ops::undoLast(dir.path()), Error);
    writes::reset(dir.path());
    EXPECT_TRUE(ops::undoLast(dir.path()).done);
    EXPECT_EQ(dir.read(files::Base).size(), 0);
    EXPECT_FALSE(ops::undoLast(dir.path()).done);
}

} // namespace
