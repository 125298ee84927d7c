#include "StockModel.h"

#include "store/TextFormats.h"

#include <cmath>

namespace vedaris {

StockModel::StockModel(QObject *parent) : ListModel(parent) { }

StockModel::~StockModel() = default;

int StockModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QString StockModel::cell(int row, int column) const
{
    const Row &r = m_rows[size_t(row)];
    if (r.typed) {
        if (column == stockcol::Quantity && r.typed->quantity)
            return *r.typed->quantity;
        if (column == stockcol::UnitPrice && r.typed->price)
            return *r.typed->price;
    }
    if (column == stockcol::RecordId)
        return QString::number(r.slot);
    return stockCell(r.record, column, m_texts);
}

const QString &StockModel::searchKey(int row) const
{
    return m_captions[size_t(m_rows[size_t(row)].caption)].search;
}

const QString &StockModel::captionKey(int row) const
{
    return m_captions[size_t(m_rows[size_t(row)].caption)].key;
}

int StockModel::findCaption(const QString &key) const
{
    // Each distinct name is tried once; then the rows are looked up by name.
    std::vector<char> matches(m_captions.size(), 0);
    bool any = false;
    for (size_t c = 0; c < m_captions.size(); ++c) {
        if (m_captions[c].search.startsWith(key)) {
            matches[c] = 1;
            any = true;
        }
    }
    if (!any)
        return -1;
    for (size_t row = 0; row < m_rows.size(); ++row)
        if (matches[size_t(m_rows[row].caption)])
            return int(row);
    return -1;
}

int StockModel::rowOf(qint32 slot) const
{
    for (size_t row = 0; row < m_rows.size(); ++row)
        if (m_rows[row].slot == slot)
            return int(row);
    return -1;
}

int StockModel::captionOf(QString &name)
{
    auto it = m_captionIndex.constFind(name);
    if (it == m_captionIndex.cend()) {
        it = m_captionIndex.insert(name, int(m_captions.size()));
        m_captions.push_back({text::searchKey(name), text::russianSortKey(name)});
    }
    name = it.key(); // batches of one drug share the one copy of its name
    return *it;
}

void StockModel::beginFill(qint64 expected)
{
    beginResetModel();
    m_rows.clear();
    m_rows.shrink_to_fit();
    // Room for the receipts of a day: a new row need not move every row.
    m_rows.reserve(size_t(std::max<qint64>(expected, 0)) + 256);
    m_captions.clear();
    m_captionIndex.clear();
    m_figures.clear();
    m_figures.reserve(expected);
    m_fillCaptions.clear();
    m_fillCaptions.reserve(size_t(std::max<qint64>(expected, 0)));
}

void StockModel::addFilled(qint64 slot, const StockRecord &record)
{
    m_figures.set(slot, record);
    Row &row = m_rows.emplace_back();
    row.slot = qint32(slot);
    row.record = record;
    row.caption = captionOf(row.record.DrugName);
    m_fillCaptions.push_back(row.caption);
}

void StockModel::endFill()
{
    std::vector<const QString *> keys;
    keys.reserve(m_captions.size());
    for (const Caption &c : m_captions)
        keys.push_back(&c.key);
    moveToTargets(m_rows, fillTargets(keys, m_fillCaptions));
    m_fillCaptions = {};
    setCaptionOrder(true);
    endResetModel();
}

void StockModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_figures.clear();
    setCaptionOrder(true);
    endResetModel();
}

StockModel::Row StockModel::makeRow(const StockRow &row)
{
    Row r;
    r.slot = row.slot;
    r.record = row.record;
    r.caption = captionOf(r.record.DrugName);
    if (row.typedQuantity || row.typedPrice)
        r.typed = std::make_unique<Typed>(Typed{row.typedQuantity, row.typedPrice});
    return r;
}

int StockModel::insertSorted(int pos, const StockRow &row)
{
    Row made = makeRow(row);
    const QString &key = m_captions[size_t(made.caption)].key;
    return placeNew(pos, key, inserter(made));
}

int StockModel::replace(int row, const StockRow &stored)
{
    Row made = makeRow(stored);
    const QString &key = m_captions[size_t(made.caption)].key;
    return placeReplacing(row, stored.record.DrugName, key, inserter(made));
}

std::function<void(int)> StockModel::inserter(Row &made)
{
    // The figures count the batch before anyone hears of its row.
    return [this, &made](int at) {
        m_figures.set(made.slot, made.record);
        beginInsertRows({}, at, at);
        m_rows.insert(m_rows.begin() + at, std::move(made));
        endInsertRows();
    };
}

void StockModel::removeAt(int pos)
{
    if (pos < 0 || pos >= rowCount())
        return;
    m_figures.remove(m_rows[size_t(pos)].slot);
    beginRemoveRows({}, pos, pos);
    m_rows.erase(m_rows.begin() + pos);
    endRemoveRows();
}

void StockModel::sortByColumn(int column, bool descending, CellOrder)
{
    std::vector<SortKey> keys;
    keys.reserve(m_rows.size());
    const auto typed = [](const Row &r, int c) -> const std::optional<QString> * {
        if (!r.typed)
            return nullptr;
        return c == stockcol::Quantity ? &r.typed->quantity
            : c == stockcol::UnitPrice ? &r.typed->price
                                       : nullptr;
    };
    const auto number = [&typed, column](const Row &r, double value) {
        if (const auto *t = typed(r, column); t && *t)
            return numberKey(**t);
        return SortKey{std::isfinite(value), value, {}};
    };
    const auto date = [](double serial) {
        const QDate d = text::serialToDate(serial);
        return d.isValid() ? SortKey{true, double(d.toJulianDay()), {}} : SortKey{};
    };
    bool byText = false;
    for (int row = 0; row < rowCount(); ++row) {
        const Row &r = m_rows[size_t(row)];
        switch (column) {
        case stockcol::ReceiptDate:
            keys.push_back(date(r.record.ReceiptDate));
            break;
        case stockcol::ExpiryDate:
            keys.push_back(date(r.record.ExpiryDate));
            break;
        case stockcol::Quantity:
            keys.push_back(number(r, r.record.Quantity));
            break;
        case stockcol::UnitPrice:
            keys.push_back(number(r, r.record.UnitPrice));
            break;
        case stockcol::TotalSum:
            keys.push_back(number(r, r.record.TotalSum));
            break;
        default:
            keys.push_back(textKey(cell(row, column)));
            byText = true;
            break;
        }
    }
    sortByKeys(keys, byText, descending);
}

void StockModel::reorderRows(const std::vector<int> &order)
{
    reorder(m_rows, order);
}

} // namespace vedaris
