// The department blocks, the movement statement and the issue-dates blocks.

#include "ReportTestSupport.h"
#include "store/Error.h"

#include <QFile>

using namespace reporttest;

TEST(DepartmentsReport, OneBlockPerDepartmentInFileOrder)
{
    Data data;
    data.addDepartment("Терапия");
    data.addDepartment("Глазное"); // nothing issued to it
    data.addDepartment("Хирургия");
    data.addDepartment("Старое", true);
    data.add(Stock{.name = "Вата", .price = 2});
    data.add(Stock{.name = "Бинт", .price = 3});
    data.add(Issue{1, day(10), 1, "Хирургия"});
    data.add(Issue{0, day(12), 2, "Хирургия"});
    data.add(Issue{0, day(20), 3, "Терапия"});
    data.add(Issue{0, day(13), 5, "Хирургия"});
    data.add(Issue{0, day(14), 7, "терапия"}); // another spelling: no block
    data.add(Issue{0, day(14), 7, "Старое"}); // a deleted department
    data.add(Issue{0, day(21), 7, "Терапия"}); // after the period

    const Outcome out = run(ReportKind::Departments, data, periodParams(day(10), day(20)));
    ASSERT_FALSE(out.empty());
    const Workbook &b = *out.workbook;
    EXPECT_EQ(txt(b, 1, 1), "Отчёт израсходованных лекарственных средств");
    EXPECT_EQ(txt(b, 2, 1), "с 10.02.2024 по 20.02.2024 года для всех отделений.");
    EXPECT_EQ(b.format(2, 1).fontSize, 14);
    EXPECT_TRUE(b.format(2, 1).bold);

    // First block: heading row 3, header row 5, one line, totals row 7.
    EXPECT_EQ(txt(b, 3, 1), "Терапия.");
    EXPECT_TRUE(b.format(3, 1).bold);
    EXPECT_EQ(b.format(3, 1).fontSize, 14);
    EXPECT_EQ(b.format(3, 1).hAlign, HAlign::Center);
    EXPECT_TRUE(blank(b, 4, 1));
    EXPECT_EQ(txt(b, 5, 1), "№");
    EXPECT_EQ(txt(b, 5, 8), "Общая сумма");
    EXPECT_TRUE(b.format(5, 8).border);
    EXPECT_EQ(b.format(5, 8).fontSize, 10);
    EXPECT_EQ(num(b, 6, 1), 1);
    EXPECT_EQ(txt(b, 6, 2), "Вата");
    EXPECT_EQ(num(b, 6, 6), 3);
    EXPECT_EQ(num(b, 6, 8), 6);
    EXPECT_EQ(txt(b, 7, 5), "ИТОГО:");
    EXPECT_EQ(num(b, 7, 6), 3);
    EXPECT_EQ(num(b, 7, 8), 6);
    EXPECT_FALSE(b.format(7, 4).border);

    // Second block three rows below the totals row; rows in Base.dat order,
    // the same stock line as in the first block with this department's figures.
    EXPECT_EQ(txt(b, 10, 1), "Хирургия.");
    EXPECT_EQ(txt(b, 12, 2), "Наименование");
    EXPECT_EQ(num(b, 13, 1), 1);
    EXPECT_EQ(txt(b, 13, 2), "Вата");
    EXPECT_EQ(num(b, 13, 6), 7);
    EXPECT_EQ(num(b, 13, 8), 14);
    EXPECT_EQ(num(b, 14, 1), 2);
    EXPECT_EQ(txt(b, 14, 2), "Бинт");
    EXPECT_EQ(num(b, 15, 6), 8);
    EXPECT_EQ(num(b, 15, 8), 17);
    EXPECT_EQ(b.lastRow(), 15);

    EXPECT_EQ(b.merges(),
              (QVector<Range>{Range::parse("A1:H1"), Range::parse("A2:H2"), Range::parse("A3:H3"),
                              Range::parse("A10:H10")}));
    EXPECT_EQ(b.pageSetup().zoom, 80);
    EXPECT_EQ(b.pageSetup().orientation, 1);
}

TEST(DepartmentsReport, NothingIssuedToAListedDepartment)
{
    Data data;
    data.addDepartment("Терапия");
    data.add(Stock{.name = "Вата"});
    data.add(Issue{0, day(12), 2, "Хирургия"});
    const Outcome out = run(ReportKind::Departments, data, periodParams(day(10), day(20)));
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(out.emptyMessage, messages::NoDepartmentConsumption);
}

// The worked example: one drug, February; 05.03 counts nowhere.
TEST(MovementReport, WorkedExample)
{
    Data data;
    data.addName("Анальгин", "шт");
    const qint32 first = data.add(Stock{.name = "Анальгин",
                                        .received = day(15, 1),
                                        .quantity = 3,
                                        .price = 5,
                                        .receivedQuantity = 10});
    const qint32 second = data.add(Stock{
        .name = "Анальгин", .received = day(10), .quantity = 3, .price = 5, .receivedQuantity = 5});
    data.add(Issue{first, day(20, 1), 4});
    data.add(Issue{first, day(12), 3});
    data.add(Issue{second, day(5, 3), 2});

    const Outcome out = run(ReportKind::Movement, data, periodParams(day(1), day(28)));
    ASSERT_FALSE(out.empty());
    const Workbook &b = *out.workbook;
    EXPECT_EQ(txt(b, 1, 1), "Отчёт о движении медикаментов");
    EXPECT_EQ(txt(b, 2, 1), "и средств медицинского назначения с 01.02.2024 по 28.02.2024 года.");
    EXPECT_EQ(num(b, 6, 1), 1);
    EXPECT_EQ(txt(b, 6, 2), "Анальгин");
    EXPECT_EQ(txt(b, 6, 3), "шт");
    QVector<double> figures;
    for (int c = 4; c <= 11; ++c)
        figures << num(b, 6, c);
    EXPECT_EQ(figures, (QVector<double>{6, 30, 5, 25, 3, 15, 8, 40}));
    EXPECT_TRUE(blank(b, 7, 2));
    EXPECT_TRUE(b.format(6, 11).border);
    EXPECT_FALSE(b.format(7, 11).border);
}

// The balances of one drug from its eight running totals.
TEST(MovementBalance, NeverBelowZeroAndTheClosingBuildsOnTheCorrectedOpening)
{
    struct Case
    {
        const char *what;
        MovementLine line;
        MovementBalance expected;
    };
    const Case cases[] = {
        {"worked example",
         {.receivedBeforeQuantity = 10,
          .receivedBeforeSum = 50,
          .receivedQuantity = 5,
          .receivedSum = 25,
          .issuedBeforeQuantity = 4,
          .issuedBeforeSum = 20,
          .issuedQuantity = 3,
          .issuedSum = 15},
         {6, 30, 8, 40}},
        {"nothing at all", {}, {0, 0, 0, 0}},
        {"more issued than received before: closing from zero",
         {.receivedBeforeQuantity = 2,
          .receivedBeforeSum = 10,
          .receivedQuantity = 4,
          .receivedSum = 20,
          .issuedBeforeQuantity = 5,
          .issuedBeforeSum = 25,
          .issuedQuantity = 1,
          .issuedSum = 5},
         {0, 0, 3, 15}},
        {"more issued than there was in the period",
         {.receivedBeforeQuantity = 1,
          .receivedBeforeSum = 5,
          .issuedQuantity = 3,
          .issuedSum = 15},
         {1, 5, 0, 0}},
        {"quantity and sum cut each on its own",
         {.receivedBeforeQuantity = 5,
          .receivedBeforeSum = 1,
          .receivedSum = 2,
          .issuedBeforeQuantity = 1,
          .issuedBeforeSum = 3},
         {4, 0, 4, 2}},
        {"a rounding residue below zero is cut",
         {.receivedBeforeQuantity = 0.3, .issuedBeforeQuantity = 0.1, .issuedQuantity = 0.2},
         {0.3 - 0.1, 0, 0, 0}},
    };
    for (const Case &c : cases) {
        const MovementBalance b = MovementBalance::of(c.line);
        EXPECT_EQ(b.openingQuantity, c.expected.openingQuantity) << c.what;
        EXPECT_EQ(b.openingSum, c.expected.openingSum) << c.what;
        EXPECT_EQ(b.closingQuantity, c.expected.closingQuantity) << c.what;
        EXPECT_EQ(b.closingSum, c.expected.closingSum) << c.what;
    }
}

TEST(MovementReport, TwoRowHeader)
{
    Data data;
    data.addName("Анальгин", "шт");
    data.add(Stock{.name = "Анальгин"});
    const Outcome out = run(ReportKind::Movement, data, periodParams(day(1), day(28)));
    ASSERT_FALSE(out.empty());
    const Workbook &b = *out.workbook;
    EXPECT_EQ(
        b.merges(),
        (QVector<Range>{Range::parse("A1:K1"), Range::parse("A2:K2"), Range::parse("A4:A5"),
                        Range::parse("B4:B5"), Range::parse("C4:C5"), Range::parse("D4:E4"),
                        Range::parse("F4:G4"), Range::parse("H4:I4"), Range::parse("J4:K4")}));
    EXPECT_EQ(txt(b, 4, 1), "№ п/п");
    EXPECT_EQ(txt(b, 4, 4), "Остаток на начало периода");
    EXPECT_EQ(txt(b, 4, 10), "Остаток на конец периода");
    EXPECT_EQ(txt(b, 5, 4), "Кол-во");
    EXPECT_EQ(txt(b, 5, 11), "Сумма");
    EXPECT_TRUE(b.format(4, 2).wrap);
    EXPECT_FALSE(b.format(4, 4).wrap);
    EXPECT_EQ(b.format(5, 9).vAlign, VAlign::Center);
    EXPECT_EQ(b.format(5, 9).fontSize, 10);
    EXPECT_TRUE(b.format(5, 9).border);
    // 4 and 11 characters, widened to "№ п/п" and to their share of
    // "Остаток на конец периода" over J:K.
    EXPECT_EQ(b.columnWidth(1), 7);
    EXPECT_EQ(b.columnWidth(11), 13);
    EXPECT_EQ(b.pageSetup().zoom, 95);
    EXPECT_EQ(b.pageSetup().orientation, 2);
}

TEST(MovementReport, WhichDrugsAndFiguresAppear)
{
    struct Case
    {
        const char *what;
        QDate start, finish;
        std::function<void(Data &)> fill;
        QStringList rows; // column B top down (sorted)
        QVector<double> firstRowFigures = {}; // D to K of row 6, when given
    };
    const Case cases[] = {
        {"a unit differing by case is another drug",
         day(1),
         day(28),
         [](Data &d) {
             d.addName("Бинт", "шт");
             d.add(Stock{.name = "Бинт", .unit = "Шт"});
         },
         {}},
        {"a deleted name entry with a live twin gives one row",
         day(1),
         day(28),
         [](Data &d) {
             d.addName("Бинт", "шт", true);
             d.addName("Бинт", "шт");
             d.add(Stock{.name = "Бинт", .quantity = 2, .price = 1});
         },
         {"Бинт"},
         {2, 2, 0, 0, 0, 0, 2, 2}},
        {"a drug known only by a deleted entry is listed",
         day(1),
         day(28),
         [](Data &d) {
             d.addName("Бинт", "шт", true);
             d.add(Stock{.name = "Бинт", .quantity = 2, .price = 1});
         },
         {"Бинт"}},
        {"deleted stock and deleted issues count nowhere",
         day(1),
         day(28),
         [](Data &d) {
             d.addName("Бинт", "шт");
             d.add(Stock{.name = "Бинт", .received = day(5), .quantity = 9, .price = 1});
             d.add(Stock{.name = "Бинт", .received = day(5), .quantity = 50, .deleted = true});
             d.add(Issue{0, day(6), 1, "Хирургия", true});
             d.add(Issue{1, day(6), 2});
         },
         {"Бинт"},
         {0, 0, 9, 9, 0, 0, 9, 9}},
        {"bounds: the day before Start opens, Start and Finish are in, after Finish nowhere",
         day(10),
         day(20),
         [](Data &d) {
             d.addName("Бинт", "шт");
             d.add(Stock{.name = "Бинт", .received = day(9), .quantity = 100, .price = 1});
             d.add(Stock{.name = "Бинт", .received = day(10), .quantity = 10, .price = 1});
             d.add(Stock{.name = "Бинт", .received = day(20), .quantity = 20, .price = 1});
             d.add(Stock{.name = "Бинт", .received = day(21), .quantity = 1000, .price = 1});
             d.add(Issue{0, day(9), 1});
             d.add(Issue{0, day(10), 2});
             d.add(Issue{1, day(20), 4});
             d.add(Issue{2, day(21), 8});
         },
         {"Бинт"},
         {99, 99, 30, 30, 6, 6, 123, 123}},
        {"issues beyond receipts before Start clamp the opening at 0",
         day(10),
         day(20),
         [](Data &d) {
             d.addName("Бинт", "шт");
             d.add(Stock{.name = "Бинт", .received = day(1), .quantity = 5, .price = 1});
             d.add(Issue{0, day(2), 8});
             d.add(Issue{0, day(12), 1});
         },
         {"Бинт"},
         {0, 0, 0, 0, 1, 1, 0, 0}},
        {"start after finish: opening equals closing",
         day(20),
         day(10),
         [](Data &d) {
             d.addName("Бинт", "шт");
             d.add(Stock{.name = "Бинт", .received = day(15), .quantity = 5, .price = 1});
             d.add(Issue{0, day(16), 2});
         },
         {"Бинт"},
         {3, 3, 0, 0, 0, 0, 3, 3}},
        {"stock received after Finish gives a row of zeros",
         day(1),
         day(5),
         [](Data &d) {
             d.addName("Вата", "г");
             d.addName("Бинт", "шт");
             d.add(Stock{.name = "Бинт", .received = day(15)});
             d.add(Stock{.name = "Вата", .unit = "г", .received = day(1)});
         },
         {"Бинт", "Вата"},
         {0, 0, 0, 0, 0, 0, 0, 0}},
        {"no names at all", day(1), day(28), [](Data &d) { d.add(Stock{.name = "Бинт"}); }, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Data data;
        c.fill(data);
        const Outcome out = run(ReportKind::Movement, data, periodParams(c.start, c.finish));
        if (c.rows.isEmpty()) {
            EXPECT_TRUE(out.empty());
            EXPECT_EQ(out.emptyMessage, messages::NoMovement);
            continue;
        }
        ASSERT_FALSE(out.empty());
        EXPECT_EQ(column(*out.workbook, 2, 6), c.rows);
        if (!c.firstRowFigures.isEmpty()) {
            QVector<double> figures;
            for (int col = 4; col <= 11; ++col)
                figures << num(*out.workbook, 6, col);
            EXPECT_EQ(figures, c.firstRowFigures);
        }
    }
}

TEST(IssueDatesReport, BlocksOfThreeAndOneIssue)
{
    Data data;
    data.add(Stock{.name = "Бинт", .price = 2.5, .series = "000777"});
    data.add(Stock{.name = "Вата", .price = 4});
    data.add(Stock{.name = "Йод"}); // nothing in the period
    data.add(Issue{0, day(11), 1});
    data.add(Issue{1, day(12), 0.5});
    data.add(Issue{0, day(10), 2});
    data.add(Issue{2, day(21), 1});
    data.add(Issue{0, day(20), 3, "Терапия"});

    const Outcome out = run(ReportKind::IssueDates, data, periodParams(day(10), day(20)));
    ASSERT_FALSE(out.empty());
    const Workbook &b = *out.workbook;
    EXPECT_EQ(txt(b, 2, 1),
              "израсходованных лекарственных средств с 10.02.2024 по 20.02.2024 года.");
    EXPECT_EQ(txt(b, 4, 8), "Дата расх.");

    // Rows 5-7: the first stock line's issues in Rashod.dat order, its data merged.
    expectDate(b, 5, 8, day(11));
    expectDate(b, 6, 8, day(10));
    expectDate(b, 7, 8, day(20));
    EXPECT_EQ(num(b, 5, 10), 1);
    EXPECT_EQ(num(b, 7, 10), 3);
    EXPECT_EQ(txt(b, 5, 12), "2,5");
    EXPECT_EQ(txt(b, 7, 12), "7,5");
    EXPECT_EQ(num(b, 5, 1), 1);
    EXPECT_EQ(txt(b, 5, 2), "Бинт");
    EXPECT_EQ(txt(b, 5, 6), "000777");
    expectDate(b, 5, 7, day(1, 1));
    EXPECT_EQ(txt(b, 5, 9), "шт");
    EXPECT_EQ(num(b, 5, 11), 2.5);
    EXPECT_EQ(b.format(5, 1).hAlign, HAlign::Center);
    EXPECT_EQ(b.format(6, 2).hAlign, HAlign::Left);
    EXPECT_EQ(b.format(7, 12).vAlign, VAlign::Center);
    EXPECT_EQ(b.format(6, 10).fontSize, 10);

    // Row 8: a block of one row, nothing merged there, aligned all the same.
    EXPECT_EQ(num(b, 8, 1), 2);
    EXPECT_EQ(txt(b, 8, 2), "Вата");
    EXPECT_EQ(num(b, 8, 10), 0.5);
    EXPECT_EQ(txt(b, 8, 12), "2");
    EXPECT_EQ(b.format(8, 1).hAlign, HAlign::Center);
    EXPECT_EQ(b.format(8, 3).vAlign, VAlign::Center);
    EXPECT_TRUE(blank(b, 9, 2));

    QVector<Range> expected{Range::parse("A1:L1"), Range::parse("A2:L2")};
    for (const char *col : {"A", "B", "C", "D", "E", "F", "G", "I", "K"})
        expected << Range::parse(QLatin1String(col) + QLatin1String("5:") + QLatin1String(col)
                                 + QLatin1String("7"));
    EXPECT_EQ(b.merges(), expected);

    EXPECT_TRUE(b.format(4, 1).border);
    EXPECT_TRUE(b.format(8, 12).border);
    EXPECT_FALSE(b.format(9, 1).border);
    EXPECT_EQ(b.pageSetup().zoom, 83);
    EXPECT_EQ(b.pageSetup().orientation, 2);
}

TEST(IssueDatesReport, NothingInThePeriod)
{
    Data data;
    data.add(Stock{.name = "Бинт"});
    data.add(Issue{0, day(9), 1});
    data.add(Issue{0, day(15), 1, "Хирургия", true});
    const Outcome out = run(ReportKind::IssueDates, data, periodParams(day(10), day(20)));
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(out.emptyMessage, messages::NoConsumption);
}

// A report with more rows than a sheet holds is refused before its rows are
// built: the workbook keeps its heading only, and saving names the rows needed
// and leaves no file.
TEST(IssueDatesReport, MoreRowsThanASheetHoldsAreRefusedBeforeTheyAreBuilt)
{
    {
        const qint64 issues = qint64(maxRows) - 3;
        IssueBlock block;
        block.stock.DrugName = "Вата";
        block.issues.resize(issues, DatedIssue{serial(day(10)), 1, 2});
        const Outcome out = issueDatesReport(periodParams(day(1), day(28)), {block});
        ASSERT_FALSE(out.empty());
        const Workbook &b = *out.workbook;
        const qint64 lastRow = 4 + issues;
        EXPECT_EQ(b.lastRow(), 4) << "only the heading";
        TempDataDir dir;
        const QString file = dir.file("big.xlsx");
        try {
            b.saveXlsx(file);
            ADD_FAILURE() << "saved a sheet beyond the limit";
        } catch (const vedaris::Error &e) {
            EXPECT_TRUE(e.reason().contains(QString::number(lastRow) + " rows"))
                << e.reason().toStdString();
        }
        EXPECT_FALSE(QFile::exists(file));
    }
}
