// The deletion report, from the history the deletions left.

#include "reports/DeletionReport.h"
#include "ReportTestSupport.h"
#include "operations/StockOperations.h"
#include "store/Clock.h"

using namespace reporttest;

TEST(Deletions, TheBatchesOfThePeriodEachWithItsIssues)
{
    Data data;
    const qint32 a = data.add(Stock{.name = "Анальгин", .quantity = 10, .price = 5});
    const qint32 b = data.add(Stock{.name = "Бинт", .quantity = 20, .price = 2});
    const qint32 c = data.add(Stock{.name = "Вата", .quantity = 3, .price = 1});
    data.add(Issue{a, day(11), 2, "Хирургия"});
    data.add(Issue{a, day(12), 1, "Терапия"});
    data.add(Issue{b, day(12), 4, "Хирургия"});
    TempDataDir dir;
    data.writeTo(dir);
    using vedaris::Clock;
    Clock::setFixedNow(QDateTime(QDate(2024, 3, 1), QTime(9, 0)));
    vedaris::ops::deleteBatch(dir.path(), c);
    Clock::setFixedNow(QDateTime(QDate(2024, 3, 5), QTime(14, 30)));
    vedaris::ops::deleteBatch(dir.path(), a);
    Clock::setFixedNow(QDateTime(QDate(2024, 3, 9), QTime(8, 0)));
    vedaris::ops::deleteBatch(dir.path(), b);
    Clock::setFixedToday(std::nullopt);

    struct Case
    {
        QDate start, finish;
        QStringList rows; // "what name quantity department"
    };
    const Case cases[] = {
        {QDate(2024, 3, 1),
         QDate(2024, 3, 31),
         {"партия Вата 3 ", "партия Анальгин 10 ", "выдача Анальгин 2 Хирургия",
          "выдача Анальгин 1 Терапия", "партия Бинт 20 ", "выдача Бинт 4 Хирургия"}},
        {QDate(2024, 3, 2),
         QDate(2024, 3, 8),
         {"партия Анальгин 10 ", "выдача Анальгин 2 Хирургия", "выдача Анальгин 1 Терапия"}},
        {QDate(2024, 3, 10), QDate(2024, 3, 31), {}},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.start.toString().toStdString());
        ReportParams p;
        p.start = k.start;
        p.finish = k.finish;
        const Outcome out = runReport(ReportKind::Deletions, dir.path(), p);
        if (k.rows.isEmpty()) {
            EXPECT_TRUE(out.empty());
            EXPECT_EQ(out.emptyMessage, vedaris::reports::messages::NoDeletions);
            continue;
        }
        ASSERT_FALSE(out.empty());
        const Workbook &book = *out.workbook;
        QStringList rows;
        for (int row = 5; row < 5 + k.rows.size(); ++row) {
            const auto text = [&](int col) {
                const CellValue v = book.value(row, col);
                return std::holds_alternative<QString>(v) ? std::get<QString>(v)
                    : std::holds_alternative<double>(v)   ? QString::number(std::get<double>(v))
                                                          : QString();
            };
            rows << QStringLiteral("%1 %2 %3 %4").arg(text(3), text(4), text(9), text(7));
        }
        EXPECT_EQ(rows, k.rows);
        EXPECT_EQ(book.lastRow(), 4 + int(k.rows.size()));
    }
}
