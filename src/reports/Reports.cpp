#include "reports/Reports.h"

#include "store/TextFormats.h"

#include <cmath>

namespace vedaris::reports {

namespace {

Range at(const char *address)
{
    return Range::parse(QString::fromLatin1(address));
}

QString day(const QDate &date)
{
    return text::formatDate(date);
}

QString period(const QDate &start, const QDate &finish)
{
    return QStringLiteral("с %1 по %2 года").arg(day(start), day(finish));
}

const QString Number = QStringLiteral("№");
const QString Name = QStringLiteral("Наименование");
const QString Supplier = QStringLiteral("Фирма-поставщик");
const QString Document = QStringLiteral("Назв. документа");
const QString Manufacturer = QStringLiteral("Фирма-изготовитель");
const QString Series = QStringLiteral("Серия препарата");
const QString Received = QStringLiteral("Дата получ.");
const QString Expiry = QStringLiteral("Срок годн.");
const QString Unit = QStringLiteral("Ед.измерения");
const QString Quantity = QStringLiteral("Колич.");
const QString Price = QStringLiteral("Цена за ед.");
const QString Sum = QStringLiteral("Общая сумма");

// The heading of the reports whose header is row 4: bold over `bold`, row 4 in
// size 10, the two title lines in size 14 and merged, `centred` centred.
Layout titledTable(const char *bold, const char *size14, const char *title1Merge, const char *title2Merge,
                   const char *centred)
{
    Layout l;
    l.fonts = {{at(bold), true, 0}, {Range::rows(4, 4), false, 10}, {at(size14), false, 14}};
    l.titleMerges = {at(title1Merge), at(title2Merge)};
    l.centred = at(centred);
    return l;
}

template<class Line, class Cells>
Outcome tableReport(Layout layout, const QVector<Line> &lines, Cells &&cellsOf)
{
    ReportSheet sheet(std::move(layout));
    for (const Line &line : lines) {
        double quantity = 0, money = 0;
        const QVector<CellData> row = cellsOf(line, quantity, money);
        sheet.addRow(row, quantity, money);
    }
    return sheet.finish();
}

} // namespace

Layout expiredLayout(const QDate &date)
{
    Layout l = titledTable("A1:H4", "A1:H2", "A1:H1", "A2:H2", "A1:H4");
    l.name = QStringLiteral("Срок годности медикаментов");
    l.widths = {3, 35, 10, 10, 12, 8, 10, 17};
    l.titles = {QStringLiteral("Отчёт"),
                QStringLiteral("по лекарственным средствам у которых истёк срок годности на %1 года.")
                    .arg(day(date))};
    l.headers = {Number, Name, Received, Expiry, Unit, Quantity, Price, Sum};
    l.totals = TotalsColumns{5, 6, 8};
    l.zoom = 90;
    l.sorted = true;
    l.emptyMessage = messages::NoExpired;
    return l;
}

Layout stockLayout(const QDate &today)
{
    Layout l = titledTable("A1:L4", "A1:L2", "A1:L1", "A2:L2", "A1:L2");
    l.name = QStringLiteral("Наличие медикаментов");
    l.widths = {3, 35, 20, 15, 20, 15, 10, 10, 12, 10, 10, 15};
    l.titles = {QStringLiteral("Отчёт"), QStringLiteral("наличия лекарственных средств на %1 года.").arg(day(today))};
    l.headers = {Number, Name, Supplier, Document, Manufacturer, Series, Received, Expiry, Unit, Quantity, Price, Sum};
    l.totals = TotalsColumns{9, 10, 12};
    l.zoom = 78;
    l.landscape = true;
    l.sorted = true;
    l.emptyMessage = messages::NoStock;
    return l;
}

Layout consumptionLayout(const QDate &start, const QDate &finish)
{
    Layout l = titledTable("A1:K4", "A1:K2", "A1:K1", "A2:K2", "A1:K2");
    l.name = QStringLiteral("Общий расход медикаментов");
    l.widths = {3, 35, 20, 15, 20, 15, 10, 12, 10, 10, 15};
    l.titles = {QStringLiteral("Общий отчёт"),
                QStringLiteral("израсходованных лекарственных средств %1.").arg(period(start, finish))};
    l.headers = {Number, Name, Supplier, Document, Manufacturer, Series, Received, Unit, Quantity, Price, Sum};
    l.totals = TotalsColumns{8, 9, 11};
    l.zoom = 83;
    l.landscape = true;
    l.sorted = true;
    l.emptyMessage = messages::NoConsumption;
    return l;
}

Layout purchasesLayout(const QDate &start, const QDate &finish)
{
    // The header row of this report is not bold: only the two title lines are.
    Layout l = titledTable("A1:L2", "A1:L2", "A1:L1", "A2:L2", "A1:L2");
    l.name = QStringLiteral("Общий приход");
    l.widths = {3, 35, 20, 15, 20, 15, 10, 10, 12, 10, 10, 15};
    l.titles = {QStringLiteral("Отчёт"),
                QStringLiteral("приобретённых лекарственных средств %1.").arg(period(start, finish))};
    l.headers = {Number, Name, Supplier, Document, Manufacturer, Series, Received, Expiry, Unit, Quantity, Price, Sum};
    l.totals = TotalsColumns{9, 10, 12};
    l.zoom = 78;
    l.landscape = true;
    l.sorted = true;
    l.emptyMessage = messages::NoPurchases;
    return l;
}

Layout departmentLayout(const QDate &start, const QDate &finish, const QString &department)
{
    Layout l;
    l.name = QStringLiteral("Отчёт о расходе по одному отделению");
    l.widths = {3, 35, 20, 20, 12, 5, 9, 11};
    l.fonts = {{at("A1:H5"), true, 0}, {Range::rows(5, 5), false, 10}, {at("A1:H3"), false, 14}};
    l.titleMerges = {at("A1:H1"), at("A2:H2"), at("A3:H3")};
    l.centred = at("A1:H5");
    l.titles = {QStringLiteral("Отчёт"), QStringLiteral("%1 для одного отделения.").arg(period(start, finish)),
                department + QLatin1Char('.')};
    l.lastTitleAsText = true;
    l.headerRow = 5;
    l.headers = {Number, Name, Supplier, Manufacturer, Unit, Quantity, Price, Sum};
    l.firstDataRow = 6;
    l.borders = TableBorders::AfterPass;
    l.bordersFrom = 5;
    l.totals = TotalsColumns{5, 6, 8};
    l.zoom = 83;
    l.sorted = true;
    l.emptyMessage = messages::NoConsumption;
    return l;
}

Layout movementLayout(const QDate &start, const QDate &finish)
{
    Layout l;
    l.name = QStringLiteral("Отчёт о движении медикаментов");
    l.widths = {4, 35, 15, 11, 11, 11, 11, 11, 11, 11, 11};
    l.fonts = {{at("A1:K5"), true, 0}, {at("A4:K5"), false, 10}, {at("A1:K2"), false, 14}};
    l.titleMerges = {at("A1:K1"), at("A2:K2")};
    l.centred = at("A1:K5");
    l.titles = {QStringLiteral("Отчёт о движении медикаментов"),
                QStringLiteral("и средств медицинского назначения %1.").arg(period(start, finish))};
    l.customHeader = [](Workbook &book) {
        book.setVerticalAlignment(at("A4:K5"), VAlign::Center);
        book.setBorders(at("A4:K5"));
        for (const char *m : {"A4:A5", "B4:B5", "C4:C5", "D4:E4", "F4:G4", "H4:I4", "J4:K4"})
            book.merge(at(m));
        book.setWrap(at("A4:C5"));
        const QString count = QStringLiteral("Кол-во");
        const QString sum = QStringLiteral("Сумма");
        book.setValue(4, 1, QStringLiteral("№ п/п"));
        book.setValue(4, 2, QStringLiteral("Наименование препарата"));
        book.setValue(4, 3, QStringLiteral("Ед. измерения"));
        book.setValue(4, 4, QStringLiteral("Остаток на начало периода"));
        book.setValue(4, 6, QStringLiteral("Приход"));
        book.setValue(4, 8, QStringLiteral("Израсходовано"));
        book.setValue(4, 10, QStringLiteral("Остаток на конец периода"));
        for (int col = 4; col <= 10; col += 2) {
            book.setValue(5, col, count);
            book.setValue(5, col + 1, sum);
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
    return tableReport(expiredLayout(params.date), lines, [](const StockRecord &r, double &q, double &m) {
        q = r.Quantity;
        m = r.TotalSum;
        return QVector<CellData>{textCell(r.DrugName), dateCell(r.ReceiptDate), dateCell(r.ExpiryDate),
                                 textCell(r.Unit), numberCell(r.Quantity), numberCell(r.UnitPrice),
                                 numberCell(r.TotalSum)};
    });
}

Outcome stockReport(const ReportParams &params, const QVector<StockRecord> &lines)
{
    return tableReport(stockLayout(params.date), lines, [](const StockRecord &r, double &q, double &m) {
        q = r.Quantity;
        m = r.TotalSum;
        return QVector<CellData>{textCell(r.DrugName),     textCell(r.Supplier),    textCell(r.ReceiptDocument),
                                 textCell(r.Manufacturer), textCell(r.Series),      dateCell(r.ReceiptDate),
                                 dateCell(r.ExpiryDate),   textCell(r.Unit),        numberCell(r.Quantity),
                                 numberCell(r.UnitPrice),  numberCell(r.TotalSum)};
    });
}

Outcome consumptionReport(const ReportParams &params, const QVector<IssuedLine> &lines)
{
    return tableReport(consumptionLayout(params.start, params.finish), lines,
                       [](const IssuedLine &l, double &q, double &m) {
                           const StockRecord &r = l.stock;
                           q = l.quantity;
                           m = l.sum;
                           return QVector<CellData>{textCell(r.DrugName),     textCell(r.Supplier),
                                                    textCell(r.ReceiptDocument), textCell(r.Manufacturer),
                                                    textCell(r.Series),       dateCell(r.ReceiptDate),
                                                    textCell(r.Unit),         numberCell(l.quantity),
                                                    numberCell(r.UnitPrice),  numberCell(l.sum)};
                       });
}

Outcome purchasesReport(const ReportParams &params, const QVector<StockRecord> &lines)
{
    return tableReport(purchasesLayout(params.start, params.finish), lines,
                       [](const StockRecord &r, double &q, double &m) {
                           q = r.ReceivedQuantity;
                           m = r.ReceivedSum;
                           return QVector<CellData>{
                               textCell(r.DrugName),     textCell(r.Supplier),    textCell(r.ReceiptDocument),
                               textCell(r.Manufacturer), textCell(r.Series),      dateCell(r.ReceiptDate),
                               dateCell(r.ExpiryDate),   textCell(r.Unit),        numberCell(r.ReceivedQuantity),
                               numberCell(r.UnitPrice),  numberCell(r.ReceivedSum)};
                       });
}

Outcome departmentReport(const ReportParams &params, const QVector<IssuedLine> &lines)
{
    return tableReport(departmentLayout(params.start, params.finish, params.department), lines,
                       [](const IssuedLine &l, double &q, double &m) {
                           const StockRecord &r = l.stock;
                           q = l.quantity;
                           m = l.sum;
                           return QVector<CellData>{textCell(r.DrugName),    textCell(r.Supplier),
                                                    textCell(r.Manufacturer), textCell(r.Unit),
                                                    numberCell(l.quantity),  numberCell(r.UnitPrice),
                                                    numberCell(l.sum)};
                       });
}

Outcome movementReport(const ReportParams &params, const QVector<MovementLine> &lines)
{
    return tableReport(movementLayout(params.start, params.finish), lines,
                       [](const MovementLine &l, double &, double &) {
                           // Balances never go below zero; the closing ones build on the
                           // corrected opening ones.
                           double openingQuantity = l.receivedBeforeQuantity - l.issuedBeforeQuantity;
                           if (openingQuantity < 0)
                               openingQuantity = 0;
                           double closingQuantity = openingQuantity + l.receivedQuantity - l.issuedQuantity;
                           if (closingQuantity < 0)
                               closingQuantity = 0;
                           double openingSum = l.receivedBeforeSum - l.issuedBeforeSum;
                           if (openingSum < 0)
                               openingSum = 0;
                           double closingSum = openingSum + l.receivedSum - l.issuedSum;
                           if (closingSum < 0)
                               closingSum = 0;
                           return QVector<CellData>{textCell(l.name),
                                                    textCell(l.unit),
                                                    numberCell(openingQuantity),
                                                    numberCell(openingSum),
                                                    numberCell(l.receivedQuantity),
                                                    numberCell(l.receivedSum),
                                                    numberCell(l.issuedQuantity),
                                                    numberCell(l.issuedSum),
                                                    numberCell(closingQuantity),
                                                    numberCell(closingSum)};
                       });
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
    void operator()(const QVector<MovementLine> &lines)
    {
        for (const MovementLine &l : lines)
            numbers({l.receivedBeforeQuantity, l.receivedBeforeSum, l.receivedQuantity, l.receivedSum,
                     l.issuedBeforeQuantity, l.issuedBeforeSum, l.issuedQuantity, l.issuedSum});
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
Outcome counted(const Lines &lines, Report &&report)
{
    Outcome out = report(lines);
    OddValues odd;
    odd(lines);
    out.oddValues = odd.count();
    return out;
}

} // namespace

Outcome runReport(ReportKind kind, const QString &dataDir, const ReportParams &p, const Progress &progress)
{
    const auto with = [&p](auto report) { return [&p, report](const auto &lines) { return report(p, lines); }; };
    switch (kind) {
    case ReportKind::Expired:
        return counted(pass::expired(dataDir, p.date, progress), with(expiredReport));
    case ReportKind::Stock:
        return counted(pass::inStock(dataDir, progress), with(stockReport));
    case ReportKind::Consumption:
        return counted(pass::consumption(dataDir, p.start, p.finish, progress), with(consumptionReport));
    case ReportKind::Purchases:
        return counted(pass::purchases(dataDir, p.start, p.finish, progress), with(purchasesReport));
    case ReportKind::Department:
        return counted(pass::department(dataDir, p.start, p.finish, p.department, progress),
                       with(departmentReport));
    case ReportKind::Departments:
        return counted(pass::departments(dataDir, p.start, p.finish, progress), with(departmentsReport));
    case ReportKind::Movement:
        return counted(pass::movement(dataDir, p.start, p.finish, progress), with(movementReport));
    case ReportKind::IssueDates:
        return counted(pass::issueDates(dataDir, p.start, p.finish, progress), with(issueDatesReport));
    }
    return {};
}

} // namespace vedaris::reports
