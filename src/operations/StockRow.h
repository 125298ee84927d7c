#pragma once

#include "store/Records.h"

#include <QHash>
#include <QStringList>
#include <optional>

namespace vedaris {

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

// A batch as the stock list holds it: its record number in Base.dat and the
// record. A receipt or an edit shows the quantity and price as they were
// typed until the list is filled again.
struct StockRow
{
    qint32 slot = 0;
    StockRecord record;
    std::optional<QString> typedQuantity = {};
    std::optional<QString> typedPrice = {};
};

// Remembers the date and number texts made for the list: batches share few
// distinct dates and quantities, and formatting them is the costly part of a
// row. The shared strings also keep the list small.
class CellTextCache
{
public:
    QString date(double serial);
    QString number(double value);

private:
    QHash<quint64, QString> m_dates;
    QHash<quint64, QString> m_numbers;
};

// One cell of the stock list row of a stored record: dates and numbers in
// their shared text forms, the RecordId, and the empty last cell.
QString stockCell(const StockRecord &r, int column, CellTextCache &cache);
// The thirteen cells of that row.
QStringList stockRowCells(const StockRecord &r);
QStringList stockRowCells(const StockRecord &r, CellTextCache &cache);
// The cells of a row: the typed texts where it has them, the RecordId its slot.
QStringList stockRowCells(const StockRow &row);

} // namespace vedaris
