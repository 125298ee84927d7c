#include "reports/ConsolidatedReport.h"
#include "ReportTestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vedaris::reports;
using namespace reporttest;

TEST(ConsolidatedReport, OneRowPerStoreThenTheTotals)
{
    const QVector<ConsolidatedLine> lines = {{QStringLiteral("ЦРБ аптека"), 1000.5, 10.25, 20, 300},
                                             {QStringLiteral("0123"), 2000, 0, 5.5, 0.125}};
    const Workbook book = consolidatedWorkbook(QDate(2024, 3, 15), lines);

    EXPECT_EQ(txt(book, 1, 1), QStringLiteral("Сводный отчёт по складам на 15.03.2024"));
    const QStringList header = {QStringLiteral("№ п/п"),
                                QStringLiteral("Склад"),
                                QStringLiteral("Стоимость остатка"),
                                QStringLiteral("Просрочено на 15.03.2024"),
                                QStringLiteral("Истекает в течение 90 дней"),
                                QStringLiteral("Расход за 03.2024")};
    for (int c = 1; c <= 6; ++c)
        EXPECT_EQ(txt(book, 3, c), header[c - 1]);

    // A store named like a number stays text; the figures stay numbers.
    EXPECT_EQ(txt(book, 5, 2), QStringLiteral("0123"));
    const double expected[3][5] = {
        {1, 1000.5, 10.25, 20, 300}, {2, 2000, 0, 5.5, 0.125}, {0, 3000.5, 10.25, 25.5, 300.125}};
    for (int r = 0; r < 3; ++r)
        for (int c = r == 2 ? 1 : 0; c < 5; ++c)
            EXPECT_EQ(num(book, 4 + r, c == 0 ? 1 : c + 2), expected[r][c]) << r << "," << c;
    EXPECT_EQ(txt(book, 6, 2), QStringLiteral("ИТОГО:"));
    EXPECT_TRUE(book.format(6, 3).bold);
    EXPECT_EQ(book.format(5, 4).numberFormat, QStringLiteral("0.00"));
    EXPECT_TRUE(book.format(6, 6).border);
    EXPECT_EQ(book.lastRow(), 6);

    QTemporaryDir dir;
    EXPECT_NO_THROW(book.saveXlsx(dir.filePath(QStringLiteral("c.xlsx"))));
}
