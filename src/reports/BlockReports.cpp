#include "reports/Reports.h"

#include "store/TextFormats.h"

// The two reports whose rows come in blocks: one per department, and one per
// stock line with a row for each of its issues.
namespace vedaris::reports {

namespace {

Range at(const char *address)
{
    return Range::parse(QString::fromLatin1(address));
}

QString period(const QDate &start, const QDate &finish)
{
    return QStringLiteral("с %1 по %2 года").arg(text::formatDate(start), text::formatDate(finish));
}

Range row(int r)
{
    return Range::rows(r, r);
}

} // namespace

Layout departmentsLayout(const QDate &start, const QDate &finish)
{
    Layout l;
    l.name = QStringLiteral("Отчёт по всем отделениям");
    l.widths = {3, 35, 20, 20, 12, 9, 9, 11};
    l.fonts = {{at("A1:H2"), true, 14}};
    l.titleMerges = {at("A1:H1"), at("A2:H2")};
    l.centred = at("A1:H2");
    l.titles = {QStringLiteral("Отчёт израсходованных лекарственных средств"),
                QStringLiteral("%1 для всех отделений.").arg(period(start, finish))};
    l.headerRow = 0;
    l.firstDataRow = 0;
    l.borders = TableBorders::None;
    l.zoom = 80;
    l.emptyMessage = messages::NoDepartmentConsumption;
    return l;
}

Outcome departmentsReport(const ReportParams &params, const QVector<DepartmentBlock> &blocks)
{
    static const QStringList headers = {
        QStringLiteral("№"),           QStringLiteral("Наименование"), QStringLiteral("Фирма-поставщик"),
        QStringLiteral("Фирма-изготовитель"), QStringLiteral("Ед.измерения"), QStringLiteral("Колич."),
        QStringLiteral("Цена за ед."), QStringLiteral("Общая сумма")};

    ReportSheet sheet(departmentsLayout(params.start, params.finish));
    Workbook &book = sheet.book();
    int r = 0;
    for (const DepartmentBlock &block : blocks) {
        if (block.lines.isEmpty())
            continue;
        // Two empty rows above every heading, one between heading and header.
        r += 3;
        book.setBold(row(r));
        book.setFontSize(row(r), 14);
        book.merge(cells(r, 1, r, 8));
        book.setHorizontalAlignment(row(r), HAlign::Center);
        book.setText(r, 1, block.name + QLatin1Char('.'));

        r += 2;
        book.setBold(row(r));
        book.setFontSize(row(r), 10);
        for (int col = 1; col <= headers.size(); ++col)
            book.setValue(r, col, headers[col - 1]);
        book.setBorders(cells(r, 1, r, 8));
        ++r;

        int number = 1;
        double quantity = 0, sum = 0;
        for (const IssuedLine &line : block.lines) {
            const StockRecord &s = line.stock;
            book.setFontSize(row(r), 10);
            book.setValue(r, 1, QString::number(number));
            book.setText(r, 2, s.DrugName);
            book.setText(r, 3, s.Supplier);
            book.setText(r, 4, s.Manufacturer);
            book.setText(r, 5, s.Unit);
            book.setValue(r, 6, line.quantity);
            book.setValue(r, 7, s.UnitPrice);
            book.setValue(r, 8, line.sum);
            book.setBorders(cells(r, 1, r, 8));
            ++r;
            ++number;
            quantity += line.quantity;
            sum += line.sum;
        }

        book.setBold(row(r));
        book.setValue(r, 5, ReportSheet::TotalsLabel);
        book.setValue(r, 6, quantity);
        book.setValue(r, 8, sum);
        book.setBorders(cells(r, 5, r, 8));
    }
    sheet.setRow(r);
    return sheet.finish(r > 5);
}

Layout issueDatesLayout(const QDate &start, const QDate &finish)
{
    Layout l;
    l.name = QStringLiteral("Общий расход с выводом даты");
    l.widths = {3, 35, 20, 15, 20, 15, 10, 10, 12, 5, 9, 11};
    l.fonts = {{at("A1:L4"), true, 0}, {Range::rows(4, 4), false, 10}, {at("A1:L2"), false, 14}};
    l.titleMerges = {at("A1:L1"), at("A2:L2")};
    l.centred = at("A1:L2");
    l.titles = {QStringLiteral("Общий отчёт"),
                QStringLiteral("израсходованных лекарственных средств %1.").arg(period(start, finish))};
    l.headers = {QStringLiteral("№"),           QStringLiteral("Наименование"),
                 QStringLiteral("Фирма-поставщик"), QStringLiteral("Назв. документа"),
                 QStringLiteral("Фирма-изготовитель"), QStringLiteral("Серия препарата"),
                 QStringLiteral("Дата получ."), QStringLiteral("Дата расх."),
                 QStringLiteral("Ед.измерения"), QStringLiteral("Колич."),
                 QStringLiteral("Цена за ед."), QStringLiteral("Общая сумма")};
    l.borders = TableBorders::AfterPass;
    l.bordersFrom = 4;
    l.zoom = 83;
    l.landscape = true;
    l.emptyMessage = messages::NoConsumption;
    return l;
}

Outcome issueDatesReport(const ReportParams &params, const QVector<IssueBlock> &blocks)
{
    ReportSheet sheet(issueDatesLayout(params.start, params.finish));
    Workbook &book = sheet.book();
    int r = sheet.row();
    int number = 0;
    for (const IssueBlock &block : blocks) {
        if (block.issues.isEmpty())
            continue;
        const int first = r;
        for (const DatedIssue &issue : block.issues) {
            book.setFontSize(row(r), 10);
            book.setValue(r, 8, text::formatDate(issue.date));
            book.setValue(r, 10, text::formatNumber(issue.quantity));
            book.setText(r, 12, text::formatNumber(issue.sum));
            ++r;
        }
        // The stock line's cells go into the block's first row, the cell each
        // merged range shows: a merge keeps the value but not the number format
        // of a lower cell, and the receipt date must stay a date.
        const int last = r - 1;
        const StockRecord &s = block.stock;
        ++number;
        book.setValue(first, 1, QString::number(number));
        book.setText(first, 2, s.DrugName);
        book.setText(first, 3, s.Supplier);
        book.setText(first, 4, s.ReceiptDocument);
        book.setText(first, 5, s.Manufacturer);
        book.setText(first, 6, s.Series);
        book.setValue(first, 7, text::formatDate(s.ReceiptDate));
        book.setText(first, 9, s.Unit);
        book.setValue(first, 11, s.UnitPrice);
        if (first != last)
            for (int col : {1, 2, 3, 4, 5, 6, 7, 9, 11})
                book.merge(cells(first, col, last, col));
        book.setHorizontalAlignment(cells(first, 1, last, 1), HAlign::Center);
        book.setVerticalAlignment(cells(first, 1, last, 1), VAlign::Center);
        book.setHorizontalAlignment(cells(first, 2, last, 2), HAlign::Left);
        book.setVerticalAlignment(cells(first, 2, last, 2), VAlign::Center);
        book.setVerticalAlignment(cells(first, 3, last, 12), VAlign::Center);
        book.setHorizontalAlignment(cells(first, 3, last, 12), HAlign::Center);
    }
    sheet.setRow(r);
    return sheet.finish();
}

} // namespace vedaris::reports
