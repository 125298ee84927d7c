#include "reports/Workbook.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace vedaris::reports;

namespace {

double number(const CellValue &v)
{
    const double *n = std::get_if<double>(&v);
    EXPECT_NE(n, nullptr);
    return n ? *n : 0;
}

QString text(const CellValue &v)
{
    const QString *t = std::get_if<QString>(&v);
    EXPECT_NE(t, nullptr);
    return t ? *t : QString();
}

bool empty(const CellValue &v)
{
    return std::holds_alternative<std::monostate>(v);
}

} // namespace

TEST(WorkbookRange, ParsesAddressesAndCorners)
{
    EXPECT_EQ(Range::parse("A1:H4"), (Range{1, 1, 4, 8}));
    EXPECT_EQ(Range::parse("B5"), Range::cell(5, 2));
    EXPECT_EQ(Range::parse("A6:K100000"), (Range{6, 1, 100000, 11}));
    EXPECT_EQ(Range::parse("h4:a1"), (Range{1, 1, 4, 8}));
    EXPECT_EQ(Range::parse("AA10"), Range::cell(10, 27));
    EXPECT_EQ(Range::parse("4:4"), Range::rows(4, 4));
    EXPECT_TRUE(Range::rows(4, 6).wholeRows());
    EXPECT_EQ(Range::corners("B6", "K12"), (Range{6, 2, 12, 11}));
    for (const char *bad : {"", "A", "1", "A0", "A1:", "A1:B2:C3", "1A", "A1:4", "A-1"})
        EXPECT_THROW(Range::parse(bad), std::invalid_argument) << bad;
    EXPECT_EQ(columnName(1), "A");
    EXPECT_EQ(columnName(26), "Z");
    EXPECT_EQ(columnName(27), "AA");
    EXPECT_EQ(columnName(16384), "XFD");
}

TEST(WorkbookValues, TypedTextIsTakenAsUnderRussianSettings)
{
    struct Case
    {
        const char *typed;
        std::variant<double, const char *> stored; // a number, or the text kept
        bool date = false;
    };
    const Case cases[] = {
        {"12", 12.0},
        {"-3,5", -3.5},
        {"1E5", 1e5},
        {"1,5E-3", 1.5e-3},
        {"1e+2", 100.0},
        {"000123", 123.0},
        {",5", 0.5},
        {"01.02.2024", 45323.0, true},
        {"1.2.2024", 45323.0, true},
        {"29.02.2024", 45351.0, true},
        {"31.02.2024", "31.02.2024"},
        {"29.02.2023", "29.02.2023"},
        {"1,2,3", "1,2,3"},
        {"3.5", "3.5"},
        {"1 000", "1 000"},
        {"--1", "--1"},
        {"+1", "+1"},
        {"1E", "1E"},
        {"E5", "E5"},
        {"1E400", "1E400"},
        {"Анальгин", "Анальгин"},
        {"12 шт", "12 шт"},
    };
    Workbook book;
    int row = 1;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        book.setValue(row, 1, QString::fromUtf8(c.typed));
        const CellValue v = book.value(row, 1);
        if (const double *n = std::get_if<double>(&c.stored)) {
            EXPECT_DOUBLE_EQ(number(v), *n);
            EXPECT_EQ(book.format(row, 1).numberFormat, c.date ? "dd.mm.yyyy" : "");
        } else {
            EXPECT_EQ(text(v), QString::fromUtf8(std::get<const char *>(c.stored)));
            EXPECT_EQ(book.format(row, 1).numberFormat, "");
        }
        // Formatted as text first, the same input stays text.
        book.setNumberFormat(Range::cell(row, 2), "@");
        book.setValue(row, 2, QString::fromUtf8(c.typed));
        EXPECT_EQ(text(book.value(row, 2)), QString::fromUtf8(c.typed));
        book.setText(row, 3, QString::fromUtf8(c.typed));
        EXPECT_EQ(text(book.value(row, 3)), QString::fromUtf8(c.typed));
        EXPECT_EQ(book.format(row, 3).numberFormat, "@");
        ++row;
    }
}

TEST(WorkbookValues, NumbersStayNumbersAndEmptyTextClears)
{
    Workbook book;
    book.setText(1, 1, "x");
    book.setValue(1, 1, 2.5);
    EXPECT_DOUBLE_EQ(number(book.value(1, 1)), 2.5);
    book.setValue(1, 1, QString());
    EXPECT_TRUE(empty(book.value(1, 1)));
    EXPECT_NE(book.cell(1, 1), nullptr);
    EXPECT_EQ(book.cell(2, 2), nullptr);
    EXPECT_TRUE(empty(book.value(7, 7)));
}

TEST(WorkbookFormats, RowFormatsReachExistingAndLaterCells)
{
    Workbook book;
    book.setValue(5, 2, "before");
    book.setFontSize(Range::rows(5, 5), 10);
    book.setBold(Range::rows(5, 5));
    book.setValue(5, 9, "after");
    book.setFontSize(Range::cell(5, 3), 14); // a cell's own format over the row's

    for (int col : {1, 2, 9, 200}) {
        EXPECT_EQ(book.format(5, col).fontSize, 10) << col;
        EXPECT_TRUE(book.format(5, col).bold) << col;
    }
    EXPECT_EQ(book.format(5, 3).fontSize, 14);
    EXPECT_TRUE(book.format(5, 3).bold);
    EXPECT_EQ(book.format(4, 2), CellFormat{});
    EXPECT_EQ(book.format(6, 9), CellFormat{});
    ASSERT_NE(book.cell(5, 9), nullptr);
    EXPECT_EQ(book.cell(5, 9)->format.fontSize, 10);

    // A row formatted "@" keeps later typed numbers as text.
    book.setNumberFormat(Range::parse("7:7"), "@");
    book.setValue(7, 4, "0012");
    EXPECT_EQ(text(book.value(7, 4)), "0012");
}

TEST(WorkbookFormats, RangeFormatsCombine)
{
    Workbook book;
    book.setBold(Range::parse("A1:H4"));
    book.setFontSize(Range::rows(4, 4), 10);
    book.setFontSize(Range::parse("A1:H2"), 14);
    book.setHorizontalAlignment(Range::parse("A1:H4"), HAlign::Center);
    book.setVerticalAlignment(Range::parse("A4:C5"), VAlign::Center);
    book.setWrap(Range::parse("A4:C5"));

    CellFormat heading;
    heading.bold = true;
    heading.fontSize = 14;
    heading.hAlign = HAlign::Center;
    EXPECT_EQ(book.format(1, 1), heading);
    EXPECT_EQ(book.format(2, 8), heading);
    EXPECT_EQ(book.format(3, 5).fontSize, 0);
    EXPECT_EQ(book.format(4, 8).fontSize, 10);
    EXPECT_TRUE(book.format(4, 3).wrap);
    EXPECT_EQ(book.format(4, 3).vAlign, VAlign::Center);
    EXPECT_FALSE(book.format(5, 4).wrap);
    EXPECT_FALSE(book.format(1, 9).bold);
}

TEST(WorkbookBorders, RepeatedAndGrowingBordersMatchOneCall)
{
    Workbook grown, once;
    for (int row = 5; row <= 400; ++row) {
        grown.setValue(row, 1, double(row));
        once.setValue(row, 1, double(row));
        grown.setBorders(Range::parse(QStringLiteral("A4:L%1").arg(row)));
        grown.setBorders(Range::parse(QStringLiteral("A4:L%1").arg(row)));
        grown.setBorders(Range::parse(QStringLiteral("E%1:H%1").arg(row)));
    }
    grown.setBorders(Range::parse("A401:D401"));
    grown.setBorders(Range::parse("E401:L401"));
    once.setBorders(Range::parse("A4:L401"));
    for (int row = 1; row <= 403; ++row)
        for (int col = 1; col <= 14; ++col)
            ASSERT_EQ(grown.format(row, col), once.format(row, col)) << row << "," << col;
    EXPECT_TRUE(once.format(4, 1).border);
    EXPECT_TRUE(once.format(401, 12).border);
    EXPECT_FALSE(once.format(402, 1).border);
    EXPECT_FALSE(once.format(4, 13).border);
    EXPECT_FALSE(once.format(3, 1).border);
}

TEST(WorkbookMerge, KeepsTheFirstValueInReadingOrder)
{
    Workbook book;
    // A block written into its last row, then merged column by column.
    book.setValue(7, 1, "1");
    book.setValue(7, 2, "Анальгин");
    book.setValue(5, 3, "верх");
    book.setValue(6, 3, "середина");
    book.merge(Range::parse("A5:A7"));
    book.merge(Range::parse("B5:B7"));
    book.merge(Range::parse("C5:C7"));
    EXPECT_DOUBLE_EQ(number(book.value(5, 1)), 1);
    EXPECT_TRUE(empty(book.value(7, 1)));
    EXPECT_EQ(text(book.value(5, 2)), "Анальгин");
    EXPECT_TRUE(empty(book.value(7, 2)));
    EXPECT_EQ(text(book.value(5, 3)), "верх");
    EXPECT_TRUE(empty(book.value(6, 3)));

    // Across a row: the leftmost value wins.
    book.setValue(1, 3, "a");
    book.setValue(1, 5, "b");
    book.merge(Range::parse("A1:H1"));
    EXPECT_EQ(text(book.value(1, 1)), "a");
    EXPECT_TRUE(empty(book.value(1, 5)));

    // An empty range merges to nothing; a single cell is no merge.
    book.merge(Range::parse("A2:H2"));
    book.merge(Range::parse("D9"));
    EXPECT_TRUE(empty(book.value(2, 1)));
    EXPECT_EQ(book.merges().size(), 5);
    EXPECT_EQ(book.merges().back(), Range::parse("A2:H2"));
}

TEST(WorkbookMerge, RefusesOverlaps)
{
    Workbook book;
    book.merge(Range::parse("A4:A5"));
    book.merge(Range::parse("D4:E4"));
    book.merge(Range::parse("A4:A5")); // the same range again changes nothing
    EXPECT_THROW(book.merge(Range::parse("A5:B5")), std::invalid_argument);
    EXPECT_THROW(book.merge(Range::parse("C3:D4")), std::invalid_argument);
    EXPECT_THROW(book.merge(Range::parse("A1:K9")), std::invalid_argument);
    book.merge(Range::parse("B4:B5"));
    EXPECT_EQ(book.merges().size(), 3);
}

TEST(WorkbookSort, NumbersThenRussianTextsIgnoringCaseThenEmpty)
{
    Workbook book;
    // Column A numbers the rows as written; column C tells which row moved where.
    const QStringList keys = {"яблоко", "",         "Анальгин", "10",   "вата", "Бинт",
                              "2",      "анальгин", "Ель",      "бинт", "-1,5", "АНАЛЬГИН"};
    for (int i = 0; i < keys.size(); ++i) {
        const int row = 5 + i;
        book.setValue(row, 1, double(i + 1));
        if (!keys[i].isEmpty())
            book.setValue(row, 2, keys[i]);
        book.setValue(row, 3, double(i));
        if (i == 2)
            book.setBold(Range::cell(row, 3));
        if (i == 7)
            book.setNumberFormat(Range::cell(row, 4), "@");
    }
    const int totals = 5 + int(keys.size());
    book.setBold(Range::rows(totals, totals));
    book.setValue(totals, 3, 999.0);

    book.sort(Range::corners("B5", QStringLiteral("D%1").arg(totals)), 2);

    // Numbers by value, texts case-blind in Russian order, equal texts in their
    // earlier order, empty keys last.
    const QList<int> expected = {10, 6, 3, 2, 7, 11, 5, 9, 4, 8, 0, 1, 12};
    for (int i = 0; i < expected.size(); ++i) {
        const int row = 5 + i;
        SCOPED_TRACE(row);
        if (row < totals) {
            EXPECT_DOUBLE_EQ(number(book.value(row, 1)), i + 1); // column A stays put
        }
        EXPECT_DOUBLE_EQ(number(book.value(row, 3)), expected[i] == 12 ? 999 : expected[i]);
        // Cell formats move with their rows, the totals row's bold too.
        EXPECT_EQ(book.format(row, 3).bold, expected[i] == 2 || expected[i] == 12);
        EXPECT_EQ(book.format(row, 4).numberFormat, expected[i] == 7 ? "@" : "");
    }
}

TEST(WorkbookSort, BordersMoveWithTheirRows)
{
    Workbook book;
    for (int row = 5; row <= 8; ++row)
        book.setValue(row, 2, QString(QChar(u'Г' - (row - 5))));
    book.setBorders(Range::parse("A4:C7")); // row 8 "А" has no borders
    book.sort(Range::corners("B5", "C8"), 2);
    EXPECT_EQ(text(book.value(5, 2)), "А");
    EXPECT_FALSE(book.format(5, 2).border);
    EXPECT_TRUE(book.format(5, 1).border); // column A lies outside the range
    EXPECT_TRUE(book.format(6, 3).border);
    EXPECT_TRUE(book.format(8, 2).border);
    EXPECT_FALSE(book.format(8, 1).border);
    EXPECT_TRUE(book.format(4, 2).border);
}

TEST(WorkbookSort, RefusesMergedCells)
{
    Workbook book;
    book.merge(Range::parse("B5:B6"));
    EXPECT_THROW(book.sort(Range::parse("B5:H9"), 2), std::invalid_argument);
    EXPECT_THROW(book.sort(Range::parse("C7:H9"), 2), std::invalid_argument);
}

TEST(WorkbookSheet, KeepsSheetSettings)
{
    Workbook book;
    book.setSheetName("Отчёт");
    book.setColumnWidth(2, 30);
    book.pageSetup().zoom = 75;
    book.pageSetup().orientation = 2;
    book.setValue(3, 4, 1.0);
    book.setBold(Range::parse("A9:B9"));
    EXPECT_EQ(book.sheetName(), "Отчёт");
    EXPECT_EQ(book.columnWidth(2), 30);
    EXPECT_EQ(book.columnWidth(1), 0);
    EXPECT_EQ(book.pageSetup().zoom, 75);
    EXPECT_EQ(book.lastRow(), 9);
    EXPECT_EQ(book.lastColumn(), 4);

    Workbook moved = std::move(book);
    EXPECT_EQ(moved.sheetName(), "Отчёт");
}
