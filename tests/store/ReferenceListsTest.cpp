#include "store/ReferenceLists.h"
#include "store/DataFiles.h"
#include "store/RecordFile.h"
#include "support/TempDataDir.h"

#include <gtest/gtest.h>

using namespace vedaris;
using Result = ReferenceList::AddResult;

namespace {

QByteArray entryBytes(const QString &name, qint32 id, quint8 deleted)
{
    ReferenceEntry e;
    e.Name = name;
    e.EntryId = id;
    e.Deleted = deleted;
    QByteArray out(ReferenceEntry::Size, Qt::Uninitialized);
    encode(e, out.data());
    return out;
}

struct RefFixture : ::testing::Test
{
    TempDataDir dir;
    ReferenceList suppliers{dir.path(), RefKind::Suppliers};
    ReferenceList drugs{dir.path(), RefKind::DrugNames};

    void SetUp() override { dir.createEmptyFiles(); }

    QVector<qint32> liveIds(const ReferenceList &list) const
    {
        QVector<qint32> ids;
        for (const RefRow &row : list.liveRows())
            ids.append(row.entryId);
        return ids;
    }
};

} // namespace

TEST_F(RefFixture, FirstEntryLandsAtRecordZero)
{
    EXPECT_TRUE(suppliers.liveRows().isEmpty());
    EXPECT_EQ(suppliers.add(QStringLiteral("Фарм")), Result::Stored);
    QByteArray expected(60, '\0');
    expected.replace(0, 5, QByteArray::fromHex("04 d4 e0 f0 ec"));
    EXPECT_EQ(dir.read(files::FirmaPostav).toHex(' '), expected.toHex(' '));
}

TEST_F(RefFixture, DuplicateTestNormalisesNames)
{
    ASSERT_EQ(suppliers.add(QStringLiteral("Анальгин 0,5")), Result::Stored);
    for (const char *typed : {"анальгин 05", " АНАЛЬГИН0.5", "а-н_а/льгин,0 5\n"})
        EXPECT_EQ(suppliers.add(QString::fromUtf8(typed)), Result::Duplicate) << typed;
    EXPECT_EQ(suppliers.add(QStringLiteral("Анальгин\t0,5")), Result::Stored); // an inner tab stays
    EXPECT_EQ(suppliers.liveNames(),
              QStringList({QStringLiteral("Анальгин 0,5"), QStringLiteral("Анальгин\t0,5")}));
}

TEST_F(RefFixture, SpacesOnlyNameIsStoredOnce)
{
    EXPECT_EQ(suppliers.add(QStringLiteral("   ")), Result::Stored);
    EXPECT_EQ(suppliers.liveNames(), QStringList{QStringLiteral("   ")});
    EXPECT_EQ(suppliers.add(QStringLiteral(" ")), Result::Duplicate);
}

TEST_F(RefFixture, SlotsAreReusedLowestFirstThenAppended)
{
    QByteArray all;
    for (int i = 0; i < 5; ++i)
        all += entryBytes(QStringLiteral("F%1").arg(i), i, i == 1 || i == 3);
    dir.write(files::FirmaPostav, all);

    // A deleted name is accepted again, into the first deleted slot.
    EXPECT_EQ(suppliers.add(QStringLiteral("F3")), Result::Stored);
    EXPECT_EQ(suppliers.add(QStringLiteral("G")), Result::Stored);
    EXPECT_EQ(suppliers.add(QStringLiteral("H")), Result::Stored);
    EXPECT_EQ(liveIds(suppliers), QVector<qint32>({0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(suppliers.liveNames(), QStringList({"F0", "F3", "F2", "G", "F4", "H"}));
}

TEST_F(RefFixture, AnyNonZeroMarkIsDeletedButOnlyOneIsReused)
{
    dir.write(files::Otdelenie, entryBytes(QStringLiteral("Хирургия"), 0, 2));
    ReferenceList departments(dir.path(), RefKind::Departments);
    EXPECT_TRUE(departments.liveRows().isEmpty());
    EXPECT_EQ(departments.add(QStringLiteral("хирургия")), Result::Stored);
    EXPECT_EQ(liveIds(departments), QVector<qint32>{1});
}

TEST_F(RefFixture, DrugNamesCompareTheUnitFirst)
{
    ASSERT_EQ(drugs.add(QStringLiteral("X"), QStringLiteral("Таблетки")), Result::Stored);
    EXPECT_EQ(drugs.add(QStringLiteral("X"), QStringLiteral("Ампулы")), Result::Stored);
    EXPECT_EQ(drugs.add(QStringLiteral("x."), QStringLiteral("таблетки")), Result::Duplicate);
    // The unit is only lower-cased: not trimmed, nothing removed.
    EXPECT_EQ(drugs.add(QStringLiteral("X"), QStringLiteral("Таблетки ")), Result::Stored);
    const QVector<RefRow> rows = drugs.liveRows();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[1].unit, QStringLiteral("Ампулы"));
}

// A typed text is compared as it would be stored, so an over-long name (or
// unit) or one with characters the code page lacks is not stored again.
TEST_F(RefFixture, TypedTextIsComparedAsItWouldBeStored)
{
    const QString longName(60, QChar(u'ф'));
    EXPECT_EQ(suppliers.add(longName), Result::Stored);
    EXPECT_EQ(suppliers.liveNames(), QStringList{QString(50, QChar(u'ф'))});
    EXPECT_EQ(suppliers.add(longName), Result::Duplicate);

    EXPECT_EQ(suppliers.add(QStringLiteral("Ωmega")), Result::Stored);
    EXPECT_EQ(suppliers.add(QStringLiteral("Ωmega")), Result::Duplicate);
    EXPECT_EQ(suppliers.liveNames().last(), QStringLiteral("?mega"));

    const QString longUnit(40, QChar(u'u'));
    EXPECT_EQ(drugs.add(QString(300, QChar(u'n')), longUnit), Result::Stored);
    EXPECT_EQ(drugs.add(QString(300, QChar(u'n')), longUnit), Result::Duplicate);
}

TEST_F(RefFixture, RemoveMarksTheFirstRecordWithTheIdWhateverItsMark)
{
    // Record 1 carries id 2 (a damaged file); record 2 also has id 2.
    const QByteArray all = entryBytes("A", 0, 0) + entryBytes("B", 2, 1) + entryBytes("C", 2, 0);
    dir.write(files::Izgotovitel, all);
    ReferenceList makers(dir.path(), RefKind::Manufacturers);
    makers.remove(2);
    EXPECT_EQ(dir.read(files::Izgotovitel), all); // record 1 was already marked
    makers.remove(0);
    QByteArray expected = all;
    expected[ReferenceEntry::DeletedOffset] = 1;
    EXPECT_EQ(dir.read(files::Izgotovitel), expected);
    makers.remove(42); // no such entry: nothing changes
    EXPECT_EQ(dir.read(files::Izgotovitel), expected);
}

TEST(ReferenceList, MissingFileThrows)
{
    TempDataDir dir;
    ReferenceList list(dir.path(), RefKind::Departments);
    EXPECT_THROW(list.add(QStringLiteral("A")), Error);
    EXPECT_THROW(list.liveRows(), Error);
    EXPECT_FALSE(QFile::exists(dir.file(files::Otdelenie)));
}
