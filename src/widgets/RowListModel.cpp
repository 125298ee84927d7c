#include "RowListModel.h"

#include "store/TextFormats.h"

#include <algorithm>
#include <charconv>
#include <numeric>

namespace vedaris {

RowListModel::RowListModel(QObject *parent) : QAbstractTableModel(parent) { }

void RowListModel::setHeaders(const QStringList &headers)
{
    beginResetModel();
    m_headers = headers;
    m_rows.clear();
    endResetModel();
}

int RowListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int RowListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant RowListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return cell(index.row(), index.column());
}

QVariant RowListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_headers.size())
        return m_headers[section];
    return {};
}

Qt::ItemFlags RowListModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
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

RowListModel::Row RowListModel::makeRow(const QStringList &cells) const
{
    const QString caption = cells.value(0);
    return pack(cells, text::searchKey(caption), text::russianSortKey(caption));
}

QString RowListModel::cell(int row, int column) const
{
    const Row &r = m_rows[size_t(row)];
    if (column < 0 || column >= r.count)
        return {};
    const quint32 begin = column == 0 ? 0 : r.ends[size_t(column - 1)];
    return r.packed.mid(begin, r.ends[size_t(column)] - begin);
}

QStringList RowListModel::cells(int row) const
{
    QStringList out;
    const int count = m_rows[size_t(row)].count;
    out.reserve(count);
    for (int c = 0; c < count; ++c)
        out << cell(row, c);
    return out;
}

void RowListModel::setRows(const QVector<QStringList> &rows)
{
    beginFill(rows.size());
    for (const QStringList &cells : rows)
        addFilled(cells);
    endFill();
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
        m_fill.distinct.push_back(makeRow({caption}));
    }
    const Row &same = m_fill.distinct[size_t(*it)];
    m_rows.push_back(pack(cells, same.search, same.key));
    m_fill.rowDistinct.push_back(*it);
}

void RowListModel::endFill()
{
    // Rank the distinct captions, then a counting sort by rank puts the rows in
    // caption order, rows of one caption keeping the order they came in.
    const std::vector<Row> &distinct = m_fill.distinct;
    std::vector<int> byKey(distinct.size());
    std::iota(byKey.begin(), byKey.end(), 0);
    std::sort(byKey.begin(), byKey.end(), [&distinct](int a, int b) {
        return distinct[size_t(a)].key.compare(distinct[size_t(b)].key) < 0;
    });
    std::vector<int> rank(distinct.size());
    for (size_t r = 0; r < byKey.size(); ++r)
        rank[size_t(byKey[r])] = int(r);
    std::vector<int> start(distinct.size() + 1, 0);
    for (int d : m_fill.rowDistinct)
        ++start[size_t(rank[size_t(d)]) + 1];
    for (size_t r = 1; r < start.size(); ++r)
        start[r] += start[r - 1];
    std::vector<int> target(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i)
        target[i] = start[size_t(rank[size_t(m_fill.rowDistinct[i])])]++;
    m_fill = {};
    // Moved into place cycle by cycle, without a second copy of the rows.
    for (size_t i = 0; i < target.size(); ++i) {
        while (target[i] != int(i)) {
            const size_t j = size_t(target[i]);
            std::swap(m_rows[i], m_rows[j]);
            std::swap(target[i], target[j]);
        }
    }
    endResetModel();
}

void RowListModel::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void RowListModel::insertAt(int pos, const QStringList &cells)
{
    pos = std::clamp(pos, 0, rowCount());
    beginInsertRows({}, pos, pos);
    m_rows.insert(m_rows.begin() + pos, makeRow(cells));
    endInsertRows();
}

int RowListModel::insertSorted(int pos, const QStringList &cells)
{
    Row row = makeRow(cells);
    const auto less = [](const Row &a, const Row &b) { return a.key.compare(b.key) < 0; };
    // A stable sort after inserting at `pos` leaves the row between the first
    // and the last row of its name, at `pos` when that lies between them.
    const auto first = std::lower_bound(m_rows.begin(), m_rows.end(), row, less);
    const auto last = std::upper_bound(first, m_rows.end(), row, less);
    pos = std::clamp(pos, int(first - m_rows.begin()), int(last - m_rows.begin()));
    beginInsertRows({}, pos, pos);
    m_rows.insert(m_rows.begin() + pos, std::move(row));
    endInsertRows();
    return pos;
}

void RowListModel::removeAt(int pos)
{
    if (pos < 0 || pos >= rowCount())
        return;
    beginRemoveRows({}, pos, pos);
    m_rows.erase(m_rows.begin() + pos);
    endRemoveRows();
}

void RowListModel::sortByCaption()
{
    std::vector<int> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
        return m_rows[size_t(a)].key.compare(m_rows[size_t(b)].key) < 0;
    });
    applyOrder(order);
}

void RowListModel::sortByColumn(int column, bool descending, CellOrder cellOrder)
{
    // Each cell's key once: a text's code page bytes, or a date's day or a
    // number's value; `valid` false for an empty cell or one that is no date
    // or number, which go last.
    struct Key
    {
        bool valid = false;
        double value = 0;
        QByteArray text;
    };
    std::vector<Key> keys(m_rows.size());
    for (int row = 0; row < rowCount(); ++row) {
        const QString c = cell(row, column);
        Key &k = keys[size_t(row)];
        if (c.isEmpty())
            continue;
        switch (cellOrder) {
        case CellOrder::Text:
            k.text = text::codePageKey(c);
            k.valid = true;
            break;
        case CellOrder::Date:
            if (const QDate d = text::parseDate(c); d.isValid()) {
                k.value = double(d.toJulianDay());
                k.valid = true;
            }
            break;
        case CellOrder::Number: {
            // The shown form: a decimal comma, an exponent below 1E-5. "NAN"
            // of a damaged record, or a typed text that is no number, go last.
            const QByteArray number = c.toLatin1().replace(',', '.');
            const char *end = number.constData() + number.size();
            const auto res = std::from_chars(number.constData(), end, k.value);
            k.valid = res.ec == std::errc() && res.ptr == end && std::isfinite(k.value);
            break;
        }
        }
    }
    std::vector<int> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0);
    const bool byText = cellOrder == CellOrder::Text;
    std::stable_sort(order.begin(), order.end(), [&keys, byText](int a, int b) {
        const Key &x = keys[size_t(a)];
        const Key &y = keys[size_t(b)];
        if (!x.valid || !y.valid)
            return x.valid && !y.valid;
        return byText ? x.text < y.text : x.value < y.value;
    });
    if (descending)
        std::reverse(order.begin(), order.end());
    applyOrder(order);
}

void RowListModel::applyOrder(const std::vector<int> &order)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<Row> sorted;
    sorted.reserve(m_rows.size());
    std::vector<int> newPosition(m_rows.size());
    for (size_t pos = 0; pos < order.size(); ++pos) {
        sorted.push_back(std::move(m_rows[size_t(order[pos])]));
        newPosition[size_t(order[pos])] = int(pos);
    }
    m_rows.swap(sorted);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex &i : from)
        to.append(index(newPosition[size_t(i.row())], i.column()));
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace vedaris
