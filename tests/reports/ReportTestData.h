#pragma once

// Small data folders for the report tests, written through the store's encoders.

#include "store/DataFiles.h"
#include "store/Records.h"
#include "store/StockArithmetic.h"
#include "store/TextFormats.h"
#include "support/TempDataDir.h"

#include <QByteArray>
#include <QDate>
#include <QVector>
#include <limits>

namespace reporttest {

using vedaris::DrugNameEntry;
using vedaris::IssueRecord;
using vedaris::ReferenceEntry;
using vedaris::StockRecord;

inline QDate day(int d, int m = 2, int y = 2024)
{
    return QDate(y, m, d);
}

inline double serial(const QDate &date)
{
    return vedaris::text::dateToSerial(date);
}

inline constexpr qint32 NoId = std::numeric_limits<qint32>::min();

struct Stock
{
    QString name;
    QString unit = QStringLiteral("шт");
    QDate received = day(1, 1);
    double quantity = 10;
    double price = 5;
    double receivedQuantity = -1; // -1: the same as `quantity`
    QDate expiry = day(1, 1, 2030);
    QString series = QStringLiteral("S1");
    QString document = QStringLiteral("Накл. 1");
    bool deleted = false;
    qint32 id = NoId; // the record number unless given
};

struct Issue
{
    qint32 stock;
    QDate date;
    double quantity;
    QString department = QStringLiteral("Хирургия");
    bool deleted = false;
    double price = -1; // -1: the stock line's price
};

// Stock lines, issues, drug names and departments of one data folder.
class Data
{
public:
    QVector<StockRecord> stock;
    QVector<IssueRecord> issues;
    QVector<DrugNameEntry> names;
    QVector<ReferenceEntry> departments;

    qint32 add(const Stock &s)
    {
        StockRecord r;
        r.DrugName = s.name;
        r.ReceiptDate = serial(s.received);
        r.Unit = s.unit;
        r.Supplier = QStringLiteral("Поставщик");
        r.ReceiptDocument = s.document;
        r.Manufacturer = QStringLiteral("Изготовитель");
        r.Series = s.series;
        r.Quantity = s.quantity;
        r.ReceivedQuantity = s.receivedQuantity < 0 ? s.quantity : s.receivedQuantity;
        r.UnitPrice = s.price;
        r.TotalSum = s.price * s.quantity;
        r.ReceivedSum = s.price * r.ReceivedQuantity;
        r.ExpiryDate = serial(s.expiry);
        r.RecordId = s.id != NoId ? s.id : qint32(stock.size());
        r.Deleted = s.deleted ? 1 : 0;
        stock.append(r);
        return qint32(stock.size() - 1);
    }

    void add(const Issue &i)
    {
        const StockRecord &s = stock.value(i.stock);
        IssueRecord r = vedaris::issueFromBatch(s);
        r.Department = i.department;
        r.IssuedQuantity = i.quantity;
        r.UnitPrice = i.price < 0 ? s.UnitPrice : i.price;
        r.IssuedSum = r.UnitPrice * i.quantity;
        r.IssueDate = serial(i.date);
        r.StockRecordId = i.stock;
        r.Deleted = i.deleted ? 1 : 0;
        issues.append(r);
    }

    void addName(const QString &name, const QString &unit, bool deleted = false)
    {
        DrugNameEntry e;
        e.Name = name;
        e.Unit = unit;
        e.EntryId = qint32(names.size());
        e.Deleted = deleted ? 1 : 0;
        names.append(e);
    }

    void addDepartment(const QString &name, bool deleted = false)
    {
        ReferenceEntry e;
        e.Name = name;
        e.EntryId = qint32(departments.size());
        e.Deleted = deleted ? 1 : 0;
        departments.append(e);
    }

    void writeTo(const TempDataDir &dir) const
    {
        using namespace vedaris::files;
        dir.write(Base, encoded(stock));
        dir.write(Rashod, encoded(issues));
        dir.write(NamePreparat, encoded(names));
        dir.write(FirmaPostav, {});
        dir.write(Izgotovitel, {});
        dir.write(Otdelenie, encoded(departments));
    }

private:
    template<class R> static QByteArray encoded(const QVector<R> &records)
    {
        QByteArray bytes(qsizetype(records.size()) * R::Size, '\0');
        for (qsizetype i = 0; i < records.size(); ++i)
            vedaris::encode(records[i], bytes.data() + i * R::Size);
        return bytes;
    }
};

} // namespace reporttest
