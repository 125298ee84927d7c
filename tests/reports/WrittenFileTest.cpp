// Every report as saved, read back through the file's own XML rather than
// through the workbook layer: each cell the report set must be in the file with
// the same value and type, and each merge too. A comparison of two workbooks in
// memory cannot see what is lost between the model and the file.
#include "DataGenerator.h"

#include "SheetXml.h"
#include "reports/Reports.h"
#include "store/TextFormats.h"
#include "support/TempDataDir.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <cmath>

using namespace vedaris;
using namespace vedaris::reports;
using namespace sheetxml;

namespace {

QString ref(int row, int col)
{
    return columnName(col) + QString::number(row);
}

// Differences between the workbook and the file, as readable lines.
QStringList differences(const Workbook &book, const Sheet &file)
{
    QStringList out;
    const int lastCol = book.lastColumn();
    for (int row = 1; row <= book.lastRow(); ++row) {
        for (int col = 1; col <= lastCol; ++col) {
            const QString at = ref(row, col);
            const CellValue v = book.value(row, col);
            const auto found = file.cells.constFind(at);
            if (const QString *t = std::get_if<QString>(&v)) {
                if (found == file.cells.cend() || found->number || found->text != *t)
                    out << QStringLiteral("%1: text \"%2\", in the file %3")
                               .arg(at, *t,
                                    found == file.cells.cend() ? QStringLiteral("nothing")
                                                               : found->text);
            } else if (const double *n = std::get_if<double>(&v)) {
                if (!std::isfinite(*n)) {
                    if (found == file.cells.cend() || found->number
                        || found->text != text::formatNumber(*n))
                        out << QStringLiteral("%1: %2 not written as its text")
                                   .arg(at, text::formatNumber(*n));
                } else if (found == file.cells.cend() || !found->number) {
                    out << QStringLiteral("%1: number %2, in the file %3")
                               .arg(at, text::formatNumber(*n),
                                    found == file.cells.cend() ? QStringLiteral("nothing")
                                                               : found->text);
                } else {
                    const double written = found->text.toDouble();
                    if (std::fabs(written - *n) > 1e-15 * std::max(1.0, std::fabs(*n)))
                        out << QStringLiteral("%1: number %2, in the file %3")
                                   .arg(at)
                                   .arg(*n, 0, 'g', 17)
                                   .arg(found->text);
                }
            } else if (found != file.cells.cend()) {
                out << QStringLiteral("%1: blank, in the file \"%2\"").arg(at, found->text);
            }
        }
    }
    QSet<QString> merges;
    for (const Range &m : book.merges())
        merges.insert(ref(m.top, m.left) + u':' + ref(m.bottom, m.right));
    if (merges != file.merges)
        out << QStringLiteral("merges differ: %1 in the workbook, %2 in the file")
                   .arg(merges.size())
                   .arg(file.merges.size());
    return out;
}

// Merges are handed to the library at their last row, when the rows above may
// still be in its buffer: first cells of every kind, with and without a format.
TEST(WrittenFile, MergesOverRowsKeepTheirFirstCells)
{
    Workbook book;
    book.setBorders(Range::parse("A1:F3"));
    book.setBold(Range::parse("A1:C2"));
    for (const char *m : {"A1:A2", "B1:B2", "C1:C2", "D1:E1", "F1:F3"})
        book.merge(Range::parse(m));
    book.setValue(1, 1, "первая");
    book.setValue(1, 2, 2.5);
    book.setValue(1, 3, "третья");
    book.setValue(1, 4, "над двумя");
    book.setValue(1, 6, "три строки");
    book.setValue(2, 4, 4.0);
    book.setValue(3, 1, "после");
    TempDataDir dir;
    const QString file = dir.file("merges.xlsx");
    book.saveXlsx(file);
    const QStringList diff = differences(book, readSheet(file));
    EXPECT_TRUE(diff.isEmpty()) << diff.join(u'\n').toStdString();
}

TEST(WrittenFile, EveryReportSavesEveryCellAndMergeItHolds)
{
    for (std::uint64_t seed : {7u, 8u, 9u}) {
        gen::Options o;
        o.seed = seed;
        o.batches = 30;
        o.issues = 90;
        o.departments = 3;
        o.first = QDate(2021, 1, 1);
        o.last = QDate(2021, 6, 30);
        o.hostile = seed == 9;
        const gen::Data data = gen::generate(o);
        TempDataDir dir;
        gen::write(data, dir.path());

        ReportParams p;
        p.date = QDate(2030, 1, 1);
        p.start = QDate(2021, 2, 1);
        p.finish = QDate(2021, 5, 31);
        p.department = data.departmentTexts.value(0);
        for (ReportKind kind :
             {ReportKind::Expired, ReportKind::Stock, ReportKind::Consumption,
              ReportKind::Purchases, ReportKind::Department, ReportKind::Departments,
              ReportKind::Movement, ReportKind::IssueDates}) {
            const Outcome outcome = runReport(kind, dir.path(), p);
            ASSERT_FALSE(outcome.empty())
                << outcome.title.toStdString() << ": " << outcome.emptyMessage.toStdString();
            const QString file = dir.file(QStringLiteral("report.xlsx"));
            outcome.workbook->saveXlsx(file);
            const QStringList diff = differences(*outcome.workbook, readSheet(file));
            EXPECT_TRUE(diff.isEmpty()) << outcome.title.toStdString() << ", seed " << seed << ":\n"
                                        << diff.mid(0, 8).join(u'\n').toStdString();
        }
    }
}

} // namespace
