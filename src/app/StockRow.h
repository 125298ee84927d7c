#pragma once

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

// The thirteen cells of the stock list row of a stored record: dates and
// numbers in their shared text forms, the RecordId, and the empty last cell.
QStringList stockRowCells(const StockRecord &r);

} // namespace vedaris
