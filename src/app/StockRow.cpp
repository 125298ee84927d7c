#include "StockRow.h"

#include "store/Records.h"
#include "store/TextFormats.h"

namespace vedaris {

QStringList stockRowCells(const StockRecord &r)
{
    QStringList cells;
    cells.reserve(stockcol::Count);
    cells << r.DrugName << text::formatDate(r.ReceiptDate) << r.Supplier << r.ReceiptDocument
          << r.Manufacturer << r.Series << r.Unit << text::formatNumber(r.Quantity)
          << text::formatNumber(r.UnitPrice) << text::formatNumber(r.TotalSum)
          << text::formatDate(r.ExpiryDate) << QString::number(r.RecordId) << QString();
    return cells;
}

} // namespace vedaris
