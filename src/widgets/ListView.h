#pragma once

#include "CaptionHeader.h"
#include "RowDelegate.h"
#include "RowListModel.h"

#include <QTableView>

namespace vedaris {

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
