#include "ListView.h"

#include "store/TextFormats.h"

#include <QEvent>
#include <QScrollBar>
#include <algorithm>

namespace vedaris {

ListView::ListView(QWidget *parent, ListModel *rows) : QTableView(parent), m_model(rows)
{
    if (!m_model)
        m_model = m_texts = new RowListModel(this);
    setHorizontalHeader(new CaptionHeader(this));
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
    // A fill puts the rows in caption order.
    connect(m_model, &QAbstractItemModel::modelReset, this, &ListView::captionOrderShown);
}

void ListView::setColumns(const QVector<Column> &columns)
{
    m_columns = columns;
    QStringList headers;
    QVector<int> minWidths;
    for (const Column &c : columns) {
        headers << c.caption;
        minWidths << (c.kind == Column::Shared ? c.minWidth : 0);
    }
    m_model->setHeaders(headers);
    static_cast<CaptionHeader *>(horizontalHeader())->fitCaptions(headers, minWidths);
    for (int i = 0; i < columns.size(); ++i)
        setColumnHidden(i, columns[i].kind == Column::Hidden);
    shareColumnWidths();
}

void ListView::setMinimumCaptionLines(int lines)
{
    static_cast<CaptionHeader *>(horizontalHeader())->setMinimumLines(lines);
    updateGeometries();
}

void ListView::setRows(const QVector<QStringList> &rows)
{
    Q_ASSERT(m_texts);
    m_texts->beginFill(rows.size());
    for (const QStringList &cells : rows)
        m_texts->addFilled(cells);
    m_texts->endFill();
}

int ListView::placeRow(const std::function<int()> &place)
{
    const int top = topRow();
    const int row = place();
    if (m_model->inCaptionOrder())
        captionOrderShown();
    selectKeepingTop(row, top);
    return row;
}

void ListView::selectKeepingTop(int row, int top)
{
    // Selecting would scroll the row into view; the list stays where it was.
    const bool autoScrolling = hasAutoScroll();
    setAutoScroll(false);
    setSelectedRow(row);
    setAutoScroll(autoScrolling);
    if (top >= 0) {
        executeDelayedItemsLayout();
        verticalScrollBar()->setValue(top);
    }
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
    selectionModel()->setCurrentIndex(
        m_model->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
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
    const int row = m_model->findCaption(key);
    if (row < 0)
        return false;
    setSelectedRow(row);
    ScrollToSelected();
    return true;
}

void ListView::sortByCaption()
{
    m_model->sortByCaption();
    captionOrderShown();
}

void ListView::captionOrderShown()
{
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
    m_model->sortByColumn(section, m_sortDescending, m_columns[section].order);
    horizontalHeader()->setSortIndicator(
        section, m_sortDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
    horizontalHeader()->setSortIndicatorShown(true);
    // The selected row moved with its record; it stays in sight.
    if (const int row = selectedRow(); row >= 0)
        scrollTo(m_model->index(row, 0), QAbstractItemView::EnsureVisible);
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
    // A list of one column never scrolls sideways for it: the column takes
    // the width there is, also below its minimum when the bar for the
    // rows takes a little of it.
    if (shared.size() == 1) {
        setColumnWidth(shared.first(), std::max(available, 0));
        shared.clear();
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
        // From the last, so that removing one leaves the earlier indexes valid.
        for (qsizetype k = pinned.size() - 1; k >= 0; --k) {
            const int at = pinned[k];
            const int column = shared[at];
            setColumnWidth(column, m_columns[column].minWidth);
            available -= m_columns[column].minWidth;
            shared.removeAt(at);
        }
    }
    // Wider columns may need fewer caption lines, narrower ones more.
    if (static_cast<CaptionHeader *>(horizontalHeader())->updateLines())
        updateGeometries();
}

} // namespace vedaris
