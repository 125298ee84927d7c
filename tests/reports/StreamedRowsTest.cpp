// Rows made as they are written: each streamed cell is the cell the
// workbook's own calls make, and every report whose rows are streamed reads
// and saves as the same workbook with those rows held in memory.
#include "DataGenerator.h"

#include "reports/Reports.h"
#include "reports/WorkbookStream.h"
#include "support/NestedOracle.h"
#include "support/TempDataDir.h"
#include "support/ZipParts.h"

#include <gtest/gtest.h>

#include <functional>

using namespace vedaris;
using namespace vedaris::reports;

namespace {

struct Call
{
    const char *name;
    std::function<void(Workbook &)> held;
    std::function<void(StreamRow &)> streamed;
};

std::vector<Call> calls()
{
    std::vector<Call> out;
    for (const QString text : {"", "12", "-3,5", "1E5", "1,2,3", "01.02.2024", "31.02.2024",
                               "01.02.1800", "Бинт", "0012", " 7"}) {
        out.push_back({"typed", [text](Workbook &b) { b.setValue(1, 1, text); },
                       [text](StreamRow &r) { r.typed(1, text); }});
        out.push_back({"text", [text](Workbook &b) { b.setText(1, 1, text); },
                       [text](StreamRow &r) { r.text(1, text); }});
    }
    for (const QDate date :
         {QDate(), QDate(1800, 1, 1), QDate(1900, 1, 1), QDate(2024, 2, 29), QDate(9999, 12, 31)})
        out.push_back({"date", [date](Workbook &b) { b.setDate(1, 1, date); },
                       [date](StreamRow &r) { r.date(1, date); }});
    out.push_back({"number", [](Workbook &b) { b.setValue(1, 1, -0.25); },
                   [](StreamRow &r) { r.number(1, -0.25); }});
    return out;
}

QString describe(const CellValue &v)
{
    if (const double *n = std::get_if<double>(&v))
        return QString::number(*n, 'g', 17);
    if (const QString *t = std::get_if<QString>(&v))
        return u'"' + *t + u'"';
    return QStringLiteral("empty");
}

QByteArray sheetXml(const QString &file)
{
    return zipparts::read(file).value(QStringLiteral("xl/worksheets/sheet1.xml"));
}

} // namespace

TEST(StreamedRows, EachCellIsTheOneTheWorkbookCallsMake)
{
    std::vector<CellFormat> rowFormats(4);
    rowFormats[1].fontSize = 10;
    rowFormats[2].numberFormat = "@";
    rowFormats[3].numberFormat = "0.00";
    rowFormats[3].bold = true;
    for (const CellFormat &rowFormat : rowFormats)
        for (const Call &call : calls()) {
            Workbook held;
            held.setFontSize(Range::rows(1, 1), rowFormat.fontSize);
            held.setBold(Range::rows(1, 1), rowFormat.bold);
            held.setNumberFormat(Range::rows(1, 1), rowFormat.numberFormat);
            call.held(held);

            Workbook book;
            Workbook::Impl &w = const_cast<Workbook::Impl &>(book.storage());
            StreamRow row(w);
            row.clear(w.intern(rowFormat));
            call.streamed(row);

            const QString where = QStringLiteral("%1 with row format \"%2\" size %3")
                                      .arg(call.name, rowFormat.numberFormat)
                                      .arg(rowFormat.fontSize);
            EXPECT_EQ(describe(row.value(1)), describe(held.value(1, 1))) << where.toStdString();
            ASSERT_NE(row.slot(1), nullptr) << where.toStdString();
            EXPECT_TRUE(w.formats[row.slot(1)->format] == held.format(1, 1)) << where.toStdString();
        }
}

TEST(StreamedRows, EveryReportReadsAndSavesAsItsRowsHeld)
{
    gen::Options o;
    o.seed = 21;
    o.batches = 60;
    o.issues = 300;
    o.departments = 4;
    o.first = QDate(2021, 1, 1);
    o.last = QDate(2021, 12, 31);
    o.hostile = true;
    const gen::Data data = gen::generate(o);
    TempDataDir dir;
    gen::write(data, dir.path());
    for (const auto &[start, finish] : {std::pair{QDate(2021, 3, 1), QDate(2021, 3, 31)},
                                        std::pair{QDate(2000, 1, 1), QDate(2100, 1, 1)}}) {
        ReportParams p;
        p.date = QDate(2100, 1, 1); // every batch expired by then
        p.start = start;
        p.finish = finish;
        p.department = data.departmentTexts.value(1);
        for (ReportKind kind :
             {ReportKind::Expired, ReportKind::Stock, ReportKind::Consumption,
              ReportKind::Purchases, ReportKind::Department, ReportKind::Departments,
              ReportKind::Movement, ReportKind::IssueDates}) {
            const Outcome out = runReport(kind, dir.path(), p);
            ASSERT_FALSE(out.empty()) << out.title.toStdString();
            const Workbook &book = *out.workbook;
            bool streamed = false;
            for (int row = 1; row <= book.lastRow() && !streamed; ++row)
                streamed = book.streamed(row);
            EXPECT_TRUE(streamed) << out.title.toStdString() << ": its rows are held, not streamed";

            const Workbook held = book.materialized();
            EXPECT_EQ(oracle::difference(held, book), "") << out.title.toStdString();
            const QString a = dir.file("streamed.xlsx"), b = dir.file("held.xlsx");
            book.saveXlsx(a);
            held.saveXlsx(b);
            const QByteArray xml = sheetXml(a);
            EXPECT_FALSE(xml.isEmpty());
            EXPECT_TRUE(xml == sheetXml(b)) << out.title.toStdString() << ": the sheets differ";
        }
    }
}
