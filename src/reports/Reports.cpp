#include "reports/Reports.h"
#include "reports/DeletionReport.h"
#include "reports/StocktakeForms.h"

#include "reports/ReportColumns.h"
#include "reports/StreamedRows.h"
#include "store/TextFormats.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <variant>

namespace vedaris::reports {

namespace {

QString day(const QDate &date)
{
    return text::formatDate(date);
}

// The rows are made from the lines as the sheet is read or written; the
// totals add the lines up in their pass order, as rows written one by one
// before the sort would.
template<class Line>
Outcome tableReport(Layout layout, const Columns<Line> &columns, const QVector<Line> &lines)
{
    ReportSheet sheet(std::move(layout));
    const qint64 last =
        sheet.layout().firstDataRow + lines.size() - (sheet.layout().totals ? 0 : 1);
    if (sheet.refuse(last))
        return sheet.finish(true);
    RowTotals totals;
    for (const Column<Line> &c : columns) {
        if (c.total != Total::Quantity && c.total != Total::Money)
            continue;
        double &sum = c.total == Total::Quantity ? totals.quantity : totals.money;
        for (const Line &line : lines)
            sum += c.cell(line).number;
    }
    std::vector<int> order(size_t(lines.size()));
    std::iota(order.begin(), order.end(), 0);
    if (sheet.layout().sorted && columns.size() >= 2)
        order = linesSortedBy(sheet.book(), columns[1], lines);
    const int first = sheet.row();
    std::shared_ptr<const RowSource> rows;
    if (!lines.isEmpty())
        rows = std::make_shared<TableRows<Line>>(sheet.book(), first, columns, lines,
                                                 std::move(order));
    sheet.streamRows(std::move(rows), int(lines.size()), totals);
    return sheet.finish();
}

using R = StockRecord;

const Columns<StockRecord> &expiredColumns()
{
    static const Columns<StockRecord> columns = {
        numbered<R>(),
        stockText<R>(header::Name, 35, &R::DrugName),
        stockDate<R>(header::Received, 10, &R::ReceiptDate),
        stockDate<R>(header::Expiry, 10, &R::ExpiryDate),
        stockText<R>(header::Unit, 12, &R::Unit, Total::Label),
        stockNumber<R>(header::Quantity, 8, &R::Quantity, Total::Quantity),
        stockNumber<R>(header::Price, 10, &R::UnitPrice),
        stockNumber<R>(header::Sum, 17, &R::TotalSum, Total::Money),
    };
    return columns;
}

const Columns<StockRecord> &stockColumns()
{
    static const Columns<StockRecord> columns = {
        numbered<R>(),
        stockText<R>(header::Name, 35, &R::DrugName),
        stockText<R>(header::Supplier, 20, &R::Supplier),
        stockText<R>(header::Document, 15, &R::ReceiptDocument),
        stockText<R>(header::Manufacturer, 20, &R::Manufacturer),
        stockText<R>(header::Series, 15, &R::Series),
        stockDate<R>(header::Received, 10, &R::ReceiptDate),
        stockDate<R>(header::Expiry, 10, &R::ExpiryDate),
        stockText<R>(header::Unit, 12, &R::Unit, Total::Label),
        stockNumber<R>(header::Quantity, 10, &R::Quantity, Total::Quantity),
        stockNumber<R>(header::Price, 10, &R::UnitPrice),
        stockNumber<R>(header::Sum, 15, &R::TotalSum, Total::Money),
    };
    return columns;
}

// The stock report's columns with what was received in place of what is left.
const Columns<StockRecord> &purchasesColumns()
{
    static const Columns<StockRecord> columns = [] {
        Columns<StockRecord> c = stockColumns();
        for (Column<StockRecord> &column : c) {
            if (column.total == Total::Quantity)
                column = stockNumber<R>(header::Quantity, column.width, &R::ReceivedQuantity,
                                        Total::Quantity);
            else if (column.total == Total::Money)
                column = stockNumber<R>(header::Sum, column.width, &R::ReceivedSum, Total::Money);
        }
        return c;
    }();
    return columns;
}

using L = IssuedLine;

const Columns<IssuedLine> &consumptionColumns()
{
    static const Columns<IssuedLine> columns = {
        numbered<L>(),
        stockText<L>(header::Name, 35, &R::DrugName),
        stockText<L>(header::Supplier, 20, &R::Supplier),
        stockText<L>(header::Document, 15, &R::ReceiptDocument),
        stockText<L>(header::Manufacturer, 20, &R::Manufacturer),
        stockText<L>(header::Series, 15, &R::Series),
        stockDate<L>(header::Received, 10, &R::ReceiptDate),
        stockText<L>(header::Unit, 12, &R::Unit, Total::Label),
        issued<L>(header::Quantity, 10, &L::quantity, Total::Quantity),
        stockNumber<L>(header::Price, 10, &R::UnitPrice),
        issued<L>(header::Sum, 15, &L::sum, Total::Money),
    };
    return columns;
}

// A drug's line of the movement report with its balances.
struct MovementRow
{
    MovementLine line;
    MovementBalance balance;
};

Column<MovementRow> movementNumber(double width, double MovementLine::*field)
{
    return {{}, width, [field](const MovementRow &r) { return numberCell(r.line.*field); }};
}

Column<MovementRow> balanceNumber(double width, double MovementBalance::*field)
{
    return {{}, width, [field](const MovementRow &r) { return numberCell(r.balance.*field); }};
}

// Without header texts: the report draws its own two-row header.
const Columns<MovementRow> &movementColumns()
{
    using M = MovementLine;
    using B = MovementBalance;
    static const Columns<MovementRow> columns = {
        {{}, 4, {}},
        {{}, 35, [](const MovementRow &r) { return textCell(r.line.name); }},
        {{}, 15, [](const MovementRow &r) { return textCell(r.line.unit); }},
        balanceNumber(11, &B::openingQuantity),
        balanceNumber(11, &B::openingSum),
        movementNumber(11, &M::receivedQuantity),
        movementNumber(11, &M::receivedSum),
        movementNumber(11, &M::issuedQuantity),
        movementNumber(11, &M::issuedSum),
        balanceNumber(11, &B::closingQuantity),
        balanceNumber(11, &B::closingSum),
    };
    return columns;
}

} // namespace

MovementBalance MovementBalance::of(const MovementLine &l)
{
    MovementBalance b;
    b.openingQuantity = l.receivedBeforeQuantity - l.issuedBeforeQuantity;
    if (b.openingQuantity < 0)
        b.openingQuantity = 0;
    b.closingQuantity = b.openingQuantity + l.receivedQuantity - l.issuedQuantity;
    if (b.closingQuantity < 0)
        b.closingQuantity = 0;
    b.openingSum = l.receivedBeforeSum - l.issuedBeforeSum;
    if (b.openingSum < 0)
        b.openingSum = 0;
    b.closingSum = b.openingSum + l.receivedSum - l.issuedSum;
    if (b.closingSum < 0)
        b.closingSum = 0;
    return b;
}

Layout expiredLayout(const QDate &date)
{
    Layout l = tableLayout(
        expiredColumns(),
        {QStringLiteral("Отчёт"),
         QStringLiteral("по лекарственным средствам у которых истёк срок годности на %1 года.")
             .arg(day(date))},
        HeaderRow::BoldCentred);
    l.name = QStringLiteral("Срок годности медикаментов");
    l.zoom = 90;
    l.sorted = true;
    l.emptyMessage = messages::NoExpired;
    return l;
}

Layout stockLayout(const QDate &today)
{
    Layout l =
        tableLayout(stockColumns(),
                    {QStringLiteral("Отчёт"),
                     QStringLiteral("наличия лекарственных средств на %1 года.").arg(day(today))},
                    HeaderRow::Bold);
    l.name = QStringLiteral("Наличие медикаментов");
    l.zoom = 78;
    l.landscape = true;
    l.sorted = true;
    l.emptyMessage = messages::NoStock;
    return l;
}

Layout consumptionLayout(const QDate &start, const QDate &finish)
{
    Layout l = tableLayout(consumptionColumns(),
                           {QStringLiteral("Общий отчёт"),
                            QStringLiteral("израсходованных лекарственных средств %1.")
                                .arg(periodText(start, finish))},
                           HeaderRow::Bold);
    l.name = QStringLiteral("Общий расход медикаментов");
    l.zoom = 83;
    l.landscape = true;
    l.sorted = true;
    l.emptyMessage = messages::NoConsumption;
    return l;
}

Layout purchasesLayout(const QDate &start, const QDate &finish)
{
    // The header row of this report is not bold: only the two title lines are.
    Layout l = tableLayout(
        purchasesColumns(),
        {QStringLiteral("Отчёт"),
         QStringLiteral("приобретённых лекарственных средств %1.").arg(periodText(start, finish))},
        HeaderRow::Plain);
    l.name = QStringLiteral("Общий приход");
    l.zoom = 78;
    l.landscape = true;
    l.sorted = true;
    l.emptyMessage = messages::NoPurchases;
    return l;
}

Layout departmentLayout(const QDate &start, const QDate &finish, const QString &department)
{
    Layout l =
        tableLayout(departmentColumns(5),
                    {QStringLiteral("Отчёт"),
                     QStringLiteral("%1 для одного отделения.").arg(periodText(start, finish)),
                     department + QLatin1Char('.')},
                    HeaderRow::BoldCentred);
    l.name = QStringLiteral("Отчёт о расходе по одному отделению");
    l.lastTitleAsText = true;
    l.borders = TableBorders::AfterPass;
    l.zoom = 83;
    l.sorted = true;
    l.emptyMessage = messages::NoConsumption;
    return l;
}

Layout movementLayout(const QDate &start, const QDate &finish)
{
    // Two header rows, 4 and 5: the four balances over pairs of quantity and sum.
    const int last = int(movementColumns().size());
    Layout l = titledTable(
        last,
        {QStringLiteral("Отчёт о движении медикаментов"),
         QStringLiteral("и средств медицинского назначения %1.").arg(periodText(start, finish))},
        HeaderRow::BoldCentred);
    l.name = QStringLiteral("Отчёт о движении медикаментов");
    l.widths = widthsOf(movementColumns());
    l.fonts = {{cells(1, 1, 5, last), true, 0},
               {cells(4, 1, 5, last), false, 10},
               {cells(1, 1, 2, last), false, 14}};
    l.centred = cells(1, 1, 5, last);
    l.customHeader = [last](Workbook &book) {
        book.setVerticalAlignment(cells(4, 1, 5, last), VAlign::Center);
        book.setBorders(cells(4, 1, 5, last));
        for (int col = 1; col <= 3; ++col)
            book.merge(cells(4, col, 5, col));
        for (int col = 4; col < last; col += 2)
            book.merge(cells(4, col, 4, col + 1));
        book.setWrap(cells(4, 1, 5, 3));
        book.setValue(4, 1, QStringLiteral("№ п/п"));
        book.setValue(4, 2, QStringLiteral("Наименование препарата"));
        book.setValue(4, 3, QStringLiteral("Ед. измерения"));
        book.setValue(4, 4, QStringLiteral("Остаток на начало периода"));
        book.setValue(4, 6, QStringLiteral("Приход"));
        book.setValue(4, 8, QStringLiteral("Израсходовано"));
        book.setValue(4, 10, QStringLiteral("Остаток на конец периода"));
        for (int col = 4; col < last; col += 2) {
            book.setValue(5, col, QStringLiteral("Кол-во"));
            book.setValue(5, col + 1, QStringLiteral("Сумма"));
        }
    };
    l.firstDataRow = 6;
    l.bordersFrom = 6;
    l.zoom = 95;
    l.landscape = true;
    l.sorted = true;
    l.emptyMessage = messages::NoMovement;
    return l;
}

Outcome expiredReport(const ReportParams &params, const QVector<StockRecord> &lines)
{
    return tableReport(expiredLayout(params.date), expiredColumns(), lines);
}

Outcome stockReport(const ReportParams &params, const QVector<StockRecord> &lines)
{
    return tableReport(stockLayout(params.date), stockColumns(), lines);
}

Outcome consumptionReport(const ReportParams &params, const QVector<IssuedLine> &lines)
{
    return tableReport(consumptionLayout(params.start, params.finish), consumptionColumns(), lines);
}

Outcome purchasesReport(const ReportParams &params, const QVector<StockRecord> &lines)
{
    return tableReport(purchasesLayout(params.start, params.finish), purchasesColumns(), lines);
}

Outcome departmentReport(const ReportParams &params, const QVector<IssuedLine> &lines)
{
    return tableReport(departmentLayout(params.start, params.finish, params.department),
                       departmentColumns(5), lines);
}

Outcome movementReport(const ReportParams &params, const QVector<MovementLine> &lines)
{
    QVector<MovementRow> rows;
    rows.reserve(lines.size());
    for (const MovementLine &l : lines)
        rows.append({l, MovementBalance::of(l)});
    return tableReport(movementLayout(params.start, params.finish), movementColumns(), rows);
}

namespace {

// Counts what no sheet can show rightly: a number that is not finite, a date
// outside the days the program stores.
class OddValues
{
public:
    int count() const { return m_count; }

    void operator()(const QVector<StockRecord> &lines)
    {
        for (const StockRecord &r : lines)
            stock(r);
    }
    void operator()(const QVector<IssuedLine> &lines)
    {
        for (const IssuedLine &l : lines) {
            stock(l.stock);
            numbers({l.quantity, l.sum});
        }
    }
    void operator()(const QVector<DepartmentBlock> &blocks)
    {
        for (const DepartmentBlock &b : blocks)
            (*this)(b.lines);
    }
    void operator()(const DepartmentLines &data)
    {
        for (const DepartmentLines::Block &b : data.blocks)
            for (const DepartmentLines::Line &l : data.lines[size_t(b.lines)]) {
                stock(data.stock[l.stock]);
                numbers({l.quantity, l.sum});
            }
    }
    void operator()(const QVector<MovementLine> &lines)
    {
        for (const MovementLine &l : lines)
            numbers({l.receivedBeforeQuantity, l.receivedBeforeSum, l.receivedQuantity,
                     l.receivedSum, l.issuedBeforeQuantity, l.issuedBeforeSum, l.issuedQuantity,
                     l.issuedSum});
    }
    void operator()(const QVector<IssueBlock> &blocks)
    {
        for (const IssueBlock &b : blocks) {
            stock(b.stock);
            for (const DatedIssue &i : b.issues) {
                dates({i.date});
                numbers({i.quantity, i.sum});
            }
        }
    }

private:
    void numbers(std::initializer_list<double> values)
    {
        for (double v : values)
            m_count += !std::isfinite(v);
    }
    void dates(std::initializer_list<double> values)
    {
        for (double v : values)
            m_count += !text::possibleDate(v);
    }
    void stock(const StockRecord &r)
    {
        numbers({r.Quantity, r.ReceivedQuantity, r.UnitPrice, r.TotalSum, r.ReceivedSum});
        dates({r.ReceiptDate, r.ExpiryDate});
    }

    int m_count = 0;
};

template<class Lines, class Report>
Outcome counted(const Lines &lines, Report &&report, ReportKind kind)
{
    Outcome out = report(lines);
    if (out.workbook)
        presentForReading(*out.workbook, kind);
    OddValues odd;
    odd(lines);
    out.oddValues = odd.count();
    return out;
}

} // namespace

namespace {

// The columns whose numbers the report adds up, counted from A = 1.
struct CountedColumns
{
    QVector<int> quantities;
    QVector<int> sums;
};

CountedColumns countedColumns(ReportKind kind)
{
    switch (kind) {
    case ReportKind::Expired:
    case ReportKind::Department:
    case ReportKind::Departments:
        return {{6}, {8}};
    case ReportKind::Stock:
    case ReportKind::Purchases:
        return {{10}, {12}};
    case ReportKind::Consumption:
        return {{9}, {11}};
    case ReportKind::Movement:
        return {{4, 6, 8, 10}, {5, 7, 9, 11}};
    // The issue dates' quantities and sums are texts, as they were; the forms
    // round and format their own cells.
    case ReportKind::IssueDates:
    case ReportKind::Inventory:
    case ReportKind::WriteOffAct:
    case ReportKind::Requisition:
    case ReportKind::Deletions:
    case ReportKind::Discrepancies:
        break;
    }
    return {};
}

bool isHeaderRow(const Workbook &book, int row)
{
    const CellValue v = book.value(row, 1);
    const QString *text = std::get_if<QString>(&v);
    return text && text->startsWith(u'№');
}

} // namespace

void presentForReading(Workbook &book, ReportKind kind)
{
    const CountedColumns counted = countedColumns(kind);
    const int lastRow = book.lastRow();
    QVector<int> headerRows;
    for (int row = 1; row <= lastRow; ++row) {
        if (isHeaderRow(book, row)) {
            headerRows << row;
            continue;
        }
        if (book.streamed(row))
            continue; // rounded as they are made, below
        for (const int col : counted.quantities) {
            const Cell *c = book.cell(row, col);
            if (c && std::holds_alternative<double>(c->value))
                book.setValue(row, col, text::roundQuantity(std::get<double>(c->value)));
        }
        for (const int col : counted.sums) {
            const Cell *c = book.cell(row, col);
            if (!c || !std::holds_alternative<double>(c->value))
                continue;
            book.setValue(row, col, text::roundSum(std::get<double>(c->value)));
            book.setNumberFormat(Range::cell(row, col), MoneyFormat);
        }
    }

    // The same for the streamed rows, each as it is made.
    book.presentStreamed([counted](int, StreamRow &line) {
        const CellValue first = line.value(1);
        const QString *text = std::get_if<QString>(&first);
        if (text && text->startsWith(u'№'))
            return;
        for (const int col : counted.quantities)
            if (StreamRow::Slot *s =
                    line.cells.size() >= size_t(col) ? &line.cells[size_t(col) - 1] : nullptr;
                s && s->used && s->holds == StreamRow::Slot::Number)
                s->setNumber(text::roundQuantity(s->number()));
        for (const int col : counted.sums)
            if (StreamRow::Slot *s =
                    line.cells.size() >= size_t(col) ? &line.cells[size_t(col) - 1] : nullptr;
                s && s->used && s->holds == StreamRow::Slot::Number) {
                s->setNumber(text::roundSum(s->number()));
                line.change(col, MoneyChange, [](CellFormat &f) { f.numberFormat = MoneyFormat; });
            }
    });

    const QVector<Range> merges = book.merges();
    const auto merged = [&merges](int row, int col) {
        return std::any_of(merges.begin(), merges.end(), [row, col](const Range &m) {
            return row >= m.top && row <= m.bottom && col >= m.left && col <= m.right
                && m.left != m.right;
        });
    };
    // Room for a bold heading and a little margin, in characters.
    const auto needed = [](const QString &heading) { return double(heading.size()) + 2; };
    for (const int row : headerRows) {
        for (int col = 1; col <= book.lastColumn(); ++col) {
            const CellValue v = book.value(row, col);
            const QString *heading = std::get_if<QString>(&v);
            if (heading && !merged(row, col) && book.columnWidth(col) < needed(*heading))
                book.setColumnWidth(col, needed(*heading));
        }
    }
    // A heading over several columns (and the headings below it) widens each
    // of them by an equal share of what it lacks.
    for (const Range &m : merges) {
        if (m.left == m.right || !headerRows.contains(m.top))
            continue;
        const CellValue v = book.value(m.top, m.left);
        const QString *heading = std::get_if<QString>(&v);
        if (!heading)
            continue;
        double width = 0;
        for (int col = m.left; col <= m.right; ++col)
            width += book.columnWidth(col);
        const double lacking = needed(*heading) - width;
        if (lacking > 0)
            for (int col = m.left; col <= m.right; ++col)
                book.setColumnWidth(
                    col, book.columnWidth(col) + std::ceil(lacking / (m.right - m.left + 1)));
    }
    // One table: its header, with the rows a merged first cell spans, atop every page.
    if (headerRows.size() == 1) {
        int to = headerRows[0];
        for (const Range &m : merges)
            if (m.top == headerRows[0] && m.left == 1)
                to = std::max(to, m.bottom);
        book.pageSetup().repeatRowsFrom = headerRows[0];
        book.pageSetup().repeatRowsTo = to;
    }
}

Outcome runReport(ReportKind kind, const QString &dataDir, const ReportParams &p,
                  const Progress &progress)
{
    const auto with = [&p](auto report) {
        return [&p, report](const auto &lines) { return report(p, lines); };
    };
    switch (kind) {
    case ReportKind::Expired:
        return counted(pass::expired(dataDir, p.date, progress), with(expiredReport), kind);
    case ReportKind::Stock:
        return counted(pass::inStock(dataDir, progress), with(stockReport), kind);
    case ReportKind::Consumption:
        return counted(pass::consumption(dataDir, p.start, p.finish, progress),
                       with(consumptionReport), kind);
    case ReportKind::Purchases:
        return counted(pass::purchases(dataDir, p.start, p.finish, progress), with(purchasesReport),
                       kind);
    case ReportKind::Department:
        return counted(pass::department(dataDir, p.start, p.finish, p.department, progress),
                       with(departmentReport), kind);
    case ReportKind::Departments: {
        // The lines go into the workbook, which makes its rows from them.
        DepartmentLines lines = pass::departmentLines(dataDir, p.start, p.finish, progress);
        OddValues odd;
        odd(lines);
        Outcome out = departmentsReport(p, std::move(lines));
        if (out.workbook)
            presentForReading(*out.workbook, kind);
        out.oddValues = odd.count();
        return out;
    }
    case ReportKind::Movement:
        return counted(pass::movement(dataDir, p.start, p.finish, progress), with(movementReport),
                       kind);
    case ReportKind::IssueDates:
        return counted(pass::issueDates(dataDir, p.start, p.finish, progress),
                       with(issueDatesReport), kind);
    case ReportKind::Inventory:
        return inventoryForm(dataDir, p.date, p.blind);
    case ReportKind::WriteOffAct:
        return writeOffActForm(dataDir, p.start, p.finish);
    case ReportKind::Requisition:
        return requisitionForm(dataDir, p.department, p.start, p.finish);
    case ReportKind::Deletions:
        return deletionsReport(dataDir, p.start, p.finish);
    case ReportKind::Discrepancies:
        return discrepancyForm(dataDir);
    }
    return {};
}

} // namespace vedaris::reports
