#pragma once

#include <QHash>
#include <QStringList>

namespace vedaris {

struct StockRecord;

// Column order of a stock list row; the RecordId column is hidden.
namespace stockcol {
enum : int {
    DrugName,
    ReceiptDate,
    Supplier,
    ReceiptDocument,
    Manufacturer,
    Series,
    Unit,
    Quantity,
    UnitPrice,
    TotalSum,
    ExpiryDate,
    RecordId,
    Tail,
    Count
};
}

// Remembers the date and number texts made while the list is filled: batches
// share few distinct dates and quantities, and formatting them is the costly
// part of a row. The shared strings also keep the list small.
class CellTextCache
{
public:
    QString date(double serial);
    QString number(double value);

private:
    QHash<quint64, QString> m_dates;
    QHash<quint64, QString> m_numbers;
};

// The thirteen cells of the stock list row of a stored record: dates and
// numbers in their shared text forms, the RecordId, and the empty last cell.
QStringList stockRowCells(const StockRecord &r);
QStringList stockRowCells(const StockRecord &r, CellTextCache &cache);

} // namespace vedaris
