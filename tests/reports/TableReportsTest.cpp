// The reports with one row per stock line and a totals row.

#include "ReportTestSupport.h"

using namespace reporttest;

namespace {

QVector<double> widths(const Workbook &book, int columns)
{
    QVector<double> out;
    for (int c = 1; c <= columns; ++c)
        out << book.columnWidth(c);
    return out;
}

} // namespace

TEST(ExpiredReport, SheetCellForCell)
{
    Data data;
    data.add(Stock{.name = "Бинт", .quantity = 4, .price = 2.5, .expiry = day(10)}); // on the Date
    data.add(Stock{.name = "Аспирин", .quantity = 3, .price = 1, .expiry = day(9)}); // before it
    data.add(Stock{.name = "Вата", .expiry = day(11)}); // the day after
    data.add(Stock{.name = "Йод", .expiry = day(1), .deleted = true});
    data.add(Stock{.name = "Зелёнка", .quantity = 0, .expiry = day(1)}); // issued in full

    const Outcome out = run(ReportKind::Expired, data, dateParams(day(10)));
    ASSERT_FALSE(out.empty());
    const Workbook &b = *out.workbook;

    EXPECT_EQ(b.sheetName(), "Отчёт");
    // 3, 35, 10, 10, 12, 8, 10, 17, each widened to its heading where narrower.
    EXPECT_EQ(widths(b, 8), (QVector<double>{3, 35, 13, 12, 14, 8, 13, 17}));
    EXPECT_EQ(txt(b, 1, 1), "Отчёт");
    EXPECT_EQ(txt(b, 2, 1),
              "по лекарственным средствам у которых истёк срок годности на 10.02.2024 года.");
    EXPECT_TRUE(blank(b, 3, 1));
    QStringList headers;
    for (int c = 1; c <= 8; ++c)
        headers << txt(b, 4, c);
    EXPECT_EQ(headers,
              (QStringList{"№", "Наименование", "Дата получ.", "Срок годн.", "Ед.измерения",
                           "Колич.", "Цена за ед.", "Общая сумма"}));
    EXPECT_EQ(b.merges(), (QVector<Range>{Range::parse("A1:H1"), Range::parse("A2:H2")}));

    // Sorted by name, running numbers still 1, 2 from the top.
    EXPECT_EQ(num(b, 5, 1), 1);
    EXPECT_EQ(num(b, 6, 1), 2);
    EXPECT_EQ(txt(b, 5, 2), "Аспирин");
    EXPECT_EQ(txt(b, 6, 2), "Бинт");
    expectDate(b, 6, 3, day(1, 1));
    expectDate(b, 6, 4, day(10));
    EXPECT_EQ(txt(b, 6, 5), "шт");
    EXPECT_EQ(num(b, 6, 6), 4);
    EXPECT_EQ(num(b, 6, 7), 2.5);
    EXPECT_EQ(num(b, 6, 8), 10);

    EXPECT_TRUE(blank(b, 7, 4));
    EXPECT_EQ(txt(b, 7, 5), "ИТОГО:");
    EXPECT_EQ(num(b, 7, 6), 7);
    EXPECT_TRUE(blank(b, 7, 7));
    EXPECT_EQ(num(b, 7, 8), 13);
    EXPECT_TRUE(blank(b, 8, 2));

    // Fonts: titles 14 bold, header 10 bold and centred, data 10, totals bold.
    EXPECT_TRUE(b.format(1, 1).bold);
    EXPECT_EQ(b.format(2, 1).fontSize, 14);
    EXPECT_EQ(b.format(4, 2).fontSize, 10);
    EXPECT_TRUE(b.format(4, 2).bold);
    EXPECT_EQ(b.format(4, 2).hAlign, HAlign::Center);
    EXPECT_EQ(b.format(5, 2).fontSize, 10);
    EXPECT_FALSE(b.format(5, 2).bold);
    EXPECT_TRUE(b.format(7, 5).bold);
    EXPECT_EQ(b.format(7, 5).fontSize, 0);

    // Borders: the table from the header down, and E:H of the totals row.
    EXPECT_TRUE(b.format(4, 1).border);
    EXPECT_TRUE(b.format(6, 8).border);
    EXPECT_TRUE(b.format(7, 5).border);
    EXPECT_TRUE(b.format(7, 8).border);
    EXPECT_FALSE(b.format(7, 4).border);
    EXPECT_FALSE(b.format(3, 1).border);

    EXPECT_EQ(b.pageSetup().zoom, 90);
    EXPECT_EQ(b.pageSetup().orientation, 1);
    EXPECT_EQ(b.pageSetup().leftMargin, 1);
    EXPECT_EQ(b.pageSetup().bottomMargin, 1);
}

TEST(StockReport, LandscapeTableWithRecordTextsKeptAsText)
{
    Data data;
    data.add(
        Stock{.name = "Бинт", .quantity = 2, .price = 3, .series = "000123", .document = "0042"});
    data.add(Stock{.name = "Вата", .quantity = 0});
    data.add(Stock{.name = "12345", .quantity = 1, .price = 1, .deleted = true});

    const Outcome out = run(ReportKind::Stock, data, dateParams(day(15)));
    ASSERT_FALSE(out.empty());
    const Workbook &b = *out.workbook;
    // 3, 35, 20, 15, 20, 15, 10, 10, 12, 10, 10, 15, widened to the headings.
    EXPECT_EQ(widths(b, 12), (QVector<double>{3, 35, 20, 17, 20, 17, 13, 12, 14, 10, 13, 15}));
    EXPECT_EQ(txt(b, 2, 1), "наличия лекарственных средств на 15.02.2024 года.");
    EXPECT_EQ(txt(b, 5, 4), "0042");
    EXPECT_EQ(txt(b, 5, 6), "000123");
    EXPECT_EQ(b.format(5, 6).numberFormat, "@");
    EXPECT_EQ(txt(b, 6, 9), "ИТОГО:");
    EXPECT_EQ(num(b, 6, 10), 2);
    EXPECT_EQ(num(b, 6, 12), 6);
    // The header row keeps the default alignment here.
    EXPECT_NE(b.format(4, 2).hAlign, HAlign::Center);
    EXPECT_EQ(b.format(2, 1).hAlign, HAlign::Center);
    EXPECT_EQ(b.pageSetup().zoom, 78);
    EXPECT_EQ(b.pageSetup().orientation, 2);
}

TEST(PurchasesReport, HeaderRowIsNotBoldAndReceivedFiguresAreShown)
{
    Data data;
    data.add(Stock{
        .name = "Бинт", .received = day(5), .quantity = 0, .price = 2, .receivedQuantity = 7});
    const Outcome out = run(ReportKind::Purchases, data, periodParams(day(1), day(29)));
    ASSERT_FALSE(out.empty());
    const Workbook &b = *out.workbook;
    EXPECT_EQ(txt(b, 2, 1), "приобретённых лекарственных средств с 01.02.2024 по 29.02.2024 года.");
    EXPECT_FALSE(b.format(4, 2).bold);
    EXPECT_TRUE(b.format(2, 1).bold);
    EXPECT_EQ(num(b, 5, 10), 7);
    EXPECT_EQ(num(b, 5, 12), 14);
    EXPECT_EQ(num(b, 6, 10), 7);
    EXPECT_EQ(num(b, 6, 12), 14);
}

// Which stock lines each report selects around its bounds and marks.
TEST(TableReports, SelectionAtBoundsAndMarks)
{
    struct Case
    {
        const char *what;
        ReportKind kind;
        ReportParams params;
        std::function<void(Data &)> fill;
        QStringList rows; // column B, top down; empty: nothing to report
        QString emptyMessage = {};
    };
    const ReportParams feb = periodParams(day(10), day(20));
    const Case cases[] = {
        {"purchases at the bounds",
         ReportKind::Purchases,
         feb,
         [](Data &d) {
             d.add(Stock{.name = "a-before", .received = day(9)});
             d.add(Stock{.name = "b-start", .received = day(10)});
             d.add(Stock{.name = "c-finish", .received = day(20)});
             d.add(Stock{.name = "d-after", .received = day(21)});
             d.add(Stock{.name = "e-deleted", .received = day(15), .deleted = true});
         },
         {"b-start", "c-finish"}},
        {"purchases, start after finish",
         ReportKind::Purchases,
         periodParams(day(20), day(10)),
         [](Data &d) { d.add(Stock{.name = "x", .received = day(15)}); },
         {},
         messages::NoPurchases},
        {"stock, everything issued or deleted",
         ReportKind::Stock,
         dateParams(day(1)),
         [](Data &d) {
             d.add(Stock{.name = "x", .quantity = 0});
             d.add(Stock{.name = "y", .deleted = true});
         },
         {},
         messages::NoStock},
        {"expired, nothing by the date",
         ReportKind::Expired,
         dateParams(day(1)),
         [](Data &d) { d.add(Stock{.name = "x", .expiry = day(2)}); },
         {},
         messages::NoExpired},
        {"expired, empty Base.dat",
         ReportKind::Expired,
         dateParams(day(1)),
         [](Data &) {},
         {},
         messages::NoExpired},
        {"consumption at the bounds",
         ReportKind::Consumption,
         feb,
         [](Data &d) {
             for (const char *n : {"a", "b", "c", "d", "e", "f"})
                 d.add(Stock{.name = n});
             d.add(Issue{0, day(9), 1});
             d.add(Issue{1, day(10), 1});
             d.add(Issue{2, day(20), 1});
             d.add(Issue{3, day(21), 1});
             d.add(Issue{4, day(15), 1, "Хирургия", true});
             d.add(Issue{5, day(15), 0}); // a zero quantity still counts as an issue
         },
         {"b", "c", "f"}},
        {"consumption of a deleted stock line",
         ReportKind::Consumption,
         feb,
         [](Data &d) {
             d.add(Stock{.name = "x", .deleted = true});
             d.add(Issue{0, day(15), 1});
         },
         {},
         messages::NoConsumption},
        {"consumption, start after finish",
         ReportKind::Consumption,
         periodParams(day(20), day(10)),
         [](Data &d) {
             d.add(Stock{.name = "x"});
             d.add(Issue{0, day(15), 1});
         },
         {},
         messages::NoConsumption},
        {"department: case, trailing blank and other departments",
         ReportKind::Department,
         periodParams(day(10), day(20), "Хирургия"),
         [](Data &d) {
             for (const char *n : {"a", "b", "c", "d"})
                 d.add(Stock{.name = n});
             d.add(Issue{0, day(10), 1, "Хирургия"});
             d.add(Issue{1, day(15), 1, "хирургия"});
             d.add(Issue{2, day(15), 1, "Хирургия "});
             d.add(Issue{3, day(20), 1, "Терапия"});
         },
         {"a"}},
        {"department matching nothing",
         ReportKind::Department,
         periodParams(day(10), day(20), "Нет такого"),
         [](Data &d) {
             d.add(Stock{.name = "a"});
             d.add(Issue{0, day(15), 1});
         },
         {},
         messages::NoConsumption},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Data data;
        c.fill(data);
        const Outcome out = run(c.kind, data, c.params);
        if (c.rows.isEmpty()) {
            EXPECT_TRUE(out.empty());
            EXPECT_EQ(out.emptyMessage, c.emptyMessage);
            continue;
        }
        ASSERT_FALSE(out.empty());
        const int first = c.kind == ReportKind::Department ? 6 : 5;
        EXPECT_EQ(column(*out.workbook, 2, first), c.rows);
    }
}

TEST(ConsumptionReport, SumsIssuesPerStockLineAndTotals)
{
    Data data;
    data.add(Stock{.name = "Бинт", .quantity = 100, .price = 0.1});
    data.add(Stock{.name = "Анальгин", .quantity = 100, .price = 3});
    data.add(Stock{.name = "Бинт", .quantity = 100, .price = 0.2});
    data.add(Issue{0, day(11), 1});
    data.add(Issue{0, day(12), 2, "Терапия"});
    data.add(Issue{2, day(12), 5});
    data.add(Issue{1, day(13), 1});
    data.add(Issue{0, day(25), 40}); // after the period

    const Outcome out = run(ReportKind::Consumption, data, periodParams(day(10), day(20)));
    ASSERT_FALSE(out.empty());
    const Workbook &b = *out.workbook;
    EXPECT_EQ(txt(b, 1, 1), "Общий отчёт");
    EXPECT_EQ(txt(b, 2, 1),
              "израсходованных лекарственных средств с 10.02.2024 по 20.02.2024 года.");
    EXPECT_EQ(column(b, 2, 5), (QStringList{"Анальгин", "Бинт", "Бинт"}));
    // Two lines of one drug stay apart, each with its own issues and price (stable sort).
    EXPECT_EQ(num(b, 6, 9), 3);
    EXPECT_EQ(num(b, 6, 10), 0.1);
    EXPECT_EQ(num(b, 6, 11), 0.3); // 0,1 + 0,2 to the kopeck, not 0,30000000000000004
    EXPECT_EQ(num(b, 7, 9), 5);
    EXPECT_EQ(num(b, 7, 10), 0.2);
    EXPECT_EQ(txt(b, 8, 8), "ИТОГО:");
    EXPECT_EQ(num(b, 8, 9), 9);
    EXPECT_EQ(num(b, 8, 11), (0.1 * 1 + 0.1 * 2) + 3 + 0.2 * 5);
    EXPECT_EQ(b.pageSetup().zoom, 83);
    EXPECT_EQ(b.pageSetup().orientation, 2);
}

TEST(DepartmentReport, ThirdTitleHeaderInRowFiveAndOneBorderRange)
{
    Data data;
    data.add(Stock{.name = "Бинт", .price = 2});
    data.add(Issue{0, day(11), 1, "0012"});
    data.add(Issue{0, day(12), 2, "0012"});
    data.add(Issue{0, day(12), 4, "Терапия"});

    const Outcome out = run(ReportKind::Department, data, periodParams(day(10), day(20), "0012"));
    ASSERT_FALSE(out.empty());
    const Workbook &b = *out.workbook;
    // 3, 35, 20, 20, 12, 5, 9, 11, widened to the headings.
    EXPECT_EQ(widths(b, 8), (QVector<double>{3, 35, 20, 20, 14, 8, 13, 13}));
    EXPECT_EQ(txt(b, 2, 1), "с 10.02.2024 по 20.02.2024 года для одного отделения.");
    EXPECT_EQ(txt(b, 3, 1), "0012.");
    EXPECT_EQ(b.format(3, 1).fontSize, 14);
    EXPECT_EQ(
        b.merges(),
        (QVector<Range>{Range::parse("A1:H1"), Range::parse("A2:H2"), Range::parse("A3:H3")}));
    EXPECT_EQ(txt(b, 5, 4), "Фирма-изготовитель");
    EXPECT_TRUE(b.format(5, 4).bold);
    EXPECT_EQ(b.format(5, 4).hAlign, HAlign::Center);
    EXPECT_TRUE(blank(b, 4, 1));
    EXPECT_EQ(num(b, 6, 1), 1);
    EXPECT_EQ(txt(b, 6, 3), "Поставщик");
    EXPECT_EQ(txt(b, 6, 5), "шт");
    EXPECT_EQ(num(b, 6, 6), 3);
    EXPECT_EQ(num(b, 6, 7), 2);
    EXPECT_EQ(num(b, 6, 8), 6);
    EXPECT_EQ(txt(b, 7, 5), "ИТОГО:");
    EXPECT_EQ(num(b, 7, 6), 3);
    EXPECT_TRUE(blank(b, 7, 7));
    EXPECT_EQ(num(b, 7, 8), 6);
    EXPECT_TRUE(b.format(5, 1).border);
    EXPECT_TRUE(b.format(6, 8).border);
    EXPECT_FALSE(b.format(4, 1).border);
    EXPECT_FALSE(b.format(7, 4).border);
    EXPECT_EQ(b.pageSetup().zoom, 83);
    EXPECT_EQ(b.pageSetup().orientation, 1);
}
