#include "NestedOracle.h"

#include "store/DataFiles.h"
#include "store/RecordFile.h"
#include "store/TextFormats.h"

#include <QSet>
#include <algorithm>
#include <cstring>
#include <functional>

namespace vedaris::oracle {

using namespace reports;

namespace {

const QString SheetName = QStringLiteral("Отчёт");
const QString Totals = QStringLiteral("ИТОГО:");

// Opens the file anew and reads it from its first record to its end.
void readFile(const QString &dir, const QString &name, int size,
              const std::function<void(const char *)> &fn)
{
    RecordFile f(files::path(dir, name), size, RecordFile::ReadOnly);
    f.scan([&](qint64, const char *rec) {
        fn(rec);
        return true;
    });
}

bool deleted(const char *rec, int offset)
{
    return static_cast<unsigned char>(rec[offset]) == 1;
}

struct IssueView
{
    double date, quantity, sum;
    qint32 stockId;
    bool deleted;
    const char *rec;
    QString department() const { return field::text(rec, {499, 50}); }
};

IssueView issueAt(const char *rec)
{
    return {field::number(rec, 592),
            field::number(rec, 552),
            field::number(rec, 576),
            field::int32(rec, IssueRecord::StockRecordIdOffset),
            deleted(rec, IssueRecord::DeletedOffset),
            rec};
}

void forEachIssue(const QString &dir, const std::function<void(const IssueView &)> &fn)
{
    readFile(dir, files::Rashod, IssueRecord::Size, [&](const char *rec) { fn(issueAt(rec)); });
}

void forEachStock(const QString &dir, const std::function<void(const StockRecord &)> &fn)
{
    readFile(dir, files::Base, StockRecord::Size, [&](const char *rec) {
        StockRecord r;
        decode(rec, r);
        fn(r);
    });
}

Range at(const char *a)
{
    return Range::parse(QString::fromLatin1(a));
}

Range row(int r)
{
    return Range::rows(r, r);
}

QString col(int c)
{
    return columnName(c);
}

Range span(int top, int left, int bottom, int right)
{
    return {top, left, bottom, right};
}

QString day(double serial)
{
    return text::formatDate(serial);
}

QString day(const QDate &d)
{
    return text::formatDate(d);
}

// Steps 1 to 8 of the common sequence for the reports with a one-row header in row 4.
struct Heading
{
    QVector<double> widths;
    const char *bold;
    const char *centred;
    QString title1, title2;
    QStringList headers;
};

void commonHeading(Workbook &b, const Heading &h)
{
    const int last = int(h.widths.size());
    b.setSheetName(SheetName);
    for (int i = 1; i <= last; ++i)
        b.setColumnWidth(i, h.widths[i - 1]);
    b.setBold(at(h.bold));
    b.setFontSize(row(4), 10);
    b.setFontSize(span(1, 1, 2, last), 14);
    b.merge(span(1, 1, 1, last));
    b.setHorizontalAlignment(at(h.centred), HAlign::Center);
    b.setValue(1, 1, h.title1);
    b.merge(span(2, 1, 2, last));
    b.setValue(2, 1, h.title2);
    for (int i = 0; i < h.headers.size(); ++i)
        b.setValue(4, i + 1, h.headers[i]);
}

// A cell of a data row: record texts as text, dates as date texts, numbers as numbers.
struct Value
{
    enum { Text, Date, Number } kind;
    QString text;
    double number = 0;
};
Value txt(const QString &s)
{
    return {Value::Text, s, 0};
}
Value date(double d)
{
    return {Value::Date, day(d), 0};
}
Value num(double n)
{
    return {Value::Number, {}, n};
}

void put(Workbook &b, int r, int c, const Value &v)
{
    if (v.kind == Value::Text)
        b.setText(r, c, v.text);
    else if (v.kind == Value::Date)
        b.setValue(r, c, v.text);
    else
        b.setValue(r, c, v.number);
}

// Steps 12.4 to 12.6, 13 to 17 of the common sequence for a plain table.
struct Table
{
    Workbook b;
    int last;
    int rowCounter = 5;
    double quantityTotal = 0, moneyTotal = 0;

    void addRow(const QVector<Value> &values, double q, double m)
    {
        quantityTotal += q;
        moneyTotal += m;
        b.setFontSize(row(rowCounter), 10);
        b.setValue(rowCounter, 1, QString::number(rowCounter - 4));
        for (int i = 0; i < values.size(); ++i)
            put(b, rowCounter, i + 2, values[i]);
        b.setBorders(span(4, 1, rowCounter, last));
        ++rowCounter;
    }

    Outcome finish(int zoom, int labelCol, bool landscape, const QString &emptyMessage)
    {
        b.pageSetup().zoom = zoom;
        b.pageSetup().leftMargin = b.pageSetup().rightMargin = 1;
        b.pageSetup().topMargin = b.pageSetup().bottomMargin = 1;
        b.setBold(row(rowCounter));
        b.setValue(rowCounter, labelCol, Totals);
        b.setValue(rowCounter, labelCol + 1, quantityTotal);
        b.setValue(rowCounter, last, moneyTotal);
        b.setBorders(span(rowCounter, labelCol, rowCounter, last));
        if (landscape)
            b.pageSetup().orientation = 2;
        b.sort(Range::corners(QStringLiteral("B5"), col(last) + QString::number(rowCounter)), 2);
        return done(rowCounter != 5, emptyMessage);
    }

    Outcome done(bool written, const QString &emptyMessage)
    {
        Outcome out;
        if (written)
            out.workbook = std::move(b);
        else
            out.emptyMessage = emptyMessage;
        return out;
    }
};

const QString Nr = QStringLiteral("№");
const QString Name = QStringLiteral("Наименование");
const QString Supplier = QStringLiteral("Фирма-поставщик");
const QString Document = QStringLiteral("Назв. документа");
const QString Maker = QStringLiteral("Фирма-изготовитель");
const QString Series = QStringLiteral("Серия препарата");
const QString Received = QStringLiteral("Дата получ.");
const QString Expiry = QStringLiteral("Срок годн.");
const QString Unit = QStringLiteral("Ед.измерения");
const QString Quantity = QStringLiteral("Колич.");
const QString Price = QStringLiteral("Цена за ед.");
const QString Sum = QStringLiteral("Общая сумма");

QString periodText(const ReportParams &p)
{
    return QStringLiteral("с ") + day(p.start) + QStringLiteral(" по ") + day(p.finish)
        + QStringLiteral(" года");
}

Outcome expired(const QString &dir, const ReportParams &p)
{
    Table t{{}, 8};
    commonHeading(t.b,
                  {{3, 35, 10, 10, 12, 8, 10, 17},
                   "A1:H4",
                   "A1:H4",
                   QStringLiteral("Отчёт"),
                   QStringLiteral("по лекарственным средствам у которых истёк срок годности на ")
                       + day(p.date) + QStringLiteral(" года."),
                   {Nr, Name, Received, Expiry, Unit, Quantity, Price, Sum}});
    const double d = text::dateToSerial(p.date);
    forEachStock(dir, [&](const StockRecord &r) {
        if (r.ExpiryDate <= d && r.Deleted != 1 && r.Quantity != 0)
            t.addRow({txt(r.DrugName), date(r.ReceiptDate), date(r.ExpiryDate), txt(r.Unit),
                      num(r.Quantity), num(r.UnitPrice), num(r.TotalSum)},
                     r.Quantity, r.TotalSum);
    });
    return t.finish(90, 5, false,
                    QStringLiteral("На указанную дату нет просроченных медикаментов!"));
}

Outcome stock(const QString &dir, const ReportParams &p)
{
    Table t{{}, 12};
    commonHeading(t.b,
                  {{3, 35, 20, 15, 20, 15, 10, 10, 12, 10, 10, 15},
                   "A1:L4",
                   "A1:L2",
                   QStringLiteral("Отчёт"),
                   QStringLiteral("наличия лекарственных средств на ") + day(p.date)
                       + QStringLiteral(" года."),
                   {Nr, Name, Supplier, Document, Maker, Series, Received, Expiry, Unit, Quantity,
                    Price, Sum}});
    forEachStock(dir, [&](const StockRecord &r) {
        if (r.Deleted != 1 && r.Quantity != 0)
            t.addRow({txt(r.DrugName), txt(r.Supplier), txt(r.ReceiptDocument), txt(r.Manufacturer),
                      txt(r.Series), date(r.ReceiptDate), date(r.ExpiryDate), txt(r.Unit),
                      num(r.Quantity), num(r.UnitPrice), num(r.TotalSum)},
                     r.Quantity, r.TotalSum);
    });
    return t.finish(78, 9, true, QStringLiteral("База данных пуста!"));
}

Outcome consumption(const QString &dir, const ReportParams &p)
{
    Table t{{}, 11};
    commonHeading(
        t.b,
        {{3, 35, 20, 15, 20, 15, 10, 12, 10, 10, 15},
         "A1:K4",
         "A1:K2",
         QStringLiteral("Общий отчёт"),
         QStringLiteral("израсходованных лекарственных средств ") + periodText(p) + u'.',
         {Nr, Name, Supplier, Document, Maker, Series, Received, Unit, Quantity, Price, Sum}});
    const double start = text::dateToSerial(p.start), finish = text::dateToSerial(p.finish);
    double quantity = 0, sum = 0;
    int count = 0;
    forEachStock(dir, [&](const StockRecord &r) {
        if (r.Deleted == 1)
            return;
        forEachIssue(dir, [&](const IssueView &i) {
            if (start <= i.date && finish >= i.date && i.stockId == r.RecordId && !i.deleted) {
                quantity += i.quantity;
                sum += i.sum;
                ++count;
            }
        });
        if (count == 0)
            return;
        t.addRow({txt(r.DrugName), txt(r.Supplier), txt(r.ReceiptDocument), txt(r.Manufacturer),
                  txt(r.Series), date(r.ReceiptDate), txt(r.Unit), num(quantity), num(r.UnitPrice),
                  num(sum)},
                 quantity, sum);
        quantity = sum = 0;
        count = 0;
    });
    return t.finish(83, 8, true,
                    QStringLiteral("За этот период нет израсходованных медикаментов!"));
}

Outcome purchases(const QString &dir, const ReportParams &p)
{
    Table t{{}, 12};
    commonHeading(t.b,
                  {{3, 35, 20, 15, 20, 15, 10, 10, 12, 10, 10, 15},
                   "A1:L2",
                   "A1:L2",
                   QStringLiteral("Отчёт"),
                   QStringLiteral("приобретённых лекарственных средств ") + periodText(p) + u'.',
                   {Nr, Name, Supplier, Document, Maker, Series, Received, Expiry, Unit, Quantity,
                    Price, Sum}});
    const double start = text::dateToSerial(p.start), finish = text::dateToSerial(p.finish);
    forEachStock(dir, [&](const StockRecord &r) {
        if (start <= r.ReceiptDate && finish >= r.ReceiptDate && r.Deleted != 1)
            t.addRow({txt(r.DrugName), txt(r.Supplier), txt(r.ReceiptDocument), txt(r.Manufacturer),
                      txt(r.Series), date(r.ReceiptDate), date(r.ExpiryDate), txt(r.Unit),
                      num(r.ReceivedQuantity), num(r.UnitPrice), num(r.ReceivedSum)},
                     r.ReceivedQuantity, r.ReceivedSum);
    });
    return t.finish(78, 9, true, QStringLiteral("За этот период нет приобретённых медикаментов!"));
}

Outcome department(const QString &dir, const ReportParams &p)
{
    Workbook b;
    b.setSheetName(SheetName);
    const QVector<double> widths = {3, 35, 20, 20, 12, 5, 9, 11};
    for (int i = 1; i <= 8; ++i)
        b.setColumnWidth(i, widths[i - 1]);
    b.setBold(at("A1:H5"));
    b.setFontSize(row(5), 10);
    b.setFontSize(at("A1:H3"), 14);
    b.merge(at("A1:H1"));
    b.setHorizontalAlignment(at("A1:H5"), HAlign::Center);
    b.setValue(1, 1, QStringLiteral("Отчёт"));
    b.merge(at("A2:H2"));
    b.merge(at("A3:H3"));
    b.setValue(2, 1, periodText(p) + QStringLiteral(" для одного отделения."));
    b.setText(3, 1, p.department + u'.');
    const QStringList headers = {Nr, Name, Supplier, Maker, Unit, Quantity, Price, Sum};
    for (int i = 0; i < 8; ++i)
        b.setValue(5, i + 1, headers[i]);

    const double start = text::dateToSerial(p.start), finish = text::dateToSerial(p.finish);
    int r = 6;
    double totalQ = 0, totalS = 0, lineQ = 0, lineS = 0;
    int count = 0;
    forEachStock(dir, [&](const StockRecord &s) {
        if (s.Deleted == 1)
            return;
        forEachIssue(dir, [&](const IssueView &i) {
            if (start <= i.date && i.date <= finish && i.stockId == s.RecordId && !i.deleted
                && i.department() == p.department) {
                lineQ += i.quantity;
                lineS += i.sum;
                ++count;
            }
        });
        if (count > 0) {
            totalQ += lineQ;
            totalS += lineS;
            b.setFontSize(row(r), 10);
            b.setValue(r, 1, QString::number(r - 5));
            b.setText(r, 2, s.DrugName);
            b.setText(r, 3, s.Supplier);
            b.setText(r, 4, s.Manufacturer);
            b.setText(r, 5, s.Unit);
            b.setValue(r, 6, lineQ);
            b.setValue(r, 7, s.UnitPrice);
            b.setValue(r, 8, lineS);
            ++r;
        }
        lineQ = lineS = 0;
        count = 0;
    });
    b.setBorders(Range::parse(QStringLiteral("A5:H") + QString::number(r - 1)));
    b.pageSetup().zoom = 83;
    b.pageSetup().leftMargin = b.pageSetup().rightMargin = b.pageSetup().topMargin =
        b.pageSetup().bottomMargin = 1;
    b.setBold(row(r));
    b.setValue(r, 5, Totals);
    b.setValue(r, 6, totalQ);
    b.setValue(r, 8, totalS);
    b.setBorders(Range::parse(QStringLiteral("E%1:H%1").arg(r)));
    b.sort(Range::corners(QStringLiteral("B6"), QStringLiteral("H") + QString::number(r)), 2);
    Table t{std::move(b), 8};
    return t.done(r != 6, QStringLiteral("За этот период нет израсходованных медикаментов!"));
}

Outcome departments(const QString &dir, const ReportParams &p)
{
    Workbook b;
    b.setSheetName(SheetName);
    const QVector<double> widths = {3, 35, 20, 20, 12, 9, 9, 11};
    for (int i = 1; i <= 8; ++i)
        b.setColumnWidth(i, widths[i - 1]);
    b.setBold(at("A1:H2"));
    b.setFontSize(at("A1:H2"), 14);
    b.merge(at("A1:H1"));
    b.setHorizontalAlignment(at("A1:H2"), HAlign::Center);
    b.merge(at("A2:H2"));
    b.setValue(1, 1, QStringLiteral("Отчёт израсходованных лекарственных средств"));
    b.setValue(2, 1, periodText(p) + QStringLiteral(" для всех отделений."));
    const QStringList headers = {Nr, Name, Supplier, Maker, Unit, Quantity, Price, Sum};

    const double start = text::dateToSerial(p.start), finish = text::dateToSerial(p.finish);
    int r = 0;
    readFile(dir, files::Otdelenie, ReferenceEntry::Size, [&](const char *entryBytes) {
        ReferenceEntry entry;
        decode(entryBytes, entry);
        if (entry.Deleted == 1)
            return;
        int departmentMatches = 0, number = 1;
        double depQ = 0, depS = 0;
        forEachStock(dir, [&](const StockRecord &s) {
            if (s.Deleted == 1)
                return;
            double lineQ = 0, lineS = 0;
            int lineMatches = 0;
            forEachIssue(dir, [&](const IssueView &i) {
                if (!(start <= i.date && i.date <= finish && i.stockId == s.RecordId && !i.deleted
                      && i.department() == entry.Name))
                    return;
                lineQ += i.quantity;
                lineS += i.sum;
                if (departmentMatches == 0) {
                    r += 3;
                    b.setBold(row(r));
                    b.setFontSize(row(r), 14);
                    b.merge(span(r, 1, r, 8));
                    b.setHorizontalAlignment(row(r), HAlign::Center);
                    b.setText(r, 1, entry.Name + u'.');
                    r += 2;
                    b.setBold(row(r));
                    b.setFontSize(row(r), 10);
                    for (int c = 1; c <= 8; ++c)
                        b.setValue(r, c, headers[c - 1]);
                    b.setBorders(span(r, 1, r, 8));
                    r += 1;
                }
                ++lineMatches;
                ++departmentMatches;
            });
            if (lineMatches != 0) {
                b.setFontSize(row(r), 10);
                b.setValue(r, 1, QString::number(number));
                b.setText(r, 2, s.DrugName);
                b.setText(r, 3, s.Supplier);
                b.setText(r, 4, s.Manufacturer);
                b.setText(r, 5, s.Unit);
                b.setValue(r, 6, lineQ);
                b.setValue(r, 7, s.UnitPrice);
                b.setValue(r, 8, lineS);
                b.setBorders(span(r, 1, r, 8));
                ++r;
                ++number;
                depQ += lineQ;
                depS += lineS;
            }
        });
        if (departmentMatches > 0) {
            b.setBold(row(r));
            b.setValue(r, 5, Totals);
            b.setValue(r, 6, depQ);
            b.setValue(r, 8, depS);
            b.setBorders(span(r, 5, r, 8));
        }
    });
    b.pageSetup().zoom = 80;
    b.pageSetup().leftMargin = b.pageSetup().rightMargin = b.pageSetup().topMargin =
        b.pageSetup().bottomMargin = 1;
    Table t{std::move(b), 8};
    return t.done(r > 5, QStringLiteral("За этот период нет расхода по отделениям!"));
}

Outcome movement(const QString &dir, const ReportParams &p)
{
    Workbook b;
    b.setSheetName(SheetName);
    const QVector<double> widths = {4, 35, 15, 11, 11, 11, 11, 11, 11, 11, 11};
    for (int i = 1; i <= 11; ++i)
        b.setColumnWidth(i, widths[i - 1]);
    b.setBold(at("A1:K5"));
    b.setFontSize(at("A4:K5"), 10);
    b.setFontSize(at("A1:K2"), 14);
    b.merge(at("A1:K1"));
    b.setHorizontalAlignment(at("A1:K5"), HAlign::Center);
    b.setValue(1, 1, QStringLiteral("Отчёт о движении медикаментов"));
    b.merge(at("A2:K2"));
    b.setValue(2, 1, QStringLiteral("и средств медицинского назначения ") + periodText(p) + u'.');
    b.setVerticalAlignment(at("A4:K5"), VAlign::Center);
    b.setBorders(at("A4:K5"));
    for (const char *m : {"A4:A5", "B4:B5", "C4:C5", "D4:E4", "F4:G4", "H4:I4", "J4:K4"})
        b.merge(at(m));
    b.setWrap(at("A4:C5"));
    const QString count = QStringLiteral("Кол-во"), sum = QStringLiteral("Сумма");
    b.setValue(4, 1, QStringLiteral("№ п/п"));
    b.setValue(4, 2, QStringLiteral("Наименование препарата"));
    b.setValue(4, 3, QStringLiteral("Ед. измерения"));
    b.setValue(4, 4, QStringLiteral("Остаток на начало периода"));
    b.setValue(5, 4, count);
    b.setValue(5, 5, sum);
    b.setValue(4, 6, QStringLiteral("Приход"));
    b.setValue(5, 6, count);
    b.setValue(5, 7, sum);
    b.setValue(4, 8, QStringLiteral("Израсходовано"));
    b.setValue(5, 8, count);
    b.setValue(5, 9, sum);
    b.setValue(4, 10, QStringLiteral("Остаток на конец периода"));
    b.setValue(5, 10, count);
    b.setValue(5, 11, sum);

    const double start = text::dateToSerial(p.start), finish = text::dateToSerial(p.finish);
    int r = 6;
    QSet<QPair<QString, QString>> visited; // the one mend: each name and unit once
    readFile(dir, files::NamePreparat, DrugNameEntry::Size, [&](const char *entryBytes) {
        DrugNameEntry entry;
        decode(entryBytes, entry);
        const QPair<QString, QString> key(entry.Name, entry.Unit);
        if (visited.contains(key))
            return;
        visited.insert(key);
        bool hasStock = false;
        QString name, unit;
        double rbQ = 0, rbS = 0, rQ = 0, rS = 0, ibQ = 0, ibS = 0, iQ = 0, iS = 0;
        forEachStock(dir, [&](const StockRecord &s) {
            if (!(s.DrugName == entry.Name && s.Unit == entry.Unit) || s.Deleted == 1)
                return;
            name = s.DrugName;
            unit = s.Unit;
            hasStock = true;
            if (s.ReceiptDate < start) {
                rbQ += s.ReceivedQuantity;
                rbS += s.ReceivedSum;
            } else if (s.ReceiptDate <= finish) {
                rQ += s.ReceivedQuantity;
                rS += s.ReceivedSum;
            }
            forEachIssue(dir, [&](const IssueView &i) {
                if (i.deleted || i.stockId != s.RecordId)
                    return;
                if (i.date < start) {
                    ibQ += i.quantity;
                    ibS += i.sum;
                } else if (i.date <= finish) {
                    iQ += i.quantity;
                    iS += i.sum;
                }
            });
        });
        if (!hasStock)
            return;
        double openQ = rbQ - ibQ;
        if (openQ < 0)
            openQ = 0;
        double closeQ = openQ + rQ - iQ;
        if (closeQ < 0)
            closeQ = 0;
        double openS = rbS - ibS;
        if (openS < 0)
            openS = 0;
        double closeS = openS + rS - iS;
        if (closeS < 0)
            closeS = 0;
        b.setFontSize(row(r), 10);
        b.setValue(r, 1, QString::number(r - 5));
        b.setText(r, 2, name);
        b.setText(r, 3, unit);
        const double values[] = {openQ, openS, rQ, rS, iQ, iS, closeQ, closeS};
        for (int c = 0; c < 8; ++c)
            b.setValue(r, 4 + c, values[c]);
        b.setBorders(Range::parse(QStringLiteral("A6:K") + QString::number(r)));
        ++r;
    });
    b.pageSetup().zoom = 95;
    b.pageSetup().leftMargin = b.pageSetup().rightMargin = b.pageSetup().topMargin =
        b.pageSetup().bottomMargin = 1;
    b.pageSetup().orientation = 2;
    b.sort(Range::corners(QStringLiteral("B6"), QStringLiteral("K") + QString::number(r)), 2);
    Table t{std::move(b), 11};
    return t.done(r != 6, QStringLiteral("За этот период нет информации о движении!"));
}

Outcome issueDates(const QString &dir, const ReportParams &p)
{
    Workbook b;
    commonHeading(b,
                  {{3, 35, 20, 15, 20, 15, 10, 10, 12, 5, 9, 11},
                   "A1:L4",
                   "A1:L2",
                   QStringLiteral("Общий отчёт"),
                   QStringLiteral("израсходованных лекарственных средств ") + periodText(p) + u'.',
                   {Nr, Name, Supplier, Document, Maker, Series, Received,
                    QStringLiteral("Дата расх."), Unit, Quantity, Price, Sum}});
    const double start = text::dateToSerial(p.start), finish = text::dateToSerial(p.finish);
    int r = 5, first = 5, number = 0;
    forEachStock(dir, [&](const StockRecord &s) {
        if (s.Deleted == 1)
            return;
        int count = 0;
        forEachIssue(dir, [&](const IssueView &i) {
            if (start <= i.date && i.date <= finish && i.stockId == s.RecordId && !i.deleted) {
                b.setFontSize(row(r), 10);
                b.setValue(r, 8, day(i.date));
                b.setValue(r, 10, text::formatNumber(i.quantity));
                b.setText(r, 12, text::formatNumber(i.sum));
                ++r;
                ++count;
            }
        });
        if (count == 0)
            return;
        --r;
        ++number;
        // Into the block's first row, the cell a merged range shows.
        b.setValue(first, 1, QString::number(number));
        b.setText(first, 2, s.DrugName);
        b.setText(first, 3, s.Supplier);
        b.setText(first, 4, s.ReceiptDocument);
        b.setText(first, 5, s.Manufacturer);
        b.setText(first, 6, s.Series);
        b.setValue(first, 7, day(s.ReceiptDate));
        b.setText(first, 9, s.Unit);
        b.setValue(first, 11, s.UnitPrice);
        if (first != r)
            for (int c : {1, 2, 3, 4, 5, 6, 7, 9, 11})
                b.merge(span(first, c, r, c));
        b.setHorizontalAlignment(span(first, 1, r, 1), HAlign::Center);
        b.setVerticalAlignment(span(first, 1, r, 1), VAlign::Center);
        b.setHorizontalAlignment(span(first, 2, r, 2), HAlign::Left);
        b.setVerticalAlignment(span(first, 2, r, 2), VAlign::Center);
        b.setVerticalAlignment(span(first, 3, r, 12), VAlign::Center);
        b.setHorizontalAlignment(span(first, 3, r, 12), HAlign::Center);
        ++r;
        first = r;
    });
    b.setBorders(Range::parse(QStringLiteral("A4:L") + QString::number(r - 1)));
    b.pageSetup().zoom = 83;
    b.pageSetup().leftMargin = b.pageSetup().rightMargin = b.pageSetup().topMargin =
        b.pageSetup().bottomMargin = 1;
    b.pageSetup().orientation = 2;
    Table t{std::move(b), 12};
    return t.done(r != 5, QStringLiteral("За этот период нет израсходованных медикаментов!"));
}

QString describe(const CellValue &v)
{
    if (std::holds_alternative<double>(v))
        return QStringLiteral("number %1").arg(std::get<double>(v), 0, 'g', 17);
    if (std::holds_alternative<QString>(v))
        return QStringLiteral("text \"%1\"").arg(std::get<QString>(v));
    return QStringLiteral("empty");
}

bool same(const CellValue &a, const CellValue &b)
{
    if (a.index() != b.index())
        return false;
    if (std::holds_alternative<double>(a)) {
        const double x = std::get<double>(a), y = std::get<double>(b);
        return std::memcmp(&x, &y, sizeof x) == 0;
    }
    return a == b;
}

QString describe(const CellFormat &f)
{
    return QStringLiteral("bold %1 size %2 h %3 v %4 wrap %5 border %6 format \"%7\"")
        .arg(f.bold)
        .arg(f.fontSize)
        .arg(int(f.hAlign))
        .arg(int(f.vAlign))
        .arg(f.wrap)
        .arg(f.border)
        .arg(f.numberFormat);
}

QString describe(const QVector<Range> &ranges)
{
    QStringList out;
    for (const Range &r : ranges)
        out << QStringLiteral("%1%2:%3%4")
                   .arg(columnName(r.left))
                   .arg(r.top)
                   .arg(columnName(r.right))
                   .arg(r.bottom);
    return out.join(u' ');
}

} // namespace

namespace {

Outcome built(ReportKind kind, const QString &dataDir, const ReportParams &params)
{
    switch (kind) {
    case ReportKind::Expired:
        return expired(dataDir, params);
    case ReportKind::Stock:
        return stock(dataDir, params);
    case ReportKind::Consumption:
        return consumption(dataDir, params);
    case ReportKind::Purchases:
        return purchases(dataDir, params);
    case ReportKind::Department:
        return department(dataDir, params);
    case ReportKind::Departments:
        return departments(dataDir, params);
    case ReportKind::Movement:
        return movement(dataDir, params);
    case ReportKind::IssueDates:
        return issueDates(dataDir, params);
    case ReportKind::Inventory:
    case ReportKind::WriteOffAct:
    case ReportKind::Requisition:
    case ReportKind::Deletions:
    case ReportKind::Discrepancies:
        break; // the stock-take's documents and the history's report have no nested version
    }
    return {};
}

} // namespace

// The nested passes build the table; the finish for reading is the reports' own.
Outcome run(ReportKind kind, const QString &dataDir, const ReportParams &params)
{
    Outcome out = built(kind, dataDir, params);
    if (out.workbook)
        presentForReading(*out.workbook, kind);
    return out;
}

QString difference(const Workbook &e, const Workbook &a)
{
    if (e.sheetName() != a.sheetName())
        return QStringLiteral("sheet name \"%1\" against \"%2\"").arg(e.sheetName(), a.sheetName());
    const int rows = std::max(e.lastRow(), a.lastRow()) + 2;
    const int cols = std::max(e.lastColumn(), a.lastColumn()) + 2;
    for (int c = 1; c <= cols; ++c)
        if (e.columnWidth(c) != a.columnWidth(c))
            return QStringLiteral("width of column %1: %2 against %3")
                .arg(c)
                .arg(e.columnWidth(c))
                .arg(a.columnWidth(c));
    const PageSetup &pe = e.pageSetup(), &pa = a.pageSetup();
    if (pe.zoom != pa.zoom || pe.orientation != pa.orientation || pe.leftMargin != pa.leftMargin
        || pe.rightMargin != pa.rightMargin || pe.topMargin != pa.topMargin
        || pe.bottomMargin != pa.bottomMargin)
        return QStringLiteral("page setup differs");
    QVector<Range> me = e.merges(), ma = a.merges();
    const auto byPlace = [](const Range &x, const Range &y) {
        return std::tie(x.top, x.left, x.bottom, x.right)
            < std::tie(y.top, y.left, y.bottom, y.right);
    };
    std::sort(me.begin(), me.end(), byPlace);
    std::sort(ma.begin(), ma.end(), byPlace);
    if (me != ma)
        return QStringLiteral("merges [%1] against [%2]").arg(describe(me), describe(ma));
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c) {
            const CellValue ve = e.value(r, c), va = a.value(r, c);
            const QString where = columnName(c) + QString::number(r);
            if (!same(ve, va))
                return QStringLiteral("%1: %2 against %3").arg(where, describe(ve), describe(va));
            const CellFormat fe = e.format(r, c), fa = a.format(r, c);
            if (!(fe == fa))
                return QStringLiteral("%1 format: %2 against %3")
                    .arg(where, describe(fe), describe(fa));
        }
    return {};
}

} // namespace vedaris::oracle
