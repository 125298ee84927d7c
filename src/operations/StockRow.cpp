#include "StockRow.h"

#include "store/Records.h"
#include "store/TextFormats.h"

#include <bit>

namespace vedaris {

namespace {

template<class Format>
QString remembered(QHash<quint64, QString> &texts, double value, Format format)
{
    const auto key = std::bit_cast<quint64>(value);
    auto it = texts.constFind(key);
    if (it == texts.cend())
        it = texts.insert(key, format(value));
    return *it;
}

} // namespace

QString CellTextCache::date(double serial)
{
    return remembered(m_dates, serial, [](double s) { return text::formatDate(s); });
}

QString CellTextCache::number(double value)
{
    return remembered(m_numbers, value, [](double v) { return text::formatNumber(v); });
}

QStringList stockRowCells(const StockRecord &r)
{
    CellTextCache cache;
    return stockRowCells(r, cache);
}

QStringList stockRowCells(const StockRecord &r, CellTextCache &cache)
{
    QStringList cells;
    cells.reserve(stockcol::Count);
    cells << r.DrugName << cache.date(r.ReceiptDate) << r.Supplier << r.ReceiptDocument
          << r.Manufacturer << r.Series << r.Unit << cache.number(r.Quantity)
          << cache.number(r.UnitPrice) << text::formatNumber(r.TotalSum) // sums seldom repeat
          << cache.date(r.ExpiryDate) << QString::number(r.RecordId) << QString();
    return cells;
}

} // namespace vedaris
