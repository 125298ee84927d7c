#include "reports/Reports.h"

#include "reports/ReportColumns.h"
#include "store/TextFormats.h"

// The two reports whose rows come in blocks: one per department, and one per
// stock line with a row for each of its issues.
namespace vedaris::reports {

namespace {

Range row(int r)
{
    return Range::rows(r, r);
}

// The department blocks' quantity column is wider than the one-department report's.
const Columns<IssuedLine> &departmentsColumns()
{
    static const Columns<IssuedLine> columns = departmentColumns(9);
    return columns;
}

// A column of the issue-dates report: a cell of the stock line, written into
// the block's first row and merged over the block, or a cell of each issue.
// A column with neither holds the stock line's running number.
struct BlockColumn
{
    QString header;
    double width = 0;
    std::function<CellData(const StockRecord &)> stock;
    std::function<CellData(const DatedIssue &)> issue;

    bool perIssue() const { return bool(issue); }
};

BlockColumn stockText(const QString &title, double width, QString StockRecord::*field)
{
    return {title, width, [field](const StockRecord &s) { return textCell(s.*field); }, {}};
}

const QVector<BlockColumn> &issueDatesColumns()
{
    static const QVector<BlockColumn> columns = {
        {header::Number, 3, {}, {}},
        stockText(header::Name, 35, &StockRecord::DrugName),
        stockText(header::Supplier, 20, &StockRecord::Supplier),
        stockText(header::Document, 15, &StockRecord::ReceiptDocument),
        stockText(header::Manufacturer, 20, &StockRecord::Manufacturer),
        stockText(header::Series, 15, &StockRecord::Series),
        {header::Received, 10, [](const StockRecord &s) { return dateCell(s.ReceiptDate); }, {}},
        {header::Issued, 10, {}, [](const DatedIssue &i) { return dateCell(i.date); }},
        stockText(header::Unit, 12, &StockRecord::Unit),
        {header::Quantity, 5, {}, [](const DatedIssue &i) { return roundedCell(i.quantity); }},
        {header::Price, 9, [](const StockRecord &s) { return numberCell(s.UnitPrice); }, {}},
        {header::Sum, 11, {}, [](const DatedIssue &i) { return textCell(text::formatNumber(i.sum)); }},
    };
    return columns;
}

} // namespace

Layout departmentsLayout(const QDate &start, const QDate &finish)
{
    const int last = int(departmentsColumns().size());
    Layout l;
    l.name = QStringLiteral("Отчёт по всем отделениям");
    l.widths = widthsOf(departmentsColumns());
    l.fonts = {{cells(1, 1, 2, last), true, 14}};
    l.titleMerges = {cells(1, 1, 1, last), cells(2, 1, 2, last)};
    l.centred = cells(1, 1, 2, last);
    l.titles = {QStringLiteral("Отчёт израсходованных лекарственных средств"),
                QStringLiteral("%1 для всех отделений.").arg(periodText(start, finish))};
    l.headerRow = 0;
    l.firstDataRow = 0;
    l.borders = TableBorders::None;
    l.zoom = 80;
    l.emptyMessage = messages::NoDepartmentConsumption;
    return l;
}

Outcome departmentsReport(const ReportParams &params, const QVector<DepartmentBlock> &blocks)
{
    const Columns<IssuedLine> &columns = departmentsColumns();
    const int last = int(columns.size());
    const QStringList headers = headersOf(columns);
    const TotalsColumns totals = *totalsOf(columns);

    ReportSheet sheet(departmentsLayout(params.start, params.finish));
    Workbook &book = sheet.book();
    // Each block: two empty rows, its heading, an empty row, the header, its
    // lines and the totals row.
    qint64 needed = 0;
    for (const DepartmentBlock &block : blocks)
        if (!block.lines.isEmpty())
            needed += 6 + block.lines.size();
    if (sheet.refuse(needed))
        return sheet.finish(true);
    int r = 0;
    for (const DepartmentBlock &block : blocks) {
        if (block.lines.isEmpty())
            continue;
        // Two empty rows above every heading, one between heading and header.
        r += 3;
        book.setBold(row(r));
        book.setFontSize(row(r), 14);
        book.merge(cells(r, 1, r, last));
        book.setHorizontalAlignment(row(r), HAlign::Center);
        book.setText(r, 1, block.name + QLatin1Char('.'));

        r += 2;
        book.setBold(row(r));
        book.setFontSize(row(r), 10);
        writeHeader(book, r, headers);
        book.setBorders(cells(r, 1, r, last));
        ++r;

        RowTotals sums;
        int number = 1;
        for (const IssuedLine &line : block.lines) {
            writeRow(book, r, number, columns, line, sums);
            book.setBorders(cells(r, 1, r, last));
            ++r;
            ++number;
        }
        writeTotals(book, r, totals, last, sums);
    }
    sheet.setRow(r);
    return sheet.finish(r > 5);
}

Layout issueDatesLayout(const QDate &start, const QDate &finish)
{
    const QVector<BlockColumn> &columns = issueDatesColumns();
    Layout l = titledTable(int(columns.size()),
                           {QStringLiteral("Общий отчёт"),
                            QStringLiteral("израсходованных лекарственных средств %1.").arg(periodText(start, finish))},
                           HeaderRow::Bold);
    l.name = QStringLiteral("Общий расход с выводом даты");
    for (const BlockColumn &c : columns) {
        l.widths << c.width;
        l.headers << c.header;
    }
    l.borders = TableBorders::AfterPass;
    l.zoom = 83;
    l.landscape = true;
    l.emptyMessage = messages::NoConsumption;
    return l;
}

Outcome issueDatesReport(const ReportParams &params, const QVector<IssueBlock> &blocks)
{
    const QVector<BlockColumn> &columns = issueDatesColumns();
    const int lastColumn = int(columns.size());
    ReportSheet sheet(issueDatesLayout(params.start, params.finish));
    Workbook &book = sheet.book();
    qint64 needed = sheet.row() - 1;
    for (const IssueBlock &block : blocks)
        needed += block.issues.size();
    if (sheet.refuse(needed))
        return sheet.finish(true);
    int r = sheet.row();
    int number = 0;
    for (const IssueBlock &block : blocks) {
        if (block.issues.isEmpty())
            continue;
        const int first = r;
        for (const DatedIssue &issue : block.issues) {
            book.setFontSize(row(r), 10);
            for (int col = 1; col <= lastColumn; ++col)
                if (columns[col - 1].perIssue())
                    writeCell(book, r, col, columns[col - 1].issue(issue));
            ++r;
        }
        // The stock line's cells go into the block's first row, the cell each
        // merged range shows: a merge keeps the value but not the number format
        // of a lower cell, and the receipt date must stay a date.
        const int last = r - 1;
        ++number;
        for (int col = 1; col <= lastColumn; ++col) {
            const BlockColumn &c = columns[col - 1];
            if (c.stock)
                writeCell(book, first, col, c.stock(block.stock));
            else if (!c.perIssue())
                book.setValue(first, col, QString::number(number));
        }
        if (first != last)
            for (int col = 1; col <= lastColumn; ++col)
                if (!columns[col - 1].perIssue())
                    book.merge(cells(first, col, last, col));
        book.setHorizontalAlignment(cells(first, 1, last, 1), HAlign::Center);
        book.setVerticalAlignment(cells(first, 1, last, 1), VAlign::Center);
        book.setHorizontalAlignment(cells(first, 2, last, 2), HAlign::Left);
        book.setVerticalAlignment(cells(first, 2, last, 2), VAlign::Center);
        book.setVerticalAlignment(cells(first, 3, last, lastColumn), VAlign::Center);
        book.setHorizontalAlignment(cells(first, 3, last, lastColumn), HAlign::Center);
    }
    sheet.setRow(r);
    return sheet.finish();
}

} // namespace vedaris::reports
