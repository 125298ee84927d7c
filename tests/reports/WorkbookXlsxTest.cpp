#include "reports/Workbook.h"
#include "store/Error.h"
#include "support/TempDataDir.h"
#include "support/ZipParts.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <limits>

using namespace vedaris::reports;

namespace {

// The sheet's XML as the spreadsheet application would read it.
QString sheetXml(const QString &file, const QString &member = "xl/worksheets/sheet1.xml")
{
    return QString::fromUtf8(zipparts::member(file, member));
}

QStringList folderEntries(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

Workbook smallReport()
{
    Workbook book;
    book.setSheetName("Отчёт");
    book.setColumnWidth(1, 4);
    book.setColumnWidth(2, 30);
    book.setBold(Range::parse("A1:C4"));
    book.setFontSize(Range::parse("A1:C2"), 14);
    book.merge(Range::parse("A1:C1"));
    book.setValue(1, 1, "Отчёт");
    book.setValue(4, 1, "№");
    book.setValue(4, 2, "Наименование");
    book.setValue(4, 3, "Колич.");
    for (int row = 5; row <= 7; ++row) {
        book.setFontSize(Range::rows(row, row), 10);
        book.setValue(row, 1, QString::number(row - 4));
        book.setValue(row, 2, QStringLiteral("Препарат %1").arg(8 - row));
        book.setValue(row, 3, row * 1.5);
        book.setBorders(Range::parse(QStringLiteral("A4:C%1").arg(row)));
    }
    book.setText(8, 2, "0012");
    // A block written into its last row and merged afterwards.
    book.setValue(10, 2, "блок");
    book.merge(Range::parse("B9:B10"));
    book.setValue(9, 3, std::numeric_limits<double>::quiet_NaN());
    book.setValue(10, 3, -std::numeric_limits<double>::infinity());
    book.pageSetup().zoom = 75;
    book.pageSetup().leftMargin = 36;
    book.pageSetup().orientation = 2;
    return book;
}

} // namespace

TEST(WorkbookXlsx, WritesAZipWithTheSheetAndLeavesNoTemporary)
{
    TempDataDir dir;
    const QString path = dir.file("отчёт.xlsx");
    smallReport().saveXlsx(path);

    {
        QFile file(path); // closed again: Windows replaces no file that is open
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.read(2), "PK");
    }
    EXPECT_EQ(folderEntries(dir.path()), QStringList{"отчёт.xlsx"});

    // Saving again replaces the file.
    Workbook().saveXlsx(path);
    EXPECT_EQ(folderEntries(dir.path()), QStringList{"отчёт.xlsx"});

    smallReport().saveXlsx(path);
    const QString book = sheetXml(path, "xl/workbook.xml");
    EXPECT_TRUE(book.contains("name=\"Отчёт\""));
    const QString sheet = sheetXml(path);
    EXPECT_TRUE(sheet.contains("<mergeCell ref=\"A1:C1\"/>"));
    EXPECT_TRUE(sheet.contains("<mergeCell ref=\"B9:B10\"/>"));
    EXPECT_TRUE(sheet.contains("<c r=\"C5\" s=\"")) << "a bordered number";
    EXPECT_TRUE(sheet.contains("<v>7.5</v>"));
    EXPECT_TRUE(sheet.contains(">Препарат 1<"));
    EXPECT_TRUE(sheet.contains(">0012<"));
    EXPECT_TRUE(sheet.contains(">блок<"));
    EXPECT_TRUE(sheet.contains(">NAN<"));
    EXPECT_TRUE(sheet.contains(">-INF<"));
    EXPECT_TRUE(sheet.contains("scale=\"75\""));
    EXPECT_TRUE(sheet.contains("orientation=\"landscape\""));
    EXPECT_TRUE(sheet.contains("left=\"0.5\""));
    EXPECT_TRUE(sheet.contains("width=\"30"));
    // The merged block's value sits in its top cell, the one the application shows.
    const int b9 = sheet.indexOf("<c r=\"B9\"");
    ASSERT_GE(b9, 0);
    EXPECT_LT(sheet.indexOf(">блок<", b9), sheet.indexOf("<c r=\"C9\"", b9));
}

TEST(WorkbookXlsx, BeyondTheSheetFailsWithoutAFile)
{
    TempDataDir dir;
    const QString path = dir.file("big.xlsx");

    Workbook wide;
    wide.setValue(1, maxColumns + 1, 1.0);
    Workbook bordered;
    bordered.setBorders(Range::parse("A1:A1048577"));
    Workbook tall;
    tall.setValue(maxRows, 1, 1.0);
    tall.setValue(maxRows + 1, 1, "x");
    for (const Workbook *book : {&wide, &bordered, &tall}) {
        try {
            book->saveXlsx(path);
            ADD_FAILURE() << "saved a sheet beyond the limits";
        } catch (const vedaris::Error &e) {
            EXPECT_EQ(e.file(), path);
            EXPECT_TRUE(e.reason().contains(book == &wide ? "16384 columns" : "1048576 rows"))
                << e.reason().toStdString();
        }
        EXPECT_TRUE(folderEntries(dir.path()).isEmpty());
    }
}

TEST(WorkbookXlsx, AnUnwritableFolderFailsNamingTheFile)
{
    TempDataDir dir;
    const QString path = dir.file("missing/report.xlsx");
    try {
        smallReport().saveXlsx(path);
        ADD_FAILURE() << "saved into a missing folder";
    } catch (const vedaris::Error &e) {
        EXPECT_EQ(e.file(), path);
        EXPECT_FALSE(e.reason().isEmpty());
    }
    EXPECT_TRUE(folderEntries(dir.path()).isEmpty());
}
