#include "ListView.h"

#include "store/TextFormats.h"

#include <QEvent>
#include <QHash>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>

namespace vedaris {

RowListModel::RowListModel(QObject *parent) : QAbstractTableModel(parent) {}

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
    Row row{cells.join(QString()), {}, int(std::min<qsizetype>(cells.size(), MaxColumns)), search, key};
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

namespace {

// Captions never shrink below this to fit: past it they would be hard to read.
constexpr qreal SmallestCaptionPoints = 7.5;
// Above the caption, for the sort arrow.
constexpr int ArrowRoom = 6;

} // namespace

CaptionHeader::CaptionHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
{
    // The lines are fitted here; the header would elide the joined text.
    setTextElideMode(Qt::ElideNone);
}

QStringList CaptionHeader::wrapped(const QString &caption, const QFontMetrics &metrics, int width)
{
    QStringList pieces; // each ends after a blank or a hyphen
    qsizetype start = 0;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u' ' || caption[i] == u'-') {
            pieces << caption.mid(start, i + 1 - start);
            start = i + 1;
        }
    }
    if (start < caption.size())
        pieces << caption.mid(start);

    QStringList lines;
    QString line;
    for (const QString &piece : pieces) {
        if (!line.isEmpty() && metrics.horizontalAdvance((line + piece).trimmed()) > width) {
            lines << line.trimmed();
            line.clear();
        }
        line += piece;
    }
    if (!line.isEmpty())
        lines << line.trimmed();
    return lines;
}

void CaptionHeader::fitCaptions(const QStringList &captions, const QVector<int> &minWidths)
{
    QFont captionFont = parentWidget() ? parentWidget()->font() : font();
    const auto fits = [&](const QFontMetrics &metrics) {
        for (qsizetype i = 0; i < captions.size(); ++i) {
            if (minWidths.value(i) <= 0)
                continue;
            const int width = labelWidth(minWidths[i]);
            for (const QString &line : wrapped(captions[i], metrics, width))
                if (metrics.horizontalAdvance(line) > width)
                    return false;
        }
        return true;
    };
    while (captionFont.pointSizeF() - 0.5 >= SmallestCaptionPoints && !fits(QFontMetrics(captionFont)))
        captionFont.setPointSizeF(captionFont.pointSizeF() - 0.5);
    setFont(captionFont);
    updateLines();
}

void CaptionHeader::setMinimumLines(int lines)
{
    m_minLines = std::max(lines, 1);
    updateLines();
}

bool CaptionHeader::updateLines()
{
    int lines = m_minLines;
    if (model()) {
        for (int i = 0; i < count(); ++i) {
            if (isSectionHidden(i) || sectionSize(i) <= 1)
                continue;
            const QString caption = model()->headerData(i, orientation(), Qt::DisplayRole).toString();
            lines = std::max(lines, int(wrapped(caption, fontMetrics(), labelWidth(sectionSize(i))).size()));
        }
    }
    if (lines == m_lines)
        return false;
    m_lines = lines;
    // The height is cached with the captions; telling they changed drops it.
    if (count() > 0)
        headerDataChanged(orientation(), 0, count() - 1);
    updateGeometry();
    return true;
}

int CaptionHeader::labelWidth(int sectionWidth) const
{
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = QRect(0, 0, sectionWidth, std::max(height(), 1));
    option.sortIndicator = QStyleOptionHeader::None;
    return style()->subElementRect(QStyle::SE_HeaderLabel, &option, this).width();
}

QStringList CaptionHeader::captionLines(int logicalIndex) const
{
    const QString caption = model() ? model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString()
                                    : QString();
    const int width = labelWidth(sectionSize(logicalIndex));
    QStringList lines = wrapped(caption, fontMetrics(), width);
    // Only a column dragged narrower than its minimum gets here.
    while (lines.size() > m_lines) {
        const QString last = lines.takeLast();
        lines.last() += (lines.last().endsWith(u'-') ? QString() : QStringLiteral(" ")) + last;
    }
    for (QString &line : lines)
        line = fontMetrics().elidedText(line, Qt::ElideRight, width);
    return lines;
}

void CaptionHeader::initStyleOptionForIndex(QStyleOptionHeader *option, int logicalIndex) const
{
    QHeaderView::initStyleOptionForIndex(option, logicalIndex);
    option->text = captionLines(logicalIndex).join(u'\n');
    // paintSection draws the arrow; the style would take it from the caption's width.
    option->sortIndicator = QStyleOptionHeader::None;
}

QSize CaptionHeader::sectionSizeFromContents(int logicalIndex) const
{
    QSize size = QHeaderView::sectionSizeFromContents(logicalIndex);
    size.rheight() += (m_lines - 1) * fontMetrics().lineSpacing() + ArrowRoom;
    return size;
}

void CaptionHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    QHeaderView::paintSection(painter, rect, logicalIndex);
    if (!isSortIndicatorShown() || sortIndicatorSection() != logicalIndex || rect.width() < 12)
        return;
    // A small triangle above the caption: up ascending, down descending.
    const bool up = sortIndicatorOrder() == Qt::AscendingOrder;
    const qreal cx = rect.center().x() + 0.5;
    const qreal top = rect.top() + 1;
    const QPolygonF arrow = up ? QPolygonF{{cx - 4, top + 4}, {cx + 4, top + 4}, {cx, top}}
                               : QPolygonF{{cx - 4, top}, {cx + 4, top}, {cx, top + 4}};
    painter->save();
    // The header's own painting may leave an empty clip behind.
    painter->setClipRect(rect);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(palette().color(QPalette::ButtonText));
    painter->drawPolygon(arrow);
    painter->restore();
}

ListView::ListView(QWidget *parent)
    : QTableView(parent), m_model(new RowListModel(this))
{
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
    beginFill(rows.size());
    for (const QStringList &cells : rows)
        addFilledRow(cells);
    endFill();
}

void ListView::beginFill(qint64 expected)
{
    m_model->beginFill(expected);
}

void ListView::addFilledRow(const QStringList &cells)
{
    m_model->addFilled(cells);
}

void ListView::endFill()
{
    m_model->endFill();
    m_sortColumn = -1;
    m_sortDescending = false;
    horizontalHeader()->setSortIndicatorShown(false);
}

void ListView::clearRows()
{
    m_model->clear();
}

int ListView::insertRowSorted(int pos, const QStringList &cells)
{
    const int top = topRow();
    int row;
    if (m_sortColumn < 0) {
        // Already in caption order: the row goes straight to its place.
        row = m_model->insertSorted(pos, cells);
    } else {
        m_model->insertAt(pos, cells);
        const QPersistentModelIndex inserted = m_model->index(std::clamp(pos, 0, rowCount() - 1), 0);
        sortByCaption();
        row = inserted.row();
    }
    selectKeepingTop(row, top);
    return row;
}

int ListView::replaceRow(int row, const QStringList &cells)
{
    if (row < 0 || row >= rowCount())
        return insertRowSorted(0, cells);
    const int top = topRow();
    const bool sameName = cell(row, 0) == cells.value(0);
    m_model->removeAt(row);
    const int at = insertRowSorted(sameName ? row : 0, cells);
    selectKeepingTop(at, top);
    return at;
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
    m_model->sortByColumn(section, m_sortDescending, m_columns[section].order);
    horizontalHeader()->setSortIndicator(section, m_sortDescending ? Qt::DescendingOrder
                                                                   : Qt::AscendingOrder);
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
        for (auto it = pinned.crbegin(); it != pinned.crend(); ++it) {
            const int column = shared[*it];
            setColumnWidth(column, m_columns[column].minWidth);
            available -= m_columns[column].minWidth;
            shared.removeAt(*it);
        }
    }
    // Wider columns may need fewer caption lines, narrower ones more.
    if (static_cast<CaptionHeader *>(horizontalHeader())->updateLines())
        updateGeometries();
}

} // namespace vedaris
