#include "ListView.h"

#include "store/Cp1251.h"
#include "store/TextFormats.h"

#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <numeric>

namespace vedaris {

RowListModel::RowListModel(QObject *parent)
    : QAbstractTableModel(parent), m_collator(QLocale(QLocale::Russian, QLocale::Russia))
{
    // The same settings as text::compareRussian, so the cached keys give its order.
    m_collator.setCaseSensitivity(Qt::CaseSensitive);
    m_collator.setNumericMode(false);
    m_collator.setIgnorePunctuation(false);
}

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
    const QStringList &cells = m_rows[size_t(index.row())].cells;
    return index.column() < cells.size() ? cells[index.column()] : QString();
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

RowListModel::Row RowListModel::makeRow(const QStringList &cells) const
{
    const QString caption = cells.value(0);
    return Row{cells, text::searchKey(caption), m_collator.sortKey(caption)};
}

void RowListModel::setRows(QVector<QStringList> rows)
{
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(size_t(rows.size()));
    for (const QStringList &cells : rows)
        m_rows.push_back(makeRow(cells));
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

void RowListModel::sortByColumn(int column, bool descending)
{
    std::vector<QByteArray> keys;
    keys.reserve(m_rows.size());
    for (const Row &row : m_rows) {
        QByteArray key = cp1251::encode(row.cells.value(column));
        for (char &c : key) {
            if (c >= 'a' && c <= 'z')
                c = char(c - 0x20);
        }
        keys.push_back(std::move(key));
    }
    std::vector<int> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&keys](int a, int b) {
        const QByteArray &x = keys[size_t(a)];
        const QByteArray &y = keys[size_t(b)];
        if (x.isEmpty() || y.isEmpty())
            return !x.isEmpty() && y.isEmpty();
        return x < y;
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

QColor RowDelegate::rowColor(int row, bool selected)
{
    if (selected)
        return QColor(166, 202, 240);
    return row % 2 ? QColor(255, 251, 240) : QColor(255, 255, 255);
}

void RowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                        const QModelIndex &index) const
{
    painter->fillRect(option.rect, rowColor(index.row(), option.state & QStyle::State_Selected));
    const QString text = index.data().toString();
    if (text.isEmpty())
        return;
    const int padding = index.column() == 0 ? 2 : 4;
    painter->save();
    painter->setClipRect(option.rect);
    painter->setFont(option.font);
    painter->setPen(option.palette.color(QPalette::Active, QPalette::Text));
    painter->drawText(option.rect.adjusted(padding, 0, 0, 0),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    painter->restore();
}

ListView::ListView(QWidget *parent)
    : QTableView(parent), m_model(new RowListModel(this))
{
    setModel(m_model);
    setItemDelegate(new RowDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setGridStyle(Qt::SolidLine);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setTabKeyNavigation(false);

    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::white);
    setPalette(p);

    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);

    QHeaderView *header = horizontalHeader();
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(0);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSortIndicatorShown(false);
    connect(header, &QHeaderView::sectionClicked, this, &ListView::headerClicked);
}

void ListView::setColumns(const QVector<Column> &columns)
{
    m_columns = columns;
    QStringList headers;
    for (const Column &c : columns)
        headers << c.caption;
    m_model->setHeaders(headers);
    for (int i = 0; i < columns.size(); ++i)
        setColumnHidden(i, columns[i].kind == Column::Hidden);
    shareColumnWidths();
}

void ListView::setRows(QVector<QStringList> rows)
{
    m_model->setRows(std::move(rows));
    sortByCaption();
}

void ListView::clearRows()
{
    m_model->clear();
}

int ListView::insertRowSorted(int pos, const QStringList &cells)
{
    m_model->insertAt(pos, cells);
    const QPersistentModelIndex inserted = m_model->index(std::clamp(pos, 0, rowCount() - 1), 0);
    sortByCaption();
    setSelectedRow(inserted.row());
    return inserted.row();
}

void ListView::removeRowAt(int row)
{
    m_model->removeAt(row);
}

int ListView::selectedRow() const
{
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void ListView::setSelectedRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    selectionModel()->setCurrentIndex(m_model->index(row, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int ListView::topRow() const
{
    return rowCount() == 0 ? -1 : verticalScrollBar()->value();
}

void ListView::ScrollToSelected()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    setUpdatesEnabled(false);
    executeDelayedItemsLayout();
    // Scrolling is by whole rows, so the bar's value is the top visible row.
    verticalScrollBar()->setValue(row);
    setUpdatesEnabled(true);
}

bool ListView::searchCaption(const QString &typed)
{
    const int count = rowCount();
    if (count == 0)
        return false;
    const QString key = text::searchKey(typed);
    if (key.isEmpty())
        return false;
    for (int row = 0; row < count; ++row) {
        if (m_model->searchKey(row).startsWith(key)) {
            setSelectedRow(row);
            ScrollToSelected();
            return true;
        }
    }
    return false;
}

void ListView::sortByCaption()
{
    m_model->sortByCaption();
    m_sortColumn = -1;
    m_sortDescending = false;
    horizontalHeader()->setSortIndicatorShown(false);
}

void ListView::headerClicked(int section)
{
    if (section < 0 || section >= m_columns.size() || m_columns[section].kind != Column::Shared)
        return;
    m_sortDescending = section == m_sortColumn && !m_sortDescending;
    m_sortColumn = section;
    m_model->sortByColumn(section, m_sortDescending);
    horizontalHeader()->setSortIndicator(section, m_sortDescending ? Qt::DescendingOrder
                                                                   : Qt::AscendingOrder);
    horizontalHeader()->setSortIndicatorShown(true);
}

bool ListView::viewportEvent(QEvent *event)
{
    const bool handled = QTableView::viewportEvent(event);
    if (event->type() == QEvent::Resize)
        shareColumnWidths();
    return handled;
}

// The visible columns share the width equally, the remainder going to the
// first; a column whose share falls below its minimum keeps the minimum and
// the rest is shared again among the others.
void ListView::shareColumnWidths()
{
    int available = viewport()->width();
    QVector<int> shared;
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].kind == Column::Shared) {
            shared << i;
        } else if (m_columns[i].kind == Column::OnePixel) {
            setColumnWidth(i, 1);
            available -= 1;
        }
    }
    while (!shared.isEmpty()) {
        const int n = int(shared.size());
        const int share = std::max(available, 0) / n;
        const int remainder = std::max(available, 0) % n;
        QVector<int> pinned;
        for (int k = 0; k < n; ++k) {
            if (share + (k == 0 ? remainder : 0) < m_columns[shared[k]].minWidth)
                pinned << k;
        }
        if (pinned.isEmpty()) {
            for (int k = 0; k < n; ++k)
                setColumnWidth(shared[k], share + (k == 0 ? remainder : 0));
            break;
        }
        for (auto it = pinned.crbegin(); it != pinned.crend(); ++it) {
            const int column = shared[*it];
            setColumnWidth(column, m_columns[column].minWidth);
            available -= m_columns[column].minWidth;
            shared.removeAt(*it);
        }
    }
}

void SearchEdit::keyReleaseEvent(QKeyEvent *event)
{
    QLineEdit::keyReleaseEvent(event);
    emit keyReleased();
}

} // namespace vedaris
