#include "RowListModel.h"

#include "store/TextFormats.h"

#include <algorithm>

namespace vedaris {

RowListModel::RowListModel(QObject *parent) : ListModel(parent) { }

int RowListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

RowListModel::Row RowListModel::pack(const QStringList &cells, const QString &search,
                                     const QString &key)
{
    Q_ASSERT(cells.size() <= MaxColumns);
    Row row{
        cells.join(QString()), {}, int(std::min<qsizetype>(cells.size(), MaxColumns)), search, key};
    quint32 end = 0;
    for (int i = 0; i < row.count; ++i) {
        end += quint32(cells[i].size());
        row.ends[size_t(i)] = end;
    }
    return row;
}

QString RowListModel::cell(int row, int column) const
{
    const Row &r = m_rows[size_t(row)];
    if (column < 0 || column >= r.count)
        return {};
    const quint32 begin = column == 0 ? 0 : r.ends[size_t(column - 1)];
    return r.packed.mid(begin, r.ends[size_t(column)] - begin);
}

void RowListModel::beginFill(qint64 expected)
{
    beginResetModel();
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_rows.reserve(size_t(std::max<qint64>(expected, 0)));
    m_fill = {};
    m_fill.rowDistinct.reserve(m_rows.capacity());
}

void RowListModel::addFilled(const QStringList &cells)
{
    // Batches of one drug share their caption, whose keys are made only once.
    const QString caption = cells.value(0);
    auto it = m_fill.distinctIndex.constFind(caption);
    if (it == m_fill.distinctIndex.cend()) {
        it = m_fill.distinctIndex.insert(caption, int(m_fill.distinct.size()));
        m_fill.distinct.push_back(
            pack({caption}, text::searchKey(caption), text::russianSortKey(caption)));
    }
    const Row &same = m_fill.distinct[size_t(*it)];
    m_rows.push_back(pack(cells, same.search, same.key));
    m_fill.rowDistinct.push_back(*it);
}

void RowListModel::endFill()
{
    std::vector<const QString *> keys;
    keys.reserve(m_fill.distinct.size());
    for (const Row &d : m_fill.distinct)
        keys.push_back(&d.key);
    moveToTargets(m_rows, fillTargets(keys, m_fill.rowDistinct));
    m_fill = {};
    setCaptionOrder(true);
    endResetModel();
}

void RowListModel::clear()
{
    beginResetModel();
    m_rows.clear();
    setCaptionOrder(true);
    endResetModel();
}

void RowListModel::removeAt(int pos)
{
    if (pos < 0 || pos >= rowCount())
        return;
    beginRemoveRows({}, pos, pos);
    m_rows.erase(m_rows.begin() + pos);
    endRemoveRows();
}

void RowListModel::sortByColumn(int column, bool descending, CellOrder cellOrder)
{
    // Each cell's key once: a text's code page bytes, or a date's day or a
    // number's value.
    std::vector<SortKey> keys;
    keys.reserve(m_rows.size());
    for (int row = 0; row < rowCount(); ++row) {
        const QString c = cell(row, column);
        keys.push_back(cellOrder == CellOrder::Text       ? textKey(c)
                           : cellOrder == CellOrder::Date ? dateKey(c)
                                                          : numberKey(c));
    }
    sortByKeys(keys, cellOrder == CellOrder::Text, descending);
}

void RowListModel::reorderRows(const std::vector<int> &order)
{
    reorder(m_rows, order);
}

} // namespace vedaris
