// The one-pass readers on damaged or missing files, and their progress.

#include "ReportTestSupport.h"

#include "store/Error.h"

using namespace reporttest;

TEST(DataPass, JoinsByTheStoredRecordIdWhateverTheSlot)
{
    Data data;
    data.add(Stock{.name = "Бинт", .id = 7}); // slot 0 carries id 7
    data.add(Stock{.name = "Вата", .id = 7}); // and so does slot 1
    data.add(Stock{.name = "Йод", .id = -3});
    data.add(Stock{.name = "Зелёнка"}); // slot 3, id 3
    data.add(Issue{7, day(15), 2});
    data.add(Issue{0, day(15), 100}); // no stock line carries id 0
    data.add(Issue{-3, day(15), 4});
    data.add(Issue{-1, day(15), 100});
    data.add(Issue{999999, day(15), 100});
    data.add(Issue{3, day(15), 1});

    const QVector<IssuedLine> lines = [&] {
        TempDataDir dir;
        data.writeTo(dir);
        return pass::consumption(dir.path(), day(1), day(28));
    }();
    QStringList names;
    QVector<double> quantities;
    for (const IssuedLine &l : lines) {
        names << l.stock.DrugName;
        quantities << l.quantity;
    }
    EXPECT_EQ(names, (QStringList{"Бинт", "Вата", "Йод", "Зелёнка"}));
    EXPECT_EQ(quantities, (QVector<double>{2, 2, 4, 1}));
}

TEST(DataPass, IgnoresAnIncompleteTailRecord)
{
    Data data;
    data.add(Stock{.name = "Бинт"});
    data.add(Issue{0, day(15), 2});
    TempDataDir dir;
    data.writeTo(dir);
    dir.write("Base.dat", dir.read("Base.dat") + QByteArray(100, '\x01'));
    dir.write("Rashod.dat", dir.read("Rashod.dat") + QByteArray(607, '\0'));
    const QVector<IssuedLine> lines = pass::consumption(dir.path(), day(1), day(28));
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].quantity, 2);
}

// Sums add up issue by issue in file order, as re-reading the issue file for
// every stock line does: the result is bit for bit the same.
TEST(DataPass, SumsInFileOrder)
{
    Data data;
    data.add(Stock{.name = "Бинт", .price = 1});
    const double q[] = {0.1, 1e16, 0.2, -1e16, 0.3};
    for (double x : q)
        data.add(Issue{0, day(15), x});
    TempDataDir dir;
    data.writeTo(dir);
    const QVector<IssuedLine> lines = pass::consumption(dir.path(), day(1), day(28));
    ASSERT_EQ(lines.size(), 1);
    double expected = 0;
    for (double x : q)
        expected += x;
    EXPECT_EQ(lines[0].quantity, expected);
}

TEST(DataPass, MissingFileIsAnErrorNamingTheFile)
{
    struct Case
    {
        ReportKind kind;
        const char *removed;
    };
    for (const Case &c :
         {Case{ReportKind::Stock, "Base.dat"}, Case{ReportKind::Consumption, "Rashod.dat"},
          Case{ReportKind::Departments, "Otdelenie.dat"},
          Case{ReportKind::Movement, "NamePreparat.dat"}}) {
        SCOPED_TRACE(c.removed);
        TempDataDir dir;
        Data().writeTo(dir);
        QFile::remove(dir.file(c.removed));
        try {
            runReport(c.kind, dir.path(), periodParams(day(1), day(2)));
            ADD_FAILURE() << "no error";
        } catch (const vedaris::Error &e) {
            EXPECT_TRUE(e.file().endsWith(c.removed)) << qPrintable(e.file());
            EXPECT_FALSE(e.reason().isEmpty());
        }
        EXPECT_FALSE(QFile::exists(dir.file(c.removed))); // reading never creates a file
    }
}

TEST(DataPass, ProgressRisesToHundred)
{
    Data data;
    for (int i = 0; i < 30; ++i)
        data.add(Stock{.name = QString::number(i)});
    for (int i = 0; i < 70; ++i)
        data.add(Issue{i % 30, day(15), 1});
    TempDataDir dir;
    data.writeTo(dir);
    QVector<int> seen;
    runReport(ReportKind::IssueDates, dir.path(), periodParams(day(1), day(28)),
              [&](int p) { seen << p; });
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 100);
    EXPECT_GE(seen.size(), 50);
}
