#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTableView>
#include <array>
#include <vector>

namespace vedaris {

// Rows of cell texts, kept in the order shown. Each row carries its caption's
// search key and Russian sort key, computed once when the row is made, so that
// sorting and searching a hundred thousand rows stays quick.
class RowListModel : public QAbstractTableModel
{
public:
    explicit RowListModel(QObject *parent = nullptr);

    void setHeaders(const QStringList &headers);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    QStringList cells(int row) const;
    QString cell(int row, int column) const;
    const QString &searchKey(int row) const { return m_rows[size_t(row)].search; }

    // Replaces every row; they come in caption order.
    void setRows(const QVector<QStringList> &rows);
    // The same, a row at a time: a fill packs each row as it comes, so the
    // rows of a large file are never held twice.
    void beginFill(qint64 expected = 0);
    void addFilled(const QStringList &cells);
    void endFill();
    void clear();
    void insertAt(int pos, const QStringList &cells);
    // Inserts into a list in caption order where inserting at `pos` and
    // sorting again would put it: among rows of the same name it stays at
    // `pos` (as near as it can); returns where it went.
    int insertSorted(int pos, const QStringList &cells);
    void removeAt(int pos);
    // Caption order: Russian, case deciding only between otherwise equal names.
    void sortByCaption();
    // How a header click compares a column's cells.
    enum class CellOrder { Text, Date, Number };
    // Header order: texts by their code page 1251 codes with Latin a-z as
    // capitals, dates by date, numbers by value; empty cells (and cells that
    // are no date or number) last; descending is the exact reverse.
    void sortByColumn(int column, bool descending, CellOrder order = CellOrder::Text);

private:
    // A row's cells live in one string, which keeps a hundred thousand rows
    // small and quick to build.
    static constexpr int MaxColumns = 13;
    struct Row
    {
        QString packed;
        std::array<quint32, MaxColumns> ends;
        int count;
        QString search;
        QString key; // the caption's Russian sort key
    };
    static Row pack(const QStringList &cells, const QString &search, const QString &key);
    Row makeRow(const QStringList &cells) const;
    // order[newPosition] = oldPosition
    void applyOrder(const std::vector<int> &order);

    QStringList m_headers;
    std::vector<Row> m_rows;
    struct Fill
    {
        QHash<QString, int> distinctIndex;
        std::vector<Row> distinct; // search and sort keys of each distinct caption
        std::vector<int> rowDistinct;
    } m_fill;
};

// Striped rows, the selection colour also without focus, cells drawn with a
// small left padding and cut at the column's edge.
class RowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

    static QColor rowColor(int row, bool selected);
};

// A header whose captions wrap after blanks and hyphens, never cut: it is as
// many lines high as the longest caption needs at the columns' present widths
// (so a wide window has a one-line header). Its font shrinks, a little at
// most, until every word of a caption fits its column's minimum width. The
// sort arrow sits above the caption, at the section's top centre, and takes
// none of the caption's width, so a sorted column wraps as an unsorted one.
class CaptionHeader : public QHeaderView
{
public:
    explicit CaptionHeader(QWidget *parent);

    // `minWidths` holds each caption's narrowest column, 0 for no limit.
    void fitCaptions(const QStringList &captions, const QVector<int> &minWidths);
    // Room for at least `lines` caption lines, so that lists shown alike look alike.
    void setMinimumLines(int lines);
    int lineCount() const { return m_lines; }
    // Takes the line count the present widths need; true when it changed.
    bool updateLines();
    // The lines a section's caption is drawn in.
    QStringList captionLines(int logicalIndex) const;
    // The width a section of `sectionWidth` pixels gives its caption.
    int labelWidth(int sectionWidth) const;
    // The lines `caption` takes in `width` pixels of label.
    static QStringList wrapped(const QString &caption, const QFontMetrics &metrics, int width);

protected:
    void initStyleOptionForIndex(QStyleOptionHeader *option, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    int m_lines = 1;
    int m_minLines = 1;
};

// The list of the main window and of the reference dialogs.
class ListView : public QTableView
{
    Q_OBJECT
public:
    struct Column
    {
        enum Kind { Shared, Hidden, OnePixel };
        QString caption;
        int minWidth = 0;
        Kind kind = Shared;
        RowListModel::CellOrder order = RowListModel::CellOrder::Text;
    };

    explicit ListView(QWidget *parent = nullptr);

    void setColumns(const QVector<Column> &columns);
    // Lists shown side by side keep room for as many caption lines.
    void setMinimumCaptionLines(int lines);
    RowListModel *rows() const { return m_model; }
    int rowCount() const { return m_model->rowCount(); }
    QStringList cells(int row) const { return m_model->cells(row); }
    QString cell(int row, int column) const { return m_model->cell(row, column); }

    // Replaces every row and sorts by caption; nothing is selected.
    void setRows(const QVector<QStringList> &rows);
    // The same a row at a time, for a fill from a file.
    void beginFill(qint64 expected = 0);
    void addFilledRow(const QStringList &cells);
    void endFill();
    void clearRows();
    // Inserts at `pos`, sorts by caption, selects and focuses the new row;
    // returns where it ended up. The list is not scrolled.
    int insertRowSorted(int pos, const QStringList &cells);
    // Puts `cells` in place of row `row`, selected and focused, without
    // scrolling: a row keeping its name keeps its place among the rows of that
    // name; a renamed one goes where a row inserted at the top would.
    int replaceRow(int row, const QStringList &cells);
    void removeRowAt(int row);

    int selectedRow() const; // -1 when none
    // Selects `row` alone and makes it the focused row.
    void setSelectedRow(int row);
    int topRow() const;
    // The selected row becomes the top visible row, or as near as the list scrolls.
    void ScrollToSelected();
    // Selects the first row from the top whose trimmed, lower-cased caption
    // begins with the trimmed, lower-cased `typed`. False when nothing matched.
    bool searchCaption(const QString &typed);
    void sortByCaption();

protected:
    bool viewportEvent(QEvent *event) override;

private:
    void headerClicked(int section);
    void shareColumnWidths();
    // Selects and focuses `row`, the first visible row staying `top`.
    void selectKeepingTop(int row, int top);

    RowListModel *m_model;
    QVector<Column> m_columns;
    int m_sortColumn = -1;
    bool m_sortDescending = false;
};

} // namespace vedaris
