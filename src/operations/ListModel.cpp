#include "ListModel.h"

#include "store/TextFormats.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>

namespace vedaris {

ListModel::ListModel(QObject *parent) : QAbstractTableModel(parent) { }

void ListModel::setHeaders(const QStringList &headers)
{
    beginResetModel();
    m_headers = headers;
    endResetModel();
    clear();
}

int ListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant ListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return cell(index.row(), index.column());
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_headers.size())
        return m_headers[section];
    return {};
}

Qt::ItemFlags ListModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

QStringList ListModel::cells(int row) const
{
    QStringList out;
    const int count = columnCount();
    out.reserve(count);
    for (int c = 0; c < count; ++c)
        out << cell(row, c);
    return out;
}

int ListModel::findCaption(const QString &key) const
{
    const int count = rowCount();
    for (int row = 0; row < count; ++row)
        if (searchKey(row).startsWith(key))
            return row;
    return -1;
}

void ListModel::sortByCaption()
{
    std::vector<int> order(static_cast<size_t>(rowCount()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [this](int a, int b) { return captionKey(a).compare(captionKey(b)) < 0; });
    applyOrder(order);
    m_captionOrder = true;
}

ListModel::SortKey ListModel::textKey(const QString &cell)
{
    if (cell.isEmpty())
        return {};
    return {true, 0, text::codePageKey(cell)};
}

ListModel::SortKey ListModel::dateKey(const QString &cell)
{
    if (const QDate d = text::parseDate(cell); !cell.isEmpty() && d.isValid())
        return {true, double(d.toJulianDay()), {}};
    return {};
}

ListModel::SortKey ListModel::numberKey(const QString &cell)
{
    // The shown form: a decimal comma, an exponent below 1E-5. "NAN" of a
    // damaged record, or a typed text that is no number, go last.
    SortKey k;
    if (cell.isEmpty())
        return k;
    const QByteArray number = cell.toLatin1().replace(',', '.');
    const char *end = number.constData() + number.size();
    const auto res = std::from_chars(number.constData(), end, k.value);
    k.valid = res.ec == std::errc() && res.ptr == end && std::isfinite(k.value);
    return k;
}

void ListModel::sortByKeys(const std::vector<SortKey> &keys, bool byText, bool descending)
{
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&keys, byText](int a, int b) {
        const SortKey &x = keys[size_t(a)];
        const SortKey &y = keys[size_t(b)];
        if (!x.valid || !y.valid)
            return x.valid && !y.valid;
        return byText ? x.text < y.text : x.value < y.value;
    });
    if (descending)
        std::reverse(order.begin(), order.end());
    applyOrder(order);
    m_captionOrder = false;
}

void ListModel::applyOrder(const std::vector<int> &order)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newPosition(order.size());
    for (size_t pos = 0; pos < order.size(); ++pos)
        newPosition[size_t(order[pos])] = int(pos);
    reorderRows(order);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex &i : from)
        to.append(index(newPosition[size_t(i.row())], i.column()));
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int ListModel::placeNew(int pos, const QString &key, const std::function<void(int pos)> &insertAt)
{
    const int count = rowCount();
    if (!m_captionOrder) {
        pos = std::clamp(pos, 0, count);
        insertAt(pos);
        const QPersistentModelIndex inserted = index(pos, 0);
        sortByCaption();
        return inserted.row();
    }
    // A stable sort after inserting at `pos` leaves the row between the first
    // and the last row of its name, at `pos` when that lies between them.
    int first = 0, last = count;
    for (int n = count; n > 0;) { // lower bound
        const int half = n / 2;
        if (captionKey(first + half).compare(key) < 0) {
            first += half + 1;
            n -= half + 1;
        } else {
            n = half;
        }
    }
    last = first;
    for (int n = count - first; n > 0;) { // upper bound
        const int half = n / 2;
        if (key.compare(captionKey(last + half)) >= 0) {
            last += half + 1;
            n -= half + 1;
        } else {
            n = half;
        }
    }
    pos = std::clamp(pos, first, last);
    insertAt(pos);
    return pos;
}

int ListModel::placeReplacing(int row, const QString &caption, const QString &key,
                              const std::function<void(int pos)> &insertAt)
{
    if (row < 0 || row >= rowCount())
        return placeNew(0, key, insertAt);
    const bool sameName = cell(row, 0) == caption;
    removeAt(row);
    return placeNew(sameName ? row : 0, key, insertAt);
}

std::vector<int> ListModel::fillTargets(const std::vector<const QString *> &distinctKeys,
                                        const std::vector<int> &rowDistinct)
{
    // Rank the distinct captions, then a counting sort by rank puts the rows in
    // caption order, rows of one caption keeping the order they came in.
    std::vector<int> byKey(distinctKeys.size());
    std::iota(byKey.begin(), byKey.end(), 0);
    std::sort(byKey.begin(), byKey.end(), [&distinctKeys](int a, int b) {
        return distinctKeys[size_t(a)]->compare(*distinctKeys[size_t(b)]) < 0;
    });
    std::vector<int> rank(distinctKeys.size());
    for (size_t r = 0; r < byKey.size(); ++r)
        rank[size_t(byKey[r])] = int(r);
    std::vector<int> start(distinctKeys.size() + 1, 0);
    for (int d : rowDistinct)
        ++start[size_t(rank[size_t(d)]) + 1];
    for (size_t r = 1; r < start.size(); ++r)
        start[r] += start[r - 1];
    std::vector<int> target(rowDistinct.size());
    for (size_t i = 0; i < rowDistinct.size(); ++i)
        target[i] = start[size_t(rank[size_t(rowDistinct[i])])]++;
    return target;
}

} // namespace vedaris
