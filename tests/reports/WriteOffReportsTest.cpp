// Write-offs are issues to a department of their reason: every report counts
// them as consumption.

#include "ReportTestSupport.h"
#include "operations/StockOperations.h"
#include "store/ReferenceLists.h"

using namespace reporttest;

TEST(WriteOffs, CountAsConsumptionInTheReportsAndTheirDepartmentsAreAddedOnce)
{
    Data data;
    data.addName("Анальгин", "шт");
    data.addName("Бинт", "шт");
    const qint32 analgin = data.add(Stock{.name = "Анальгин", .quantity = 10, .price = 5});
    const qint32 bint = data.add(Stock{.name = "Бинт", .quantity = 20, .price = 2});
    data.add(Issue{analgin, day(11), 2});
    TempDataDir dir;
    data.writeTo(dir);
    auto writeOff = [&](qint32 id, const char *quantity, const char *reason, const QDate &date) {
        namespace ops = vedaris::ops;
        ops::storeWriteOff(dir.path(), id, ops::readBatch(dir.path(), id),
                           QString::fromUtf8(quantity), QString::fromUtf8(reason), date);
    };
    writeOff(analgin, "3", "Истёк срок годности", day(12));
    writeOff(bint, "4", "Повреждение", day(12));
    writeOff(bint, "1", "Повреждение", day(13));
    EXPECT_EQ(vedaris::ReferenceList(dir.path(), vedaris::RefKind::Departments).liveNames(),
              (QStringList{"Списание: Истёк срок годности", "Списание: Повреждение"}));

    struct Case
    {
        ReportKind kind;
        QString department;
        QVector<int> figureColumns;
        QVector<std::pair<QString, QVector<double>>> rows;
    };
    const Case cases[] = {
        {ReportKind::Consumption, {}, {9, 11}, {{"Анальгин", {5, 25}}, {"Бинт", {5, 10}}}},
        {ReportKind::Department, "Списание: Повреждение", {6, 8}, {{"Бинт", {5, 10}}}},
        {ReportKind::Department, "Списание: Истёк срок годности", {6, 8}, {{"Анальгин", {3, 15}}}},
        // Opening, received, issued and closing, each as quantity and sum.
        {ReportKind::Movement,
         {},
         {4, 5, 6, 7, 8, 9, 10, 11},
         {{"Анальгин", {10, 50, 0, 0, 5, 25, 5, 25}}, {"Бинт", {20, 40, 0, 0, 5, 10, 15, 30}}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.department.isEmpty() ? std::to_string(int(c.kind))
                                            : c.department.toStdString());
        const Outcome out =
            runReport(c.kind, dir.path(), periodParams(day(10), day(20), c.department));
        ASSERT_FALSE(out.empty());
        const Workbook &b = *out.workbook;
        const int first = c.kind == ReportKind::Consumption ? 5 : 6;
        ASSERT_EQ(column(b, 2, first).size(), c.rows.size());
        for (int r = 0; r < c.rows.size(); ++r) {
            EXPECT_EQ(txt(b, first + r, 2), c.rows[r].first);
            QVector<double> figures;
            for (int col : c.figureColumns)
                figures << num(b, first + r, col);
            EXPECT_EQ(figures, c.rows[r].second) << c.rows[r].first.toStdString();
        }
    }
}
