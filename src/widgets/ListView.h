#pragma once

#include "CaptionHeader.h"
#include "RowDelegate.h"
#include "RowListModel.h"

#include <QTableView>
#include <functional>

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
        ListModel::CellOrder order = ListModel::CellOrder::Text;
    };

    // The list shows `rows`, or rows of texts (RowListModel) when none is given.
    explicit ListView(QWidget *parent = nullptr, ListModel *rows = nullptr);

    void setColumns(const QVector<Column> &columns);
    // Lists shown side by side keep room for as many caption lines.
    void setMinimumCaptionLines(int lines);
    ListModel *rows() const { return m_model; }
    int rowCount() const { return m_model->rowCount(); }
    QStringList cells(int row) const { return m_model->cells(row); }
    QString cell(int row, int column) const { return m_model->cell(row, column); }

    // A list of texts: replaces every row and sorts by caption; nothing is selected.
    void setRows(const QVector<QStringList> &rows);
    // `place` puts a row into the model (ListModel::placeNew or placeReplacing)
    // and returns where it went; that row becomes the selected and focused
    // one. The list is not scrolled.
    int placeRow(const std::function<int()> &place);
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
    void captionOrderShown();
    void shareColumnWidths();
    // Selects and focuses `row`, the first visible row staying `top`.
    void selectKeepingTop(int row, int top);

    ListModel *m_model;
    RowListModel *m_texts = nullptr; // the model of a list of texts
    QVector<Column> m_columns;
    int m_sortColumn = -1;
    bool m_sortDescending = false;
};

} // namespace vedaris
