// What the reports add up is written rounded to what the data holds, sums with
// two decimals, headings never cut and the header on every printed page.

#include "ReportTestSupport.h"
#include "support/ZipParts.h"

#include <cmath>
#include <variant>

using namespace reporttest;

namespace {

QByteArray member(const QString &file, const QString &name)
{
    return zipparts::member(file, name);
}

} // namespace

TEST(ReportsForReading, SumsOfBinaryFractionsComeToZeroAndSumsHaveTwoDecimals)
{
    // 0,9 received, issues of 0,2 and 0,7 leave 1,1E-16 when added up in
    // binary; at 0,7 a piece the sums leave a residue as well.
    Data data;
    data.addName("Анальгин", "шт");
    const double left = 0.9 - (0.2 + 0.7);
    ASSERT_GT(left, 0.0);
    const qint32 a = data.add(Stock{.name = "Анальгин",
                                    .received = day(1),
                                    .quantity = left,
                                    .price = 0.7,
                                    .receivedQuantity = 0.9});
    data.add(Issue{a, day(11), 0.2});
    data.add(Issue{a, day(12), 0.7});

    struct Case
    {
        ReportKind kind;
        ReportParams params;
        int firstDataRow;
        QVector<int> zeros; // columns that come to nothing in the first data row
        QVector<int> sums; // columns of money
        int headerTo; // the last printed-on-every-page row
    };
    const Case cases[] = {
        {ReportKind::Movement, periodParams(day(10), day(20)), 6, {10, 11}, {5, 7, 9, 11}, 5},
        {ReportKind::Stock, dateParams(day(20)), 5, {10, 12}, {12}, 4},
        {ReportKind::Consumption, periodParams(day(10), day(20)), 5, {}, {11}, 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.kind));
        const Outcome out = run(c.kind, data, c.params);
        ASSERT_FALSE(out.empty());
        const Workbook &b = *out.workbook;
        for (int col : c.zeros)
            EXPECT_EQ(num(b, c.firstDataRow, col), 0.0) << col;
        for (int col : c.sums) {
            EXPECT_EQ(b.format(c.firstDataRow, col).numberFormat, QStringLiteral("0.00")) << col;
            const double v = num(b, c.firstDataRow, col);
            EXPECT_EQ(v, std::round(v * 100) / 100) << col;
        }
        // Every heading of the header row fits its column.
        for (int col = 1; col <= b.lastColumn(); ++col) {
            const CellValue v = b.value(4, col);
            if (const QString *h = std::get_if<QString>(&v); h && c.kind != ReportKind::Movement) {
                EXPECT_GE(b.columnWidth(col), h->size() + 2) << h->toStdString();
            }
        }
        if (c.kind == ReportKind::Movement) {
            // "Остаток на начало периода" over two columns fits them both.
            const CellValue v = b.value(4, 4);
            ASSERT_TRUE(std::holds_alternative<QString>(v));
            EXPECT_GE(b.columnWidth(4) + b.columnWidth(5), std::get<QString>(v).size() + 2);
        }
        EXPECT_EQ(b.pageSetup().repeatRowsFrom, 4);
        EXPECT_EQ(b.pageSetup().repeatRowsTo, c.headerTo);
    }
    // What the two issues took, added up: 0,9 and 0,63, not 0,8999999999999999.
    const Outcome consumption = run(ReportKind::Consumption, data, periodParams(day(10), day(20)));
    EXPECT_EQ(num(*consumption.workbook, 5, 9), 0.9);
    EXPECT_EQ(num(*consumption.workbook, 5, 11), 0.63);

    // The saved file carries the print titles and the sums' format.
    TempDataDir dir;
    const QString path = dir.file(QStringLiteral("движение.xlsx"));
    run(ReportKind::Movement, data, periodParams(day(10), day(20))).workbook->saveXlsx(path);
    EXPECT_TRUE(member(path, "xl/workbook.xml").contains("_xlnm.Print_Titles"));
    EXPECT_TRUE(member(path, "xl/workbook.xml").contains("$4:$5"));
    EXPECT_TRUE(member(path, "xl/styles.xml").contains("formatCode=\"0.00\""));
}
