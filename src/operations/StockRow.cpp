#include "StockRow.h"

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

QString stockCell(const StockRecord &r, int column, CellTextCache &cache)
{
    switch (column) {
    case stockcol::DrugName:
        return r.DrugName;
    case stockcol::ReceiptDate:
        return cache.date(r.ReceiptDate);
    case stockcol::Supplier:
        return r.Supplier;
    case stockcol::ReceiptDocument:
        return r.ReceiptDocument;
    case stockcol::Manufacturer:
        return r.Manufacturer;
    case stockcol::Series:
        return r.Series;
    case stockcol::Unit:
        return r.Unit;
    case stockcol::Quantity:
        return cache.number(r.Quantity);
    case stockcol::UnitPrice:
        return cache.number(r.UnitPrice);
    case stockcol::TotalSum:
        return text::formatNumber(r.TotalSum); // sums seldom repeat
    case stockcol::ExpiryDate:
        return cache.date(r.ExpiryDate);
    case stockcol::RecordId:
        return QString::number(r.RecordId);
    default:
        return {};
    }
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
    for (int c = 0; c < stockcol::Count; ++c)
        cells << stockCell(r, c, cache);
    return cells;
}

QStringList stockRowCells(const StockRow &row)
{
    QStringList cells = stockRowCells(row.record);
    if (row.typedQuantity)
        cells[stockcol::Quantity] = *row.typedQuantity;
    if (row.typedPrice)
        cells[stockcol::UnitPrice] = *row.typedPrice;
    cells[stockcol::RecordId] = QString::number(row.slot);
    return cells;
}

} // namespace vedaris
